// The version gate as the start-up runs it, with the dialog driven by the test.
#include <QLabel>
#include <QPushButton>

#include "DialogFixture.h"
#include "uNewVersionCheck/VersionGate.h"

namespace {

class VersionGateTest : public DialogTest {};

TEST_F(VersionGateTest, NoDialogWithoutANewerVersion) {
    const struct {
        const char* name;
        QByteArray versionDocument;
    } cases[] = {{"same version", "21/21"}, {"older minimum", "21/10"}, {"malformed", "22"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServeVersion(c.versionDocument, "x\n");
        bool shown = false;
        EXPECT_TRUE(RunVersionGate([&](TfrmNewVersion&) { shown = true; }));
        EXPECT_FALSE(shown);
    }
    qputenv("TWINSEEK_UPDATE_URL",
            QByteArray("http://127.0.0.1:") + QByteArray::number(ClosedPort()));
    EXPECT_TRUE(RunVersionGate([](TfrmNewVersion&) { ADD_FAILURE() << "dialog shown"; }));
}

TEST_F(VersionGateTest, OfferAndDemandDecideWhetherTheWindowStarts) {
    const struct {
        QByteArray versionDocument;
        const char* action;
        QString secondButton;
        bool mainWindow;
    } cases[] = {
        {"22/21", "second button", "Skip", true},
        {"22/21", "close box", "Skip", true},
        {"22/22", "second button", "Exit", false},
        {"22/22", "close box", "Exit", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionDocument.toStdString() + ", " + c.action);
        ResetState();
        ServeVersion(c.versionDocument, "Faster\n");
        QString label;
        QString secondButton;
        const bool goOn = RunVersionGate([&](TfrmNewVersion& dialog) {
            Record(dialog);
            QTimer::singleShot(0, &dialog, [&, action = std::string(c.action)] {
                label = dialog.Label1->text();
                secondButton = dialog.btCancel->text();
                if (action == "close box")
                    dialog.close();
                else
                    dialog.btCancel->click();
            });
        });
        EXPECT_EQ(goOn, c.mainWindow);
        EXPECT_EQ(secondButton, c.secondButton);
        EXPECT_TRUE(label.startsWith(c.mainWindow
                                         ? "The new version 2.2 is available"
                                         : "This version of the software is out of date."));
        EXPECT_TRUE(label.endsWith("What's new:\nFaster\n"));
    }
}

TEST_F(VersionGateTest, UpdateNowEndsTheProgramWithTheInstallerStarted) {
    ServeVersion("22/21", "Faster\n");
    const QByteArray installer = WindowsProgram(1000);
    Server.Route("/download/twinseek.exe", {.Body = installer});
    const bool goOn = RunVersionGate([&](TfrmNewVersion& dialog) {
        RecordInstaller(dialog);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.btUpdateNow->click(); });
    });
    EXPECT_FALSE(goOn);
    ASSERT_EQ(Started.size(), 1);
    EXPECT_EQ(ReadFile(Started[0]), installer);
    EXPECT_TRUE(Errors.isEmpty());
}

}  // namespace
