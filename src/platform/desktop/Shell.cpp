// The desktop shell on freedesktop systems: the file manager over D-Bus, default
// applications through Qt's desktop services. The trash is posix/Trash.cpp, without Qt.
#include "platform/Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
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

// A file URL made from the bytes of the path, so that any name reaches the file manager.
QString FileUrl(TextView path) {
    return QStringLiteral("file://") + QString::fromLatin1(NativePath(path).toPercentEncoding("/"));
}

}  // namespace

bool ShowInFileManager(TextView filePath) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{FileUrl(filePath)} << QString();
        const QDBusMessage reply = bus.call(call, QDBus::Block, FileManagerTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return ShellOpen(DirectoryOf(filePath, NativeSyntax));
}

bool ShellOpen(TextView target) {
    QUrl url;
    if (!target.empty() && target.front() == u'/')
        url = QUrl(FileUrl(target), QUrl::StrictMode);
    else
        url = QUrl(QString::fromStdU16String(Text(target)), QUrl::StrictMode);
    // Qt answers false when no handler or launcher could be started; what the launched
    // program does afterwards is not known here.
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool ShellStart(TextView programPath) {
    const QUrl url(FileUrl(programPath), QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace Platform
