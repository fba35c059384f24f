// CheckForNewVersion against the server on loopback that TWINSEEK_UPDATE_URL points at.
#include <QElapsedTimer>
#include <algorithm>

#include "UpdateFixture.h"
#include "uNewVersionCheck/UpdateSite.h"

namespace {

class VersionCheckTest : public UpdateTest {};

TEST_F(VersionCheckTest, OfferAndDemandFromTheTwoDocuments) {
    const struct {
        QByteArray firstLine;
        bool show;
        bool force;
        QString announcement;
    } cases[] = {
        {"21/21", false, false, ""},
        {"21/10", false, false, ""},
        {"22/21", true, false, "The new version 2.2 is available"},
        {"22/22", true, true,
         "This version of the software is out of date. You must download the current version 2.2 "
         "to continue using the software."},
        {"21/22", true, true,
         "This version of the software is out of date. You must download the current version 2.1 "
         "to continue using the software."},
        {"22", false, false, ""},
        {"x/y", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstLine.toStdString());
        ResetState();
        ServeVersion(c.firstLine + "\r\nrest of the page\r\n", "Faster\r\n\r\nSmaller\r\n");
        EXPECT_EQ(CheckForNewVersion(), c.show);
        EXPECT_EQ(ForceUpdate, c.force);
        EXPECT_EQ(NewVersionMessage,
                  c.show ? c.announcement + "\r\n\r\nWhat's new:\r\nFaster\r\nSmaller\r\n" : "");
    }
    // The version document first, then the change log.
    ASSERT_GE(Server.Requests().size(), 2);
    EXPECT_EQ(Server.Requests()[0].Path, "/download/version/twinseek-version.html");
    EXPECT_EQ(Server.Requests()[1].Path, "/download/version/twinseek-changes.html");
    EXPECT_EQ(Server.Requests()[1].UserAgent, "Mozilla/4.0 (compatible; MyApp)");
}

TEST_F(VersionCheckTest, EveryFailureIsNoUpdate) {
    const struct {
        const char* name;
        TRoute version;
        TRoute changes;
    } cases[] = {
        {"change log 404", {.Body = "22/22"}, {.Status = 404, .Body = "Not Found"}},
        {"version document 404", {.Status = 404, .Body = "22/22"}, {.Body = "x"}},
        {"version document 500", {.Status = 500, .Body = "22/22"}, {.Body = "x"}},
        {"empty version document", {.Body = ""}, {.Body = "x"}},
        {"an HTML page", {.Body = "<!DOCTYPE html>\n<p>22/22</p>"}, {.Body = "x"}},
        {"version document never answered", {.Silent = true}, {.Body = "x"}},
        {"change log never answered", {.Body = "22/22"}, {.Silent = true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetState();
        ServeVersion(c.version, c.changes);
        EXPECT_FALSE(CheckForNewVersion({.ReadTimeoutMs = 500}));
        EXPECT_FALSE(ForceUpdate);
        EXPECT_EQ(NewVersionMessage, QString());
    }
}

// A document padded after its first line to the given size.
QByteArray Padded(const QByteArray& firstLines, qint64 size) {
    return firstLines + QByteArray(size - firstLines.size(), 'x');
}

// An answer over its cap is a failed check, found without reading it to its end; one
// deadline covers both documents, so each may come in time on its own and the check still
// ends when the two together do not.
TEST_F(VersionCheckTest, AnswersAreBoundedInSizeAndTime) {
    const QByteArray versionAtCap = Padded("22/22\r\n", 64 * 1024);
    const QByteArray versionOver = Padded("22/22\r\n", 64 * 1024 + 1);
    const QByteArray changesAtCap = Padded("Faster\n", 1024 * 1024);
    const QByteArray changesOver = Padded("Faster\n", 1024 * 1024 + 1);
    const TRoute slowVersion{.Body = "22/22\n", .PieceSize = 1, .PieceDelayMs = 120};
    const TRoute slowChanges{.Body = "Faster\n", .PieceSize = 1, .PieceDelayMs = 120};
    const struct {
        const char* name;
        TRoute version;
        TRoute changes;
        bool show;
        int deadlineMs = 15000;
        int atLeastMs = 0;  // how long it must have taken (the deadline's own cases)
    } cases[] = {
        {"both at their caps", {.Body = versionAtCap}, {.Body = changesAtCap}, true},
        {"version document over, Content-Length", {.Body = versionOver}, {.Body = "x"}, false},
        {"version document over, chunked",
         {.Body = versionOver, .Chunked = true, .PieceSize = 16384},
         {.Body = "x"},
         false},
        {"version document over, no length", {.Body = versionOver, .NoLength = true}, {}, false},
        {"version document without end", {.Body = versionAtCap, .Endless = true}, {}, false},
        {"change log over, Content-Length", {.Body = "22/22"}, {.Body = changesOver}, false},
        {"change log over, chunked",
         {.Body = "22/22"},
         {.Body = changesOver, .Chunked = true, .PieceSize = 65536},
         false},
        {"both slow, time enough", slowVersion, slowChanges, true, 5000},
        {"both slow, each within the deadline, not both", slowVersion, slowChanges, false, 1000,
         900},
        {"a byte every 3 s",
         {.Body = "22/22\n", .PieceSize = 1, .PieceDelayMs = 3000},
         {},
         false,
         1000,
         900},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetState();
        ServeVersion(c.version, c.changes);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(CheckForNewVersion({.DeadlineMs = c.deadlineMs}), c.show);
        EXPECT_GE(clock.elapsed(), c.atLeastMs);
        EXPECT_LT(clock.elapsed(), std::min(c.deadlineMs + 1000, 5000));
        EXPECT_EQ(ForceUpdate, c.show);
        EXPECT_EQ(NewVersionMessage.isEmpty(), !c.show);
    }
}

TEST_F(VersionCheckTest, UnreachableSiteIsNoUpdate) {
    qputenv("TWINSEEK_UPDATE_URL",
            QByteArray("http://127.0.0.1:") + QByteArray::number(ClosedPort()));
    EXPECT_FALSE(CheckForNewVersion());
    EXPECT_FALSE(ForceUpdate);
}

TEST_F(VersionCheckTest, RedirectedDocumentsAreFollowed) {
    Server.Route("/download/version/twinseek-version.html",
                 {.Status = 301, .Location = Server.Base().toUtf8() + "/mirror/version"});
    Server.Route("/mirror/version", {.Body = "22/21"});
    Server.Route("/download/version/twinseek-changes.html",
                 {.Status = 302, .Location = "/mirror/changes"});
    Server.Route("/mirror/changes", {.Body = "New\n"});
    EXPECT_TRUE(CheckForNewVersion());
    EXPECT_EQ(NewVersionMessage, "The new version 2.2 is available\r\n\r\nWhat's new:\r\nNew\r\n");
}

TEST(UpdateSite, EnvironmentReplacesTheBuiltInBase) {
    qunsetenv("TWINSEEK_UPDATE_URL");
    EXPECT_EQ(UpdateUrl(InstallerPath).scheme(), "https");
    EXPECT_EQ(VendorHomePage().scheme(), "https");
    qputenv("TWINSEEK_UPDATE_URL", "http://127.0.0.1:8080/mirror/");
    EXPECT_EQ(UpdateUrl(InstallerPath).toString(),
              "http://127.0.0.1:8080/mirror/download/twinseek.exe");
    EXPECT_EQ(UpdateUrl(VersionDocumentPath).toString(),
              "http://127.0.0.1:8080/mirror/download/version/twinseek-version.html");
    qunsetenv("TWINSEEK_UPDATE_URL");
}

}  // namespace
