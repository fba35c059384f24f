#include "uNewVersionCheck/VersionGate.h"

#include "uNewVersionCheck/NewVersionForm.h"
#include "uNewVersionCheck/VersionCheck.h"

bool RunVersionGate() {
    return RunVersionGate({});
}

bool RunVersionGate(const std::function<void(TfrmNewVersion& dialog)>& prepareDialog) {
    if (!CheckForNewVersion())
        return true;
    // No owner: no window exists yet.
    TfrmNewVersion frmNewVersion;
    if (prepareDialog)
        prepareDialog(frmNewVersion);
    frmNewVersion.exec();
    return frmNewVersion.Tag() == 1;
}
