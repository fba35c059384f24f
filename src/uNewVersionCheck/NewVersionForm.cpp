#include "uNewVersionCheck/NewVersionForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

#include "platform/Shell.h"
#include "qtcommon/AppInfo.h"
#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uNewVersionCheck/InstallerFile.h"
#include "uNewVersionCheck/UpdateIcon.h"
#include "uNewVersionCheck/UpdateSite.h"
#include "uNewVersionCheck/VersionCheck.h"

namespace {

const QString UpdateFileName = QStringLiteral("twinseek_update.exe");

}  // namespace

TfrmNewVersion::TfrmNewVersion(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(this)),
      VirtualImage1(new QLabel(this)),
      btUpdateNow(new QPushButton(QStringLiteral("Update Now"), this)),
      btCancel(new QPushButton(this)),
      ProgressBar1(new QProgressBar(this)),
      FStartProgram([](const QString& path) {
          return Platform::ShellStart(ToText(QDir::toNativeSeparators(path)))
                     ? QString()
                     : Tr(u"Cannot start the downloaded installer.");
      }),
      FOpenUrl([](const QUrl& url) { Platform::ShellOpen(ToText(url.toString())); }),
      FShowError([this](const QString& text) {
          QString shown = text;
          shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
          QMessageBox::critical(this, ApplicationTitle, shown, QMessageBox::Ok);
      }),
      FInstallerUrl(UpdateUrl(InstallerPath)),
      FTempFolder(QDir::tempPath()) {
    setObjectName(QStringLiteral("frmNewVersion"));
    QFont font = this->font();
#ifdef _WIN32
    font.setFamily(QStringLiteral("Segoe UI"));
#endif
    font.setPointSize(9);
    setFont(font);
    setFixedSize(425, 187);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(90, 11, 315, 106);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The change log is the site's text, never markup to render.
    Label1->setTextFormat(Qt::PlainText);

    VirtualImage1->setObjectName(QStringLiteral("VirtualImage1"));
    VirtualImage1->setGeometry(9, 15, 70, 75);
    VirtualImage1->setAlignment(Qt::AlignCenter);
    const qreal scale = devicePixelRatioF();
    QPixmap picture = UpdatePicture(128).scaled(QSize(70, 70) * scale, Qt::KeepAspectRatio,
                                                Qt::SmoothTransformation);
    picture.setDevicePixelRatio(scale);
    VirtualImage1->setPixmap(picture);

    btUpdateNow->setObjectName(QStringLiteral("btUpdateNow"));
    btUpdateNow->setGeometry(214, 151, 100, 25);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setGeometry(327, 151, 75, 25);
    setTabOrder(btUpdateNow, btCancel);
    btUpdateNow->setFocus();

    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 127, 397, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setVisible(false);

    connect(btUpdateNow, &QPushButton::clicked, this, &TfrmNewVersion::btUpdateNowClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmNewVersion::btCancelClick);
}

void TfrmNewVersion::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmNewVersion::FormShow() {
    FTag = 1;
    setWindowTitle(QLatin1Char(' ') + ApplicationTitle);
    btUpdateNow->setText(Tr(u"Update Now"));
    btCancel->setText(ForceUpdate ? Tr(u"Exit") : Tr(u"Skip"));
    QString message = NewVersionMessage;
    Label1->setText(message.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TfrmNewVersion::FormClose() {
    if (ForceUpdate)
        FTag = 0;
}

void TfrmNewVersion::done(int result) {
    // Closing while the installer downloads would hide a transfer that nobody can stop any
    // more: it asks for the abort instead, and the download's end closes the dialog.
    if (FDownloading) {
        DownloadAborted = true;
        return;
    }
    FormClose();
    QDialog::done(result);
}

void TfrmNewVersion::btCancelClick() {
    // The caption tells whether a download runs; it is compared in the current language.
    if (btCancel->text() == Tr(u"Abort"))
        DownloadAborted = true;
    else
        close();
}

void TfrmNewVersion::btUpdateNowClick() {
    if (FDownloading)
        return;
    // From here on the program ends when the dialog closes, whatever happens.
    ForceUpdate = true;
    if (!FStartsInstaller) {
        FOpenUrl(VendorDownloadPage());
        close();
        return;
    }
    DownloadAborted = false;
    FDownloading = true;
    btCancel->setText(Tr(u"Abort"));
    btUpdateNow->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    ProgressBar1->repaint();
    QCoreApplication::processEvents();

    const QString failure = RunDownload();
    FDownloading = false;
    if (!failure.isEmpty()) {
        FShowError(Tr(u"Failed to download update. Please download manually on website.") +
                   QStringLiteral("\r\n\r\n") + failure);
        FOpenUrl(VendorHomePage());
    }
    close();
}

QString TfrmNewVersion::RunDownload() {
    // A folder that no other user can enter, so nobody can plant a link for the download to
    // follow or change the installer before it starts. Gone again on every failure.
    TDownloadFolder folder(FTempFolder, UpdateFileName);
    if (!folder.Failure().isEmpty())
        return folder.Failure();
    const QString& path = folder.FilePath();
    const TDownloadRequest request{
        .Url = FInstallerUrl,
        .FilePath = path,
        .OnProgress = [this](const TDownloadProgress& progress) { return DownloadWork(progress); },
        .StallTimeoutMs = FStallTimeoutMs,
        // An Abort pressed during the stall is what the user asked for, so it is named.
        .StallText =
            [this] {
                if (DownloadAborted)
                    return Tr(u"Download is cancelled. Please download manually.");
                return QStringLiteral("No data arrived from the server in the last %1 s.")
                    .arg(FStallTimeoutMs / 1000.0);
            },
    };
    const QString failure = DownloadToFile(request);
    if (!failure.isEmpty())
        return failure;
    if (!QFileInfo::exists(path))
        return Tr(u"Cannot find downloaded file.");
    // An error page or a cut-off file is not handed to the shell.
    if (!LooksLikeWindowsProgram(path))
        return Tr(u"The downloaded file is not a Windows program.");
    if (const QString startFailure = FStartProgram(path); !startFailure.isEmpty())
        return startFailure;
    folder.Keep();
    return {};
}

QString TfrmNewVersion::DownloadWork(const TDownloadProgress& progress) {
    if (DownloadAborted)
        return Tr(u"Download is cancelled. Please download manually.");
    if (progress.ContentLength > 0 && !progress.TransferEncoding.toLower().contains("chunked")) {
        const qint64 percent = progress.Bytes * 100 / progress.ContentLength;
        ProgressBar1->setValue(static_cast<int>(std::clamp<qint64>(percent, 0, 100)));
        ProgressBar1->repaint();
        QCoreApplication::processEvents();
    }
    return {};
}
