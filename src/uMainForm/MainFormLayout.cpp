// The window's regions from top to bottom: settings panel, result pages, bottom panel; and
// the main menu. Captions are set by TranslateUI.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "uMainForm/LeftToRightDelegate.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ResultView.h"
#include "uMainForm/ScanIcon.h"
#include "uMainForm/WholeNumberSpin.h"
#include "uMainForm/uMainForm.h"

namespace {

template <class TWidget>
TWidget* Make(const char* name, QWidget* parent = nullptr) {
    auto* widget = new TWidget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QAction* MakeAction(QMenu* menu, const char* name, bool checkable = false) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}

QAction* MakeSeparator(QMenu* menu, const char* name) {
    QAction* separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

QMenu* MakeMenu(QMenuBar* bar, const char* name) {
    QMenu* menu = bar->addMenu(QString());
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* MakeSubmenu(QMenu* parent, const char* name) {
    QMenu* menu = parent->addMenu(QString());
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

TWholeNumberSpin* MakeSpin(const char* name, const TNumberSetting& setting) {
    auto* spin = Make<TWholeNumberSpin>(name);
    spin->setRange(static_cast<int>(setting.Minimum), static_cast<int>(setting.Maximum));
    spin->setFixedWidth(133);
    return spin;
}

}  // namespace

void TMainForm::CreateSettingsPanel() {
    PanelTop = Make<QWidget>("PanelTop");
    PanelTop->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(PanelTop);
    row->setContentsMargins(8, 6, 16, 8);
    row->setSpacing(16);

    // The folder list takes every pixel the right-anchored settings leave.
    auto* folders = new QVBoxLayout;
    folders->setSpacing(2);
    Label1 = Make<QLabel>("Label1");
    lbFolders = Make<QListWidget>("lbFolders");
    lbFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    lbFolders->setItemDelegate(new TLeftToRightDelegate(lbFolders));
    lbFolders->setMinimumWidth(200);
    // The panel's height comes from the settings beside the list, not from the list.
    lbFolders->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    lbFolders->setMinimumHeight(60);
    folders->addWidget(Label1);
    folders->addWidget(lbFolders, 1);
    row->addLayout(folders, 1);

    auto* folderButtons = new QVBoxLayout;
    folderButtons->setSpacing(6);
    btnAddFolder = Make<QPushButton>("btnAddFolder");
    btnRemoveFolder = Make<QPushButton>("btnRemoveFolder");
    chkFileDuplicates = Make<QCheckBox>("chkFileDuplicates");
    chkDirDuplicates = Make<QCheckBox>("chkDirDuplicates");
    for (QPushButton* button : {btnAddFolder, btnRemoveFolder}) {
        FDesignWidths.push_back({button, 135});
        folderButtons->addWidget(button);
    }
    folderButtons->addSpacing(4);
    folderButtons->addWidget(chkFileDuplicates);
    folderButtons->addWidget(chkDirDuplicates);
    folderButtons->addStretch(1);
    row->addLayout(folderButtons);

    rgCompare = Make<QGroupBox>("rgCompare");
    rgCompare->setMinimumWidth(137);
    rgCompareItems = new QButtonGroup(rgCompare);
    rgCompareItems->setObjectName(QStringLiteral("rgCompareItems"));
    auto* compareItems = new QVBoxLayout(rgCompare);
    compareItems->setSpacing(2);
    compareItems->setContentsMargins(8, 4, 8, 6);
    for (int i = 0; i < 4; ++i) {
        rgCompareItem[i] = Make<QRadioButton>("rgCompareItem", rgCompare);
        rgCompareItem[i]->setObjectName(QStringLiteral("rgCompareItem%1").arg(i));
        rgCompareItems->addButton(rgCompareItem[i], i);
        compareItems->addWidget(rgCompareItem[i]);
    }
    row->addWidget(rgCompare, 0, Qt::AlignTop);

    auto* masksAndSize = new QVBoxLayout;
    masksAndSize->setSpacing(2);
    Label2 = Make<QLabel>("Label2");
    edMasks = Make<QLineEdit>("edMasks");
    edMasks->setFixedWidth(133);
    Label3 = Make<QLabel>("Label3");
    seMinSizeMB = MakeSpin("seMinSizeMB", MinSizeMBSetting);
    chkParallelHash = Make<QCheckBox>("chkParallelHash");
    masksAndSize->addWidget(Label2);
    masksAndSize->addWidget(edMasks);
    masksAndSize->addSpacing(8);
    masksAndSize->addWidget(Label3);
    masksAndSize->addWidget(seMinSizeMB);
    masksAndSize->addSpacing(6);
    masksAndSize->addWidget(chkParallelHash);
    masksAndSize->addStretch(1);
    row->addLayout(masksAndSize);

    auto* groupLimits = new QVBoxLayout;
    groupLimits->setSpacing(2);
    Label4 = Make<QLabel>("Label4");
    seMaxGroups = MakeSpin("seMaxGroups", MaxGroupsSetting);
    Label5 = Make<QLabel>("Label5");
    seMinGroupSize = MakeSpin("seMinGroupSize", MinGroupSizeSetting);
    groupLimits->addWidget(Label4);
    groupLimits->addWidget(seMaxGroups);
    groupLimits->addSpacing(8);
    groupLimits->addWidget(Label5);
    groupLimits->addWidget(seMinGroupSize);
    groupLimits->addStretch(1);
    row->addLayout(groupLimits);

    btnScan = Make<QToolButton>("btnScan");
    btnScan->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    btnScan->setIcon(ScanButtonIcon());
    btnScan->setIconSize(QSize(42, 42));
    btnScan->setMinimumSize(84, 80);
    btnScan->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    QFont scanFont = btnScan->font();
    scanFont.setPointSizeF(scanFont.pointSizeF() * 10.0 / 8.0);  // 10 pt where the rest is 8
    btnScan->setFont(scanFont);
    auto* scanColumn = new QVBoxLayout;
    scanColumn->addSpacing(8);
    scanColumn->addWidget(btnScan);
    scanColumn->addStretch(1);
    row->addLayout(scanColumn);
}

void TMainForm::CreateListBar() {
    PanelList = Make<QWidget>("PanelList");
    PanelList->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(PanelList);
    row->setContentsMargins(8, 2, 10, 2);
    row->setSpacing(6);
    lblFilter = Make<QLabel>("lblFilter");
    edFilter = Make<QLineEdit>("edFilter");
    edFilter->setClearButtonEnabled(true);
    edFilter->setFixedWidth(260);
    lblFilter->setBuddy(edFilter);
    lblSummary = Make<QLabel>("lblSummary");
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setMinimumWidth(1);
    row->addWidget(lblFilter);
    row->addWidget(edFilter);
    row->addSpacing(16);
    row->addWidget(lblSummary, 1);
}

void TMainForm::CreatePages() {
    PageControl1 = Make<QTabWidget>("PageControl1");
    tsFiles = Make<QWidget>("tsFiles");
    tsDirs = Make<QWidget>("tsDirs");
    lvFiles = Make<TResultView>("lvFiles");
    lvDirs = Make<TResultView>("lvDirs");
    for (auto [page, view] : {std::pair{tsFiles, lvFiles}, std::pair{tsDirs, lvDirs}}) {
        auto* fill = new QVBoxLayout(page);
        fill->setContentsMargins(2, 2, 2, 2);
        fill->addWidget(view);
        PageControl1->addTab(page, QString());
    }
    lvFiles->SetResultModel(FFilesList.get());
    lvDirs->SetResultModel(FDirsList.get());
    for (TResultView* view : {lvFiles, lvDirs})
        view->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TMainForm::CreateBottomPanel() {
    PanelBottom = Make<QWidget>("PanelBottom");
    PanelBottom->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* column = new QVBoxLayout(PanelBottom);
    column->setContentsMargins(0, 9, 0, 0);
    column->setSpacing(4);

    auto* commands = new QHBoxLayout;
    commands->setContentsMargins(8, 0, 10, 0);
    commands->setSpacing(7);
    const std::pair<QPushButton**, std::pair<const char*, int>> buttons[] = {
        {&btnSelectAllButOne, {"btnSelectAllButOne", 216}},
        {&btnCheckAll, {"btnCheckAll", 108}},
        {&btnUncheckAll, {"btnUncheckAll", 108}},
        {&Button1, {"Button1", 137}},
        {&btnDeleteSelected, {"btnDeleteSelected", 238}},
        {&btnExportFiles, {"btnExportFiles", 155}},
        {&btnExportDirs, {"btnExportDirs", 155}},
    };
    for (const auto& [field, design] : buttons) {
        *field = Make<QPushButton>(design.first);
        FDesignWidths.push_back({*field, design.second});
        // The two export buttons keep to the right edge.
        if (*field == btnExportFiles)
            commands->addStretch(1);
        commands->addWidget(*field);
        if (*field == btnSelectAllButOne) {
            // Narrow: the row of buttons fills the window's width already.
            btnKeep = Make<QToolButton>("btnKeep");
            btnKeep->setPopupMode(QToolButton::InstantPopup);
            btnKeep->setArrowType(Qt::DownArrow);
            btnKeep->setFixedHeight(25);
            commands->addSpacing(-6);
            commands->addWidget(btnKeep);
        }
    }
    column->addLayout(commands);

    Panel1 = Make<QWidget>("Panel1");
    auto* strip = new QHBoxLayout(Panel1);
    strip->setContentsMargins(10, 10, 10, 10);
    strip->setSpacing(0);
    lblStatus = Make<QLabel>("lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);  // keeps the two spaces before "Done."
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblStatus->setMinimumWidth(1);
    ProgressBar = Make<QProgressBar>("ProgressBar");
    ProgressBar->setFixedWidth(236);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    btnStop = Make<QPushButton>("btnStop");
    btnStop->setFixedWidth(72);
    strip->addWidget(lblStatus, 1);
    strip->addSpacing(10);
    strip->addWidget(ProgressBar);
    strip->addSpacing(10);
    strip->addWidget(btnStop);
    column->addWidget(Panel1);
}

void TMainForm::FitButtons() {
    // The design width, or more when a translated caption needs it.
    for (const auto& [button, width] : FDesignWidths) {
        button->setMinimumWidth(0);
        button->setMinimumWidth(qMax(width, button->sizeHint().width()));
    }
}

void TMainForm::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    File1 = MakeMenu(bar, "File1");
    AddFolder1 = MakeAction(File1, "AddFolder1");
    N1 = MakeSeparator(File1, "N1");
    ExportFileClones1 = MakeAction(File1, "ExportFileClones1");
    ExportFolderClones1 = MakeAction(File1, "ExportFolderClones1");
    ClearHashCache1 = MakeAction(File1, "ClearHashCache1");
    N2 = MakeSeparator(File1, "N2");
    Exit1 = MakeAction(File1, "Exit1");

    Action1 = MakeMenu(bar, "Action1");
    Scan1 = MakeAction(Action1, "Scan1");
    Stop1 = MakeAction(Action1, "Stop1");
    N3 = MakeSeparator(Action1, "N3");
    MoveCheckedtoRecycleBin1 = MakeAction(Action1, "MoveCheckedtoRecycleBin1");
    ReplacewithHardLinks1 = MakeAction(Action1, "ReplacewithHardLinks1");

    Edit1 = MakeMenu(bar, "Edit1");
    Checkallbutoneingroup1 = MakeAction(Edit1, "Checkallbutoneingroup1");
    Checkall1 = MakeAction(Edit1, "Checkall1");
    Uncheckall1 = MakeAction(Edit1, "Uncheckall1");

    View1 = MakeMenu(bar, "View1");
    Page1 = MakeSubmenu(View1, "Page1");
    FileClones1 = MakeAction(Page1, "FileClones1", true);
    FolderClones1 = MakeAction(Page1, "FolderClones1", true);
    ShowSettingsPanel1 = MakeAction(View1, "ShowSettingsPanel1", true);
    N4 = MakeSeparator(View1, "N4");
    mmLanguage = MakeSubmenu(View1, "mmLanguage");

    Help1 = MakeMenu(bar, "Help1");
    utorial1 = MakeAction(Help1, "utorial1");
    ContactUs1 = MakeAction(Help1, "ContactUs1");
    VisitWebsite1 = MakeAction(Help1, "VisitWebsite1");
    N5 = MakeSeparator(Help1, "N5");
    About1 = MakeAction(Help1, "About1");

    // F5 and Esc as in most programs. The keys of the rows (Space, Enter, Delete, copy) are
    // the result views' own, so that they never act from a text field or the folder list.
    Scan1->setShortcut(QKeySequence(Qt::Key_F5));
    Stop1->setShortcut(QKeySequence(Qt::Key_Escape));

    pmList = new QMenu(this);
    pmList->setObjectName(QStringLiteral("pmList"));
    Openlocation1 = MakeAction(pmList, "Openlocation1");
    Check1 = MakeAction(pmList, "Check1");
    Uncheck1 = MakeAction(pmList, "Uncheck1");
    Copypath1 = MakeAction(pmList, "Copypath1");
    // Room here for the commands on one group's copies.
    N6 = MakeSeparator(pmList, "N6");
    Deletecheckedtorecyclebin1 = MakeAction(pmList, "Deletecheckedtorecyclebin1");
    Replacecheckedwithhardlinks1 = MakeAction(pmList, "Replacecheckedwithhardlinks1");

    pmFolders = new QMenu(this);
    pmFolders->setObjectName(QStringLiteral("pmFolders"));
    Referencefolder1 = MakeAction(pmFolders, "Referencefolder1", true);
}
