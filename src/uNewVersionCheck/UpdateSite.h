#pragma once
// Where the update check and the installer download go.
#include <QString>
#include <QUrl>

// The base address of the update documents and the installer (scheme and host, perhaps a
// path): TWINSEEK_UPDATE_URL when set, for mirrors and tests, else the one built in.
QString UpdateBaseAddress();

// The base address joined with an absolute path such as "/download/twinseek.exe".
QUrl UpdateUrl(const QString& path);

// The vendor's home page, opened after a failed download.
QUrl VendorHomePage();

// The vendor's download page, which Update Now opens where the Windows installer cannot run.
QUrl VendorDownloadPage();

inline const QString VersionDocumentPath =
    QStringLiteral("/download/version/twinseek-version.html");
inline const QString ChangeLogPath = QStringLiteral("/download/version/twinseek-changes.html");
inline const QString InstallerPath = QStringLiteral("/download/twinseek.exe");
