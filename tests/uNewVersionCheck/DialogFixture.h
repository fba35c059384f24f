#pragma once
// The new-version dialog with its shell services recorded instead of used, run modally
// while the test acts on it from the event loop.
#include <QList>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "UpdateFixture.h"
#include "uNewVersionCheck/NewVersionForm.h"

class DialogTest : public UpdateTest {
protected:
    // Replaces what would reach the desktop by recorders; a start answers StartFailure.
    void Record(TfrmNewVersion& dialog) {
        dialog.FStartProgram = [this](const QString& path) {
            Started << path;
            return StartFailure;
        };
        dialog.FOpenUrl = [this](const QUrl& url) { Opened << url; };
        dialog.FShowError = [this](const QString& text) { Errors << text; };
    }
    // The same, and Update Now downloads and starts the installer, as on Windows.
    void RecordInstaller(TfrmNewVersion& dialog) {
        Record(dialog);
        dialog.FStartsInstaller = true;
    }

    // Shows the dialog modally, runs act from its event loop and returns when it closes. A
    // dialog still open after 20 s is a failure and is closed.
    static void RunModal(TfrmNewVersion& dialog, const std::function<void()>& act) {
        QTimer::singleShot(0, &dialog, act);
        bool timedOut = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            timedOut = true;
            DownloadAborted = true;
            dialog.close();
        });
        watchdog.start(20000);
        dialog.exec();
        EXPECT_FALSE(timedOut) << "the dialog did not close";
    }

    // A click that arrives as a window message would, during the transfer.
    static void ClickLater(QPushButton* button) {
        QTimer::singleShot(0, button, [button] { button->click(); });
    }

    QStringList Started;
    QString StartFailure;
    QList<QUrl> Opened;
    QStringList Errors;
};
