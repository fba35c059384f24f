#pragma once
// Shared set-up of the update tests: a server on loopback that the update address points
// at, and the update module's state and the translations reset around every test.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <ostream>

#include "HttpTestServer.h"
#include "translation/Translation.h"
#include "uNewVersionCheck/VersionCheck.h"

// Failures show texts, not code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetState();
        qputenv("TWINSEEK_UPDATE_URL", Server.Base().toUtf8());
    }
    void TearDown() override {
        qunsetenv("TWINSEEK_UPDATE_URL");
        ResetState();
    }

    static void ResetState() {
        ForceUpdate = false;
        DownloadAborted = false;
        NewVersionMessage.clear();
        ResetTranslations();
    }

    // Serves the two documents of the version check.
    void ServeVersion(const TRoute& versionDocument, const TRoute& changeLog) {
        Server.Route("/download/version/twinseek-version.html", versionDocument);
        Server.Route("/download/version/twinseek-changes.html", changeLog);
    }
    void ServeVersion(const QByteArray& versionDocument, const QByteArray& changeLog) {
        ServeVersion(TRoute{.Body = versionDocument}, TRoute{.Body = changeLog});
    }

    // Where the installer once went, straight in the shared temporary folder: whatever
    // stands there must stay untouched.
    static QString FixedInstallerPath() {
        return QDir(QDir::tempPath()).filePath("twinseek_update.exe");
    }

    // The names in a folder, hidden ones included, sorted.
    static QStringList Entries(const QString& folder) {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // A body of the given size whose bytes tell their place, so a lost piece shows.
    static QByteArray Payload(int size) {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
        return bytes;
    }

    // A Payload with the headers of a Windows program in front: "MZ", the offset 0x80 in
    // the DOS header and the PE signature there.
    static QByteArray WindowsProgram(int size) {
        QByteArray bytes = Payload(size);
        bytes.replace(0, 2, "MZ");
        bytes.replace(0x3C, 4, QByteArray("\x80\0\0\0", 4));
        bytes.replace(0x80, 4, QByteArray("PE\0\0", 4));
        return bytes;
    }

    THttpTestServer Server;
};
