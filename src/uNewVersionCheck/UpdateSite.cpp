#include "uNewVersionCheck/UpdateSite.h"

#include <QByteArray>

#include "qtcommon/AppInfo.h"

QString UpdateBaseAddress() {
    const QByteArray fromEnvironment = qgetenv("TWINSEEK_UPDATE_URL");
    QString base = fromEnvironment.isEmpty() ? QStringLiteral(TWINSEEK_UPDATE_BASE)
                                             : QString::fromUtf8(fromEnvironment);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QUrl UpdateUrl(const QString& path) {
    return QUrl(UpdateBaseAddress() + path, QUrl::StrictMode);
}

QUrl VendorHomePage() {
    return QUrl(QStringLiteral("https://") + VendorHost + QLatin1Char('/'));
}

QUrl VendorDownloadPage() {
    return QUrl(QStringLiteral(TWINSEEK_DOWNLOAD_PAGE), QUrl::StrictMode);
}
