// The two transfers against the server on loopback.
#include <QElapsedTimer>
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
    const std::optional<QByteArray> body = HttpGet(Server.Url("/doc"), {}, &error);
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
        const std::optional<QByteArray> body =
            HttpGet(Server.Url("/hop/" + QByteArray::number(c.hops - 1)), {}, &error);
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
        const std::optional<QByteArray> body = HttpGet(c.url, {.ReadTimeoutMs = 500}, &error);
        EXPECT_FALSE(body.has_value());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_LT(clock.elapsed(), 5000);  // the read time-out ends a silent server
    }
}

class DownloadTest : public UpdateTest {
protected:
    QString Download(const QByteArray& path, int stallTimeoutMs = 30000) {
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

}  // namespace
