#include "uMainForm/uMainForm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/DigestCache.h"
#include "core/ReferenceFolders.h"
#include "core/ResultRows.h"
#include "platform/Shell.h"
#include "qtcommon/AppInfo.h"
#include "qtcommon/QtText.h"
#include "uMainForm/ProgramIcon.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ResultView.h"

TMainForm::TMainForm(TLanguageStore* languageStore, QWidget* parent)
    : QMainWindow(parent),
      FLanguageStore(languageStore),
      FFilesList(std::make_unique<TResultModel>(ColumnCaptions(FileColumnCaptions),
                                                TItemPath::ipFileRecord)),
      FDirsList(std::make_unique<TResultModel>(ColumnCaptions(DirColumnCaptions),
                                               TItemPath::ipFirstSubItem)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(ProgramIcon());
    FFolderPicker = [this](const QString& title, const QString& startFolder) {
        return QFileDialog::getExistingDirectory(this, title, startFolder,
                                                 QFileDialog::ShowDirsOnly);
    };
    FShowMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, QMessageBox::Ok, this);
        box.exec();
    };
    FShowInformation = [this](const QString& text) {
        // The program's own icon where the platform's information sign would stand.
        QMessageBox box(QMessageBox::Information, ApplicationTitle, text, QMessageBox::Ok, this);
        box.setIconPixmap(windowIcon().pixmap(64));
        box.exec();
    };
    FOpenUrl = [](const QUrl& url) { return Platform::ShellOpen(ToText(url.toString())); };

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    auto* regions = new QVBoxLayout(client);
    regions->setContentsMargins(0, 0, 0, 0);
    regions->setSpacing(0);
    CreateSettingsPanel();
    CreateListBar();
    CreatePages();
    CreateBottomPanel();
    regions->addWidget(PanelTop);
    regions->addWidget(PanelList);
    regions->addWidget(PageControl1, 1);
    regions->addWidget(PanelBottom);
    setCentralWidget(client);
    CreateMenu();

    SetTabOrder();

    FEngine = std::make_unique<TScanEngine>(*this, *FFilesList, *FDirsList);
    FEngine->SetDigestCachePath(CacheFilePath());
    ConnectCommands();
    CreateListCommands();
    CreateKeepCommands();
    FormCreate();

    resize(1178, 709 + menuBar()->sizeHint().height());
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

TMainForm::~TMainForm() {
    // The engine's records go first; the views go before the models they show.
    FEngine.reset();
    delete PageControl1;
}

void TMainForm::SetTabOrder() {
    // The settings panel column by column from left to right, then the filter, the pages, the
    // buttons below them and Stop.
    QWidget* const order[] = {lbFolders,
                              btnAddFolder,
                              btnRemoveFolder,
                              chkFileDuplicates,
                              chkDirDuplicates,
                              rgCompareItem[0],
                              rgCompareItem[1],
                              rgCompareItem[2],
                              rgCompareItem[3],
                              edMasks,
                              seMinSizeMB,
                              chkParallelHash,
                              seMaxGroups,
                              seMinGroupSize,
                              btnScan,
                              edFilter,
                              PageControl1->findChild<QTabBar*>(),
                              lvFiles,
                              lvDirs,
                              btnSelectAllButOne,
                              btnKeep,
                              btnCheckAll,
                              btnUncheckAll,
                              Button1,
                              btnDeleteSelected,
                              btnExportFiles,
                              btnExportDirs,
                              btnStop};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TMainForm::ConnectCommands() {
    // A menu item and its button run one handler.
    connect(btnScan, &QToolButton::clicked, this, &TMainForm::btnScanClick);
    connect(Scan1, &QAction::triggered, this, &TMainForm::btnScanClick);
    connect(btnStop, &QPushButton::clicked, this, &TMainForm::btnStopClick);
    connect(Stop1, &QAction::triggered, this, &TMainForm::btnStopClick);
    connect(btnAddFolder, &QPushButton::clicked, this, &TMainForm::btnAddFolderClick);
    connect(AddFolder1, &QAction::triggered, this, &TMainForm::btnAddFolderClick);
    connect(btnRemoveFolder, &QPushButton::clicked, this, &TMainForm::btnRemoveFolderClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PageControl1Change);
    connect(FileClones1, &QAction::triggered, this, &TMainForm::FileClones1Click);
    connect(FolderClones1, &QAction::triggered, this, &TMainForm::FolderClones1Click);
    connect(ShowSettingsPanel1, &QAction::triggered, this, &TMainForm::ShowSettingsPanel1Click);
    connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);
    connect(utorial1, &QAction::triggered, this, &TMainForm::utorial1Click);
    connect(ContactUs1, &QAction::triggered, this, &TMainForm::ContactUs1Click);
    connect(VisitWebsite1, &QAction::triggered, this, &TMainForm::VisitWebsite1Click);
    connect(About1, &QAction::triggered, this, &TMainForm::Button2Click);
    connect(btnSelectAllButOne, &QPushButton::clicked, this, &TMainForm::btnSelectAllButOneClick);
    connect(Checkallbutoneingroup1, &QAction::triggered, this, &TMainForm::btnSelectAllButOneClick);
    connect(btnCheckAll, &QPushButton::clicked, this, &TMainForm::btnCheckAllClick);
    connect(Checkall1, &QAction::triggered, this, &TMainForm::btnCheckAllClick);
    connect(btnUncheckAll, &QPushButton::clicked, this, &TMainForm::btnUncheckAllClick);
    connect(Uncheckall1, &QAction::triggered, this, &TMainForm::btnUncheckAllClick);
    connect(btnDeleteSelected, &QPushButton::clicked, this, &TMainForm::btnDeleteSelectedClick);
    connect(MoveCheckedtoRecycleBin1, &QAction::triggered, this,
            &TMainForm::btnDeleteSelectedClick);
    connect(Replacecheckedwithhardlinks1, &QAction::triggered, this,
            &TMainForm::btnLinkCheckedClick);
    connect(ReplacewithHardLinks1, &QAction::triggered, this, &TMainForm::btnLinkCheckedClick);
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(btnExportFiles, &QPushButton::clicked, this, &TMainForm::btnExportFilesClick);
    connect(ExportFileClones1, &QAction::triggered, this, &TMainForm::btnExportFilesClick);
    connect(btnExportDirs, &QPushButton::clicked, this, &TMainForm::btnExportDirsClick);
    connect(ExportFolderClones1, &QAction::triggered, this, &TMainForm::btnExportDirsClick);
    connect(ClearHashCache1, &QAction::triggered, this, &TMainForm::ClearHashCache1Click);
}

void TMainForm::FormCreate() {
    setWindowTitle(ApplicationTitle + QLatin1Char(' ') + VersionText);
    FEngine->StopToken().Reset();
    FLastAddFolderParent.clear();

    rgCompareItem[cmContent]->setChecked(true);
    chkFileDuplicates->setChecked(true);
    chkDirDuplicates->setChecked(false);
    edMasks->setText(Q(MatchEveryName));
    seMinSizeMB->setValue(static_cast<int>(MinSizeMBSetting.Default));
    chkParallelHash->setChecked(true);
    seMaxGroups->setValue(static_cast<int>(MaxGroupsSetting.Default));
    seMinGroupSize->setValue(static_cast<int>(MinGroupSizeSetting.Default));
    PageControl1->setCurrentIndex(0);
    FileClones1->setChecked(true);
    FolderClones1->setChecked(false);
    ShowSettingsPanel1->setChecked(true);

    SetupListViews();

    btnStop->setEnabled(false);
    Stop1->setEnabled(false);

    BuildLanguageMenu();
    TranslateUI();
}

void TMainForm::SetupListViews() {
    const int filesWidths[] = {60, 300, 520, 100};
    const int dirsWidths[] = {60, 740, 160};
    for (int i = 0; i < 4; ++i)
        lvFiles->setColumnWidth(i, filesWidths[i]);
    for (int i = 0; i < 3; ++i)
        lvDirs->setColumnWidth(i, dirsWidths[i]);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The hashing workers may still read the records: stop, let Scan return, close then.
    if (FEngine->Scanning()) {
        FCloseAfterScan = true;
        FEngine->Stop();
        event->ignore();
        return;
    }
    // The same for the check before a removal, which moves nothing once stopped.
    if (FRemoving) {
        FCloseAfterScan = true;
        FEngine->StopToken().Request();
        event->ignore();
        return;
    }
    event->accept();
}
