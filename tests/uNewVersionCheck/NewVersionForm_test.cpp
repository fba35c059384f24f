// The new-version dialog: its states, the ways to close it, and the installer download.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "DialogFixture.h"
#include "support/TestTranslations.h"
#include "uNewVersionCheck/UpdateSite.h"

namespace {

const QString FailedText =
    "Failed to download update. Please download manually on website.\r\n\r\n";
const QString CancelledText = "Download is cancelled. Please download manually.";

class NewVersionFormTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        TempBefore = Entries(QDir::tempPath());
    }

    // A started installer lies alone in a new folder of its own in the temporary folder.
    void ExpectStartedFromItsOwnFolder(const QByteArray& installer) {
        ASSERT_EQ(Started.size(), 1);
        const QFileInfo file(Started[0]);
        EXPECT_EQ(file.fileName(), "twinseek_update.exe");
        EXPECT_EQ(QFileInfo(file.path()).path(), QDir::tempPath());
        EXPECT_TRUE(QFileInfo(file.path()).fileName().startsWith("twinseek-update-"));
        EXPECT_FALSE(TempBefore.contains(QFileInfo(file.path()).fileName()));
        EXPECT_EQ(Entries(file.path()), QStringList{"twinseek_update.exe"});
        EXPECT_EQ(ReadFile(Started[0]), installer);
    }

    // Serves the installer slowly enough for a test to act during the transfer.
    void ServeInstaller(const TRoute& route) { Server.Route("/download/twinseek.exe", route); }

    // Every position the bar took, and what the buttons showed the first time it moved.
    void WatchProgress(TfrmNewVersion& dialog) {
        QObject::connect(
            dialog.ProgressBar1, &QProgressBar::valueChanged, [this, &dialog](int value) {
                Positions.push_back(value);
                if (value > 0 && DuringDownload.isEmpty())
                    DuringDownload = dialog.btCancel->text() +
                                     (dialog.btUpdateNow->isEnabled() ? " enabled" : " disabled") +
                                     (dialog.ProgressBar1->isVisible() ? " bar" : " no bar");
            });
    }

    // Presses Abort (or closes the window) once the transfer is running.
    void AbortOnFirstProgress(TfrmNewVersion& dialog, bool byCloseBox = false) {
        auto sent = std::make_shared<bool>(false);
        QObject::connect(dialog.ProgressBar1, &QProgressBar::valueChanged,
                         [&dialog, byCloseBox, sent](int value) {
                             if (value == 0 || *sent)
                                 return;
                             *sent = true;
                             if (byCloseBox)
                                 QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
                             else
                                 ClickLater(dialog.btCancel);
                         });
    }

    std::vector<int> Positions;
    QString DuringDownload;
    QStringList TempBefore;  // the temporary folder's names before the test
};

TEST_F(NewVersionFormTest, OfferAndDemandAsShown) {
    const struct {
        bool force;
        const char* secondButton;
    } cases[] = {{false, "Skip"}, {true, "Exit"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.secondButton);
        ForceUpdate = c.force;
        NewVersionMessage =
            "The new version 2.2 is available\r\n\r\nWhat's new:\r\n<b>bold</b>\r\n";
        TfrmNewVersion dialog;
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), " Twinseek");
        EXPECT_EQ(dialog.objectName(), "frmNewVersion");
        EXPECT_EQ(dialog.size(), QSize(425, 187));
        EXPECT_EQ(dialog.btUpdateNow->text(), "Update Now");
        EXPECT_TRUE(dialog.btUpdateNow->isEnabled());
        EXPECT_EQ(dialog.btCancel->text(), c.secondButton);
        EXPECT_EQ(dialog.Label1->text(),
                  "The new version 2.2 is available\n\nWhat's new:\n<b>bold</b>\n");
        EXPECT_EQ(dialog.Label1->textFormat(), Qt::PlainText);  // the change log is no markup
        EXPECT_FALSE(dialog.ProgressBar1->isVisible());
        EXPECT_FALSE(dialog.VirtualImage1->pixmap().isNull());
        EXPECT_EQ(dialog.Tag(), 1);
        dialog.hide();
    }
}

TEST_F(NewVersionFormTest, EveryWayOfClosingWithoutDownload) {
    const struct {
        bool force;
        const char* way;
        int tag;
    } cases[] = {
        {false, "button", 1}, {false, "close box", 1}, {false, "Escape", 1},
        {true, "button", 0},  {true, "close box", 0},  {true, "Escape", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.force ? "demand, " : "offer, ") + c.way);
        ForceUpdate = c.force;
        TfrmNewVersion dialog;
        Record(dialog);
        const std::string way = c.way;
        RunModal(dialog, [&] {
            if (way == "button")
                dialog.btCancel->click();
            else if (way == "close box")
                dialog.close();
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.Tag(), c.tag);
    }
    EXPECT_TRUE(Server.Requests().isEmpty());
    EXPECT_TRUE(Started.isEmpty());
    EXPECT_TRUE(Opened.isEmpty());
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(NewVersionFormTest, DownloadWithContentLengthMovesTheBarAndStartsTheInstaller) {
    const QByteArray installer = WindowsProgram(300000);
    ServeInstaller({.Body = installer, .PieceSize = 30000, .PieceDelayMs = 20});
    TfrmNewVersion dialog;  // an offer: after Update Now the program ends all the same
    RecordInstaller(dialog);
    WatchProgress(dialog);
    RunModal(dialog, [&] { dialog.btUpdateNow->click(); });

    EXPECT_EQ(DuringDownload, "Abort disabled bar");
    ASSERT_FALSE(Positions.empty());
    EXPECT_EQ(Positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(Positions.begin(), Positions.end()));
    EXPECT_TRUE(
        std::any_of(Positions.begin(), Positions.end(), [](int p) { return p > 0 && p < 100; }));
    ExpectStartedFromItsOwnFolder(installer);
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_TRUE(Opened.isEmpty());
    EXPECT_TRUE(ForceUpdate);
    EXPECT_EQ(dialog.Tag(), 0);
    EXPECT_EQ(Server.Requests().back().Path, "/download/twinseek.exe");
    EXPECT_EQ(Server.Requests().back().UserAgent, "Mozilla/4.0 (compatible; MyApp)");
}

TEST_F(NewVersionFormTest, ChunkedDownloadLeavesTheBarAtZero) {
    const QByteArray installer = WindowsProgram(300000);
    ServeInstaller({.Body = installer, .Chunked = true, .PieceSize = 30000, .PieceDelayMs = 10});
    // A file where the installer once went is neither used nor changed.
    WriteFile(FixedInstallerPath(), "MZ from an earlier attempt");
    TfrmNewVersion dialog;
    RecordInstaller(dialog);
    WatchProgress(dialog);
    RunModal(dialog, [&] { dialog.btUpdateNow->click(); });

    EXPECT_EQ(dialog.ProgressBar1->value(), 0);
    EXPECT_TRUE(std::all_of(Positions.begin(), Positions.end(), [](int p) { return p == 0; }));
    ExpectStartedFromItsOwnFolder(installer);
    EXPECT_EQ(ReadFile(FixedInstallerPath()), "MZ from an earlier attempt");
    QFile::remove(FixedInstallerPath());
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(dialog.Tag(), 0);
}

TEST_F(NewVersionFormTest, AbortOrCloseDuringTheDownload) {
    for (bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox ? "close box" : "Abort");
        Started.clear();
        Opened.clear();
        Errors.clear();
        ServeInstaller({.Body = Payload(200000), .PieceSize = 2000, .PieceDelayMs = 20});
        TfrmNewVersion dialog;
        RecordInstaller(dialog);
        AbortOnFirstProgress(dialog, byCloseBox);
        QElapsedTimer clock;
        clock.start();
        RunModal(dialog, [&] { dialog.btUpdateNow->click(); });

        EXPECT_LT(clock.elapsed(), 1500);  // seen at the next progress step, not at the end
        EXPECT_EQ(Errors, QStringList{FailedText + CancelledText});
        EXPECT_EQ(Opened, QList<QUrl>{VendorHomePage()});
        EXPECT_TRUE(Started.isEmpty());
        EXPECT_EQ(dialog.Tag(), 0);
        // The part that came went with its folder.
        EXPECT_EQ(Entries(QDir::tempPath()), TempBefore);
    }
}

TEST_F(NewVersionFormTest, TranslatedAbortStillAborts) {
    LoadTestTable(
        "2\nEnglish\nDeutsch\nen\nde\n"
        "Abort\nAbbrechen\n"
        "Update Now\nJetzt aktualisieren\n"
        "Skip\nÜberspringen\n"
        "Download is cancelled. Please download manually.\nDownload abgebrochen.\n",
        u"de");

    ServeInstaller({.Body = Payload(200000), .PieceSize = 2000, .PieceDelayMs = 20});
    TfrmNewVersion dialog;
    RecordInstaller(dialog);
    WatchProgress(dialog);
    AbortOnFirstProgress(dialog);
    RunModal(dialog, [&] {
        EXPECT_EQ(dialog.btUpdateNow->text(), "Jetzt aktualisieren");
        EXPECT_EQ(dialog.btCancel->text(), "Überspringen");
        dialog.btUpdateNow->click();
    });
    EXPECT_EQ(DuringDownload, "Abbrechen disabled bar");
    EXPECT_EQ(Errors, QStringList{FailedText + "Download abgebrochen."});
    EXPECT_TRUE(Started.isEmpty());
}

TEST_F(NewVersionFormTest, StalledDownloadEndsInTheFailurePath) {
    for (bool pressAbort : {false, true}) {
        SCOPED_TRACE(pressAbort ? "Abort pressed while stalled" : "nobody presses");
        Errors.clear();
        Opened.clear();
        ServeInstaller({.Body = Payload(200000), .PieceSize = 1000, .StopAfter = 3000});
        TfrmNewVersion dialog;
        dialog.FStallTimeoutMs = 1000;
        RecordInstaller(dialog);
        if (pressAbort)
            AbortOnFirstProgress(dialog);
        QElapsedTimer clock;
        clock.start();
        RunModal(dialog, [&] { dialog.btUpdateNow->click(); });

        EXPECT_GE(clock.elapsed(), 900);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(Errors,
                  QStringList{FailedText +
                              (pressAbort ? CancelledText
                                          : "No data arrived from the server in the last 1 s.")});
        EXPECT_EQ(Opened, QList<QUrl>{VendorHomePage()});
        EXPECT_TRUE(Started.isEmpty());
        EXPECT_EQ(dialog.Tag(), 0);
        EXPECT_EQ(Entries(QDir::tempPath()), TempBefore);
    }
}

// Every failure shows the failed-download box with its own text, opens the home page, starts
// nothing (or nothing more than the start that failed) and leaves nothing behind.
TEST_F(NewVersionFormTest, EveryFailureShowsItsOwnTextAndLeavesNothing) {
    const QString notAProgram = "The downloaded file is not a Windows program.";
    const struct {
        const char* name;
        TRoute route;
        QString inText;  // a piece of the failure's own text
        QString folder;
        QString startFailure;
    } cases[] = {
        {"404", {.Status = 404, .Body = "Not Found"}, "Not Found"},
        {"redirect", {.Status = 302, .Location = "/elsewhere"}, "302"},
        {"no temporary folder",
         {.Body = WindowsProgram(1000)},
         "missing",
         QDir::tempPath() + "/missing"},
        // Qt's own text for the closed connection.
        {"cut off before its length",
         {.Body = WindowsProgram(3000), .AnnouncedLength = 5000},
         "closed"},
        {"an HTML page", {.Body = "<!DOCTYPE html><html><body>Moved</body></html>"}, notAProgram},
        {"MZ without the PE signature", {.Body = "MZ" + Payload(1000)}, notAProgram},
        {"PE offset beyond the end", {.Body = WindowsProgram(1000).left(0x90)}, notAProgram},
        {"the shell cannot start it",
         {.Body = WindowsProgram(1000)},
         "Cannot start the downloaded installer.",
         {},
         "Cannot start the downloaded installer."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Errors.clear();
        Opened.clear();
        Started.clear();
        StartFailure = c.startFailure;
        ServeInstaller(c.route);
        TfrmNewVersion dialog;
        RecordInstaller(dialog);
        if (!c.folder.isEmpty())
            dialog.FTempFolder = c.folder;
        RunModal(dialog, [&] { dialog.btUpdateNow->click(); });
        ASSERT_EQ(Errors.size(), 1);
        EXPECT_TRUE(Errors[0].startsWith(FailedText));
        EXPECT_TRUE(Errors[0].mid(FailedText.size()).contains(c.inText)) << Errors[0].toStdString();
        EXPECT_EQ(Opened, QList<QUrl>{VendorHomePage()});
        EXPECT_EQ(Started.size(), c.startFailure.isEmpty() ? 0 : 1);
        EXPECT_EQ(dialog.Tag(), 0);
        EXPECT_EQ(Entries(QDir::tempPath()), TempBefore);
    }
}

// Where the Windows installer cannot run, Update Now sends the user to the download page.
TEST_F(NewVersionFormTest, UpdateNowOffWindowsOpensTheDownloadPage) {
    for (bool force : {false, true}) {
        SCOPED_TRACE(force ? "demand" : "offer");
        Opened.clear();
        ForceUpdate = force;
        TfrmNewVersion dialog;
        Record(dialog);
        dialog.FStartsInstaller = false;
        RunModal(dialog, [&] { dialog.btUpdateNow->click(); });
        EXPECT_EQ(Opened, QList<QUrl>{VendorDownloadPage()});
        EXPECT_EQ(dialog.Tag(), 0);
    }
    EXPECT_EQ(VendorDownloadPage().scheme(), "https");
    EXPECT_EQ(VendorDownloadPage().host(), VendorHomePage().host());
    EXPECT_TRUE(Server.Requests().isEmpty());
    EXPECT_TRUE(Started.isEmpty());
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(Entries(QDir::tempPath()), TempBefore);
}

}  // namespace
