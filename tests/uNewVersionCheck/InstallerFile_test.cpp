// The check of a downloaded installer and the folder it is downloaded into.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include "UpdateFixture.h"
#include "uNewVersionCheck/InstallerFile.h"

namespace {

// A DOS header whose offset field names peOffset, followed by filler up to size, with the
// bytes signature at peOffset when it fits.
QByteArray Executable(qint64 size, quint32 peOffset, const QByteArray& signature) {
    QByteArray bytes(size, 'x');
    bytes.replace(0, 2, "MZ");
    if (size >= 64) {
        char field[4];
        qToLittleEndian(peOffset, field);
        bytes.replace(0x3C, 4, QByteArray(field, 4));
    }
    if (qint64(peOffset) + signature.size() <= size)
        bytes.replace(peOffset, signature.size(), signature);
    return bytes;
}

TEST(LooksLikeWindowsProgram, HeadersOfAnExecutable) {
    const QByteArray pe("PE\0\0", 4);
    const struct {
        const char* name;
        QByteArray bytes;
        bool program;
    } cases[] = {
        {"signature and file header just fit", Executable(64 + 24, 64, pe), true},
        {"an installer-sized file", Executable(300000, 0x100, pe), true},
        {"no room for the file header", Executable(64 + 23, 64, pe), false},
        {"signature past the end", Executable(200, 0x1000, pe), false},
        {"offset at the top of its range", Executable(200, 0xFFFFFFFF, pe), false},
        {"another signature", Executable(200, 0x80, QByteArray("PE\0\1", 4)), false},
        {"NE, a 16-bit program", Executable(200, 0x80, QByteArray("NE\0\0", 4)), false},
        {"ZM", QByteArray("ZM") + Executable(200, 0x80, pe).mid(2), false},
        {"DOS header cut short", Executable(63, 64, pe), false},
        {"empty", QByteArray(), false},
        {"an HTML page", "<!DOCTYPE html><html><body>Not here</body></html>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(LooksLikeWindowsProgram(buffer), c.program);
    }
    EXPECT_FALSE(LooksLikeWindowsProgram(QDir::tempPath() + "/no-such-file.exe"));
}

class DownloadFolderTest : public UpdateTest {};

TEST_F(DownloadFolderTest, GoesWithItsFileUnlessKept) {
    QTemporaryDir parent;
    QString folder;
    {
        TDownloadFolder download(parent.path(), "setup.exe");
        ASSERT_EQ(download.Failure(), QString());
        folder = download.Folder();
        EXPECT_EQ(QFileInfo(folder).path(), parent.path());
        EXPECT_EQ(download.FilePath(), folder + "/setup.exe");
        WriteFile(download.FilePath(), "MZ part");
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(Entries(parent.path()).isEmpty());

    {
        TDownloadFolder download(parent.path(), "setup.exe");
        folder = download.Folder();
        WriteFile(download.FilePath(), "MZ whole");
        download.Keep();
    }
    EXPECT_EQ(ReadFile(folder + "/setup.exe"), "MZ whole");

    // Only its own file goes: a folder that holds more keeps it, and itself.
    {
        TDownloadFolder download(parent.path(), "setup.exe");
        folder = download.Folder();
        WriteFile(download.FilePath(), "MZ part");
        WriteFile(folder + "/other", "not the download's");
    }
    EXPECT_EQ(Entries(folder), QStringList{"other"});

    TDownloadFolder nowhere(parent.path() + "/missing", "setup.exe");
    EXPECT_TRUE(nowhere.Failure().contains(parent.path() + "/missing"))
        << nowhere.Failure().toStdString();
    EXPECT_FALSE(QFileInfo::exists(parent.path() + "/missing"));
}

}  // namespace
