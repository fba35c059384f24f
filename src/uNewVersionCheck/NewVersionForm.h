#pragma once
// The dialog that offers (or demands) the new version before the main window exists, and
// downloads and starts its installer. Its Tag tells the start-up what to do next:
// 1 = go on to the main window, 0 = end the program.
#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

#include "uNewVersionCheck/HttpTransfer.h"

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmNewVersion : public QDialog {
    Q_OBJECT

public:
    explicit TfrmNewVersion(QWidget* parent = nullptr);

    int Tag() const { return FTag; }

    QLabel* Label1;
    QLabel* VirtualImage1;
    QPushButton* btUpdateNow;
    QPushButton* btCancel;
    QProgressBar* ProgressBar1;

    // The outside world, replaced by tests.
    // Starts the downloaded installer; a non-empty text says why it could not.
    std::function<QString(const QString& programPath)> FStartProgram;
    std::function<void(const QUrl& url)> FOpenUrl;
    std::function<void(const QString& text)> FShowError;  // the error box
    QUrl FInstallerUrl;
    QString FTempFolder;  // the user's temporary folder, where the download's own folder goes
    int FStallTimeoutMs = 30000;
    // Whether the vendor's Windows installer can run here; elsewhere Update Now opens the
    // vendor's download page instead.
#ifdef _WIN32
    bool FStartsInstaller = true;
#else
    bool FStartsInstaller = false;
#endif

    void btUpdateNowClick();
    void btCancelClick();
    // The progress step of a running download; a non-empty text ends it with that failure.
    QString DownloadWork(const TDownloadProgress& progress);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void FormClose();
    QString RunDownload();

    int FTag = 1;
    bool FDownloading = false;
};
