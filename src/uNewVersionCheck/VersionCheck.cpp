#include "uNewVersionCheck/VersionCheck.h"

#include <QDeadlineTimer>
#include <optional>
#include <string_view>

#include "qtcommon/QtText.h"
#include "uNewVersionCheck/UpdateSite.h"
#include "uNewVersionCheck/VersionDecision.h"

bool ForceUpdate = false;
bool DownloadAborted = false;
QString NewVersionMessage;

namespace {

std::string_view Bytes(const QByteArray& data) {
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

}  // namespace

bool CheckForNewVersion(const TVersionCheckOptions& options) {
    const QDeadlineTimer deadline(options.DeadlineMs);
    THttpGetOptions get{.ReadTimeoutMs = options.ReadTimeoutMs, .Deadline = deadline};
    QString error;
    get.MaxBytes = VersionDocumentMaxBytes;
    const std::optional<QByteArray> version = HttpGet(UpdateUrl(VersionDocumentPath), get, &error);
    if (!version)
        return false;
    // A newer version without its change log is not announced at all.
    get.MaxBytes = ChangeLogMaxBytes;
    const std::optional<QByteArray> changes = HttpGet(UpdateUrl(ChangeLogPath), get, &error);
    if (!changes)
        return false;

    const TVersionDecision decision = DecideNewVersion(Bytes(*version), Bytes(*changes));
    if (!decision.ShowDialog)
        return false;
    if (decision.ForceUpdate)
        ForceUpdate = true;
    NewVersionMessage = Q(decision.NewVersionMessage);
    return true;
}
