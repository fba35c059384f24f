#include "uNewVersionCheck/InstallerFile.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include "platform/FileSystem.h"
#include "platform/PrivateFolder.h"
#include "qtcommon/QtText.h"

namespace {

constexpr qint64 DosHeaderSize = 64;
constexpr qint64 PeOffsetField = 60;
constexpr qint64 FileHeaderSize = 20;  // the COFF header that follows the signature

}  // namespace

bool LooksLikeWindowsProgram(QIODevice& file) {
    if (!file.seek(0))
        return false;
    const QByteArray dos = file.read(DosHeaderSize);
    if (dos.size() < DosHeaderSize || !dos.startsWith("MZ"))
        return false;
    const qint64 peOffset = qFromLittleEndian<quint32>(dos.constData() + PeOffsetField);
    if (peOffset + 4 + FileHeaderSize > file.size() || !file.seek(peOffset))
        return false;
    return file.read(4) == QByteArray("PE\0\0", 4);
}

bool LooksLikeWindowsProgram(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && LooksLikeWindowsProgram(file);
}

TDownloadFolder::TDownloadFolder(const QString& parent, const QString& fileName) {
    try {
        FFolder =
            QDir::cleanPath(Q(Platform::CreatePrivateFolder(ToText(parent), u"twinseek-update-")));
        FFilePath = QDir(FFolder).filePath(fileName);
    } catch (const Platform::EPlatformError& error) {
        FFailure = QString::fromUtf8(error.what());
    }
}

TDownloadFolder::~TDownloadFolder() {
    if (FKeep || FFolder.isEmpty())
        return;
    // Only this folder's own user can have put the file there: it is the download.
    QFile::remove(FFilePath);
    QDir().rmdir(FFolder);
}
