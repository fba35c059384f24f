// The two transfers against the server on loopback.
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

#include "UpdateFixture.h"
#include "uNewVersionCheck/HttpTransfer.h"

namespace {

class HttpGetTest : public UpdateTest {
protected:
    // A chain of redirects /hop/N -> ... -> /hop/0 -> /target.
    void ServeRedirectChain(int hops) {
        Server.Route("/target", {.Body = "arrived"});
        for (int i = 0; i < hops; ++i) {
            const QByteArray next =
                i == 0 ? QByteArray("/target") : "/hop/" + QByteArray::number(i - 1);
            Server.Route("/hop/" + QByteArray::number(i), {.Status = 302, .Location = next});
        }
    }
};

TEST_F(HttpGetTest, BodyOfASuccessWithTheProgramsUserAgent) {
    Server.Route("/doc", {.Body = "22/21\r\n"});
    QString error;
    const std::optional<QByteArray> body = HttpGet(Server.Url("/doc"), {.MaxBytes = 100}, &error);
    ASSERT_TRUE(body) << error.toStdString();
    EXPECT_EQ(*body, "22/21\r\n");
    ASSERT_EQ(Server.Requests().size(), 1);
    EXPECT_EQ(Server.Requests()[0].UserAgent, "Mozilla/4.0 (compatible; MyApp)");
}

TEST_F(HttpGetTest, RedirectsAreFollowedUpToTen) {
    const struct {
        int hops;
        bool arrives;
    } cases[] = {{1, true}, {10, true}, {11, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hops);
        ServeRedirectChain(c.hops);
        QString error;
        const std::optional<QByteArray> body = HttpGet(
            Server.Url("/hop/" + QByteArray::number(c.hops - 1)), {.MaxBytes = 100}, &error);
        EXPECT_EQ(body.has_value(), c.arrives) << error.toStdString();
        if (body)
            EXPECT_EQ(*body, "arrived");
        else
            EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(HttpGetTest, FailuresGiveNothingAndAText) {
    Server.Route("/gone", {.Status = 404, .Body = "<html>Not Found</html>"});
    Server.Route("/broken", {.Status = 500, .Body = "oops"});
    Server.Route("/moved-nowhere", {.Status = 302});
    Server.Route("/silent", {.Silent = true});
    Server.Route("/stops", {.Body = "22/21 and more", .StopAfter = 3});
    const struct {
        const char* name;
        QUrl url;
    } cases[] = {
        {"404", Server.Url("/gone")},
        {"500", Server.Url("/broken")},
        {"redirect without a target", Server.Url("/moved-nowhere")},
        {"never answers", Server.Url("/silent")},
        {"stops in the body", Server.Url("/stops")},
        {"closed port", QUrl(QStringLiteral("http://127.0.0.1:%1/doc").arg(ClosedPort()))},
        {"no address", QUrl()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        QElapsedTimer clock;
        clock.start();
        const std::optional<QByteArray> body =
            HttpGet(c.url, {.ReadTimeoutMs = 500, .MaxBytes = 100}, &error);
        EXPECT_FALSE(body.has_value());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_LT(clock.elapsed(), 5000);  // the read time-out ends a silent server
    }
}

TEST_F(HttpGetTest, AnswersBeyondTheCapFailWithoutBeingReadToTheEnd) {
    constexpr qint64 cap = 70000;
    const QByteArray exact = Payload(cap);
    const QByteArray over = Payload(cap + 1);
    const struct {
        const char* name;
        TRoute route;
        bool taken;
    } cases[] = {
        {"exactly the cap, Content-Length", {.Body = exact}, true},
        {"exactly the cap, chunked", {.Body = exact, .Chunked = true, .PieceSize = 9000}, true},
        {"exactly the cap, no length", {.Body = exact, .NoLength = true}, true},
        {"one byte over, Content-Length", {.Body = over}, false},
        {"one byte over, chunked", {.Body = over, .Chunked = true, .PieceSize = 9000}, false},
        {"one byte over, no length", {.Body = over, .PieceSize = 9000, .NoLength = true}, false},
        {"10 MB announced and sent at once", {.Body = Payload(10'000'000)}, false},
        {"endless, chunked", {.Body = Payload(65536), .Chunked = true, .Endless = true}, false},
        {"endless, no length", {.Body = Payload(65536), .Endless = true}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Server.Route("/doc", c.route);
        const qint64 sentBefore = Server.BodyBytesSent();
        QString error;
        QElapsedTimer clock;
        clock.start();
        // The deadline only keeps a broken cap from running on for good.
        const std::optional<QByteArray> body = HttpGet(
            Server.Url("/doc"), {.MaxBytes = cap, .Deadline = QDeadlineTimer(20000)}, &error);
        EXPECT_EQ(body.has_value(), c.taken) << error.toStdString();
        if (body)
            EXPECT_EQ(*body, exact);
        else
            EXPECT_TRUE(error.contains("longer than 70000 bytes")) << error.toStdString();
        EXPECT_LT(clock.elapsed(), 5000);
        // Only what the socket buffers hold is sent beyond what was read.
        EXPECT_LT(Server.BodyBytesSent() - sentBefore, 32 << 20);
    }
}

TEST_F(HttpGetTest, TheDeadlineEndsAnAnswerThatTrickles) {
    // A byte every 100 ms: the read time-out never fires.
    Server.Route("/doc", {.Body = "22/21 and a long tail", .PieceSize = 1, .PieceDelayMs = 100});
    QString error;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(
        HttpGet(Server.Url("/doc"), {.MaxBytes = 100, .Deadline = QDeadlineTimer(800)}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_GE(clock.elapsed(), 700);
    EXPECT_LT(clock.elapsed(), 1800);

    // Nothing is asked once the time is up.
    const qsizetype asked = Server.Requests().size();
    EXPECT_FALSE(
        HttpGet(Server.Url("/doc"), {.MaxBytes = 100, .Deadline = QDeadlineTimer(0)}, &error));
    EXPECT_EQ(Server.Requests().size(), asked);
}

class DownloadTest : public UpdateTest {
protected:
    // Into a file that does not exist yet, as the update's private folder gives it.
    QString Download(const QByteArray& path, int stallTimeoutMs = 30000) {
        QFile::remove(Folder.filePath("installer"));
        return DownloadToFile({
            .Url = Server.Url(path),
            .FilePath = Folder.filePath("installer"),
            .OnProgress =
                [this](const TDownloadProgress& progress) {
                    Steps.push_back(progress);
                    return AnswerAtStep > 0 && int(Steps.size()) >= AnswerAtStep ? Answer
                                                                                 : QString();
                },
            .StallTimeoutMs = stallTimeoutMs,
            .StallText = [] { return QStringLiteral("stalled"); },
        });
    }

    QTemporaryDir Folder;
    std::vector<TDownloadProgress> Steps;
    int AnswerAtStep = 0;  // from this progress step on, the handler answers with Answer
    QString Answer;
};

TEST_F(DownloadTest, FileAndProgressWithAndWithoutContentLength) {
    const QByteArray body = Payload(200000);
    for (bool chunked : {false, true}) {
        SCOPED_TRACE(chunked ? "chunked" : "Content-Length");
        Steps.clear();
        Server.Route("/setup.exe",
                     {.Body = body, .Chunked = chunked, .PieceSize = 50000, .PieceDelayMs = 20});
        EXPECT_EQ(Download("/setup.exe"), QString());
        EXPECT_EQ(ReadFile(Folder.filePath("installer")), body);
        ASSERT_FALSE(Steps.empty());
        EXPECT_EQ(Steps.back().Bytes, body.size());
        for (const TDownloadProgress& step : Steps) {
            EXPECT_EQ(step.ContentLength, chunked ? -1 : body.size());
            EXPECT_EQ(step.TransferEncoding.toLower().contains("chunked"), chunked);
        }
    }
    EXPECT_EQ(Server.Requests().back().UserAgent, "Mozilla/4.0 (compatible; MyApp)");
}

TEST_F(DownloadTest, HandlerTextEndsTheTransferAndThePartStays) {
    Server.Route("/setup.exe", {.Body = Payload(100000), .PieceSize = 1000, .PieceDelayMs = 10});
    AnswerAtStep = 3;
    Answer = QStringLiteral("cancelled by the handler");
    EXPECT_EQ(Download("/setup.exe"), Answer);
    EXPECT_EQ(int(Steps.size()), 3);  // no call after the one that answered
    const QByteArray part = ReadFile(Folder.filePath("installer"));
    EXPECT_LT(part.size(), 100000);
    EXPECT_TRUE(Payload(100000).startsWith(part));
}

TEST_F(DownloadTest, StalledTransferEndsAfterTheBoundedWait) {
    Server.Route("/stops", {.Body = Payload(100000), .PieceSize = 1000, .StopAfter = 5000});
    Server.Route("/silent", {.Silent = true});
    for (const char* path : {"/stops", "/silent"}) {
        SCOPED_TRACE(path);
        QElapsedTimer clock;
        clock.start();
        Steps.clear();
        EXPECT_EQ(Download(path, 800), QStringLiteral("stalled"));
        // What came before the stall was reported: an Abort pressed then is seen.
        EXPECT_EQ(Steps.empty() ? 0 : Steps.back().Bytes, std::string(path) == "/stops" ? 5000 : 0);
        EXPECT_GE(clock.elapsed(), 700);
        EXPECT_LT(clock.elapsed(), 5000);
    }
}

TEST_F(DownloadTest, FailuresOfTheServerAndTheFile) {
    Server.Route("/gone", {.Status = 404, .Body = "Not Found"});
    Server.Route("/moved", {.Status = 302, .Location = "/setup.exe"});
    Server.Route("/setup.exe", {.Body = "MZ"});
    EXPECT_NE(Download("/gone"), QString());
    // The installer is taken from where it is asked for, never from a redirect.
    EXPECT_NE(Download("/moved"), QString());
    EXPECT_EQ(Server.Requests().back().Path, "/moved");

    const QString failure = DownloadToFile(
        {.Url = Server.Url("/setup.exe"), .FilePath = Folder.filePath("no/such/folder/x.exe")});
    EXPECT_TRUE(failure.contains(Folder.filePath("no/such/folder/x.exe"))) << failure.toStdString();

    const QString refused = DownloadToFile(
        {.Url = QUrl(QStringLiteral("http://127.0.0.1:%1/setup.exe").arg(ClosedPort())),
         .FilePath = Folder.filePath("installer")});
    EXPECT_NE(refused, QString());
}

TEST_F(DownloadTest, ABodyShorterThanAnnouncedFails) {
    Server.Route("/setup.exe", {.Body = Payload(3000), .PieceSize = 1000, .AnnouncedLength = 5000});
    // Qt tells the early close itself; the length is compared for any way it does not.
    EXPECT_FALSE(Download("/setup.exe").isEmpty());
    EXPECT_EQ(ReadFile(Folder.filePath("installer")), Payload(3000));
}

// What stands at the path already is never opened: not written, not truncated, and a link
// is not followed to its target.
TEST_F(DownloadTest, AnEntryAtThePathIsLeftAsItIs) {
    Server.Route("/setup.exe", {.Body = "MZ new"});
    const QString path = Folder.filePath("installer");
    const QString victim = Folder.filePath("victim");
    const struct {
        const char* name;
        std::function<void()> plant;
    } cases[] = {
        {"a file", [&] { WriteFile(path, "old bytes"); }},
        {"a link to a file", [&] { QFile::link(victim, path); }},
        {"a link to nothing", [&] { QFile::link(Folder.filePath("nothing"), path); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        WriteFile(victim, "victim's bytes");
        c.plant();
        const QString failure = DownloadToFile({.Url = Server.Url("/setup.exe"), .FilePath = path});
        EXPECT_TRUE(failure.contains(path)) << failure.toStdString();
        EXPECT_EQ(ReadFile(victim), "victim's bytes");
        EXPECT_FALSE(QFileInfo::exists(Folder.filePath("nothing")));
        if (!QFileInfo(path).isSymLink()) {
            EXPECT_EQ(ReadFile(path), "old bytes");
        }
    }
}

}  // namespace
