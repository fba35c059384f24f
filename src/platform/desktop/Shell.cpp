// The desktop shell on freedesktop systems: the trash through Qt, the file manager over
// D-Bus, default applications through Qt's desktop services.
#include "platform/Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "platform/PathSyntax.h"

namespace Platform {

namespace {

// How long the file manager may take to answer, started on demand included.
constexpr int FileManagerTimeoutMs = 10000;

QByteArray NativePath(TextView path) {
    const std::string bytes = TextToUtf8(path);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Qt names files by QString; a name whose bytes are not UTF-8 would reach the disk under
// another name, so it is not handed over at all.
bool ToQtPath(TextView path, QString& qtPath) {
    const QByteArray native = NativePath(path);
    qtPath = QFile::decodeName(native);
    return QFile::encodeName(qtPath) == native;
}

// A file URL made from the bytes of the path, so that any name reaches the file manager.
QString FileUrl(TextView path) {
    return QStringLiteral("file://") + QString::fromLatin1(NativePath(path).toPercentEncoding("/"));
}

// Without the user's data folder, Qt 6.4 moves the item into a "files" folder under the
// current folder and reports success.
bool PrepareHomeTrash() {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return !dataHome.isEmpty() && QDir::isAbsolutePath(dataHome) && QDir().mkpath(dataHome);
}

bool MoveOneToTrash(TextView path) {
    QString qtPath;
    if (path.empty() || !ToQtPath(path, qtPath) || !QFileInfo::exists(qtPath))
        return false;
    QString pathInTrash;
    if (!QFile::moveToTrash(qtPath, &pathInTrash))
        return false;
    // A trash place that is not absolute is the case above: the item did not reach a trash.
    return QDir::isAbsolutePath(pathInTrash);
}

}  // namespace

bool MoveToRecycleBin(const std::vector<Text>& paths) {
    if (paths.empty() || !PrepareHomeTrash())
        return false;
    // Every path is tried: one that fails does not keep the others where they are.
    bool all = true;
    for (const Text& path : paths)
        all = MoveOneToTrash(path) && all;
    return all;
}

void ShowInFileManager(TextView filePath) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{FileUrl(filePath)} << QString();
        const QDBusMessage reply = bus.call(call, QDBus::Block, FileManagerTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return;
    }
    ShellOpen(DirectoryOf(filePath, NativeSyntax));
}

void ShellOpen(TextView target) {
    QUrl url;
    if (!target.empty() && target.front() == u'/')
        url = QUrl(FileUrl(target), QUrl::StrictMode);
    else
        url = QUrl(QString::fromStdU16String(Text(target)), QUrl::StrictMode);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

bool ShellStart(TextView programPath) {
    const QUrl url(FileUrl(programPath), QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace Platform
