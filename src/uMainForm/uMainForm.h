#pragma once
// The program's one working window: the settings panel, the two result pages, the result
// commands, the status strip and the main menu. It is the scan engine's host.
#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/ScanEngine.h"
#include "core/ScanHost.h"
#include "uMainForm/RemovalDialog.h"
#include "uMainForm/WholeNumberSpin.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TLanguageStore;
class TResultModel;
class TResultView;
class TReferenceFolders;
struct TKeepChoice;

// The layout direction of the current language: right to left for Arabic.
Qt::LayoutDirection CurrentLanguageDirection();

class TMainForm : public QMainWindow, public TScanHost {
    Q_OBJECT

public:
    // The store keeps the language choice; it must outlive the window.
    explicit TMainForm(TLanguageStore* languageStore, QWidget* parent = nullptr);
    ~TMainForm() override;

    // TScanHost
    TScanSettings ReadSettings() override;
    void SetStatus(const Text& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetMarqueeStyle(bool on) override;
    void KeepResponsive() override;
    void SetBusy(bool busy) override;
    void ShowMessage(const Text& text) override;

    TScanEngine& Engine() { return *FEngine; }
    TResultModel& FilesList() { return *FFilesList; }
    TResultModel& DirsList() { return *FDirsList; }
    TScanOutcome LastScanOutcome() const { return FLastOutcome; }

    // Shell services, replaceable by tests. The folder picker gets the dialog title and the
    // folder to open at (empty: none) and returns the chosen folder, empty when cancelled.
    std::function<QString(const QString& title, const QString& startFolder)> FFolderPicker;
    std::function<void(const QString& text)> FShowMessage;      // the plain message box
    std::function<void(const QString& text)> FShowInformation;  // the About box
    // Opens a web address; false when nothing could open it.
    std::function<bool(const QUrl& url)> FOpenUrl;
    // The Yes/No question; true only for Yes.
    std::function<bool(const QString& text)> FAskYesNo = [this](const QString& text) {
        return AskYesNo(text);
    };
    // After the check before a removal: the items that could not be verified, with their
    // reasons, and what to do about them.
    std::function<TRemovalChoice(const TRemovalCheck& check)> FAskUnverified =
        [this](const TRemovalCheck& check) { return AskUnverified(check); };
    // The Recycle Bin, or a trash of the test's own.
    std::function<bool(const std::vector<Text>& paths)> FMoveToTrash =
        [this](const std::vector<Text>& paths) { return RecycleItems(paths); };
    // Runs the prepared save dialog; returns the chosen path, empty when cancelled.
    std::function<QString(QFileDialog& dialog)> FRunSaveDialog = [this](QFileDialog& dialog) {
        return RunSaveDialog(dialog);
    };
    // The file manager at a file, and the default action on a folder; false when nothing
    // could be started.
    std::function<bool(const Text& filePath)> FShowInFileManager = &TMainForm::ShowFileInShell;
    std::function<bool(const Text& folder)> FOpenFolder = &TMainForm::OpenInShell;
    Text FLastAddFolderParent;

    // Controls, named as everywhere in the program's documents.
    QWidget* PanelTop;
    QLabel* Label1;
    QListWidget* lbFolders;
    QPushButton* btnAddFolder;
    QPushButton* btnRemoveFolder;
    QCheckBox* chkFileDuplicates;
    QCheckBox* chkDirDuplicates;
    QGroupBox* rgCompare;
    QButtonGroup* rgCompareItems;
    QRadioButton* rgCompareItem[4];
    QLabel* Label2;
    QLineEdit* edMasks;
    QLabel* Label3;
    TWholeNumberSpin* seMinSizeMB;
    QCheckBox* chkParallelHash;
    QLabel* Label4;
    TWholeNumberSpin* seMaxGroups;
    QLabel* Label5;
    TWholeNumberSpin* seMinGroupSize;
    QToolButton* btnScan;

    // Between the settings and the pages: the filter of both lists and what the showing
    // list holds.
    QWidget* PanelList;
    QLabel* lblFilter;
    QLineEdit* edFilter;
    QLabel* lblSummary;

    QTabWidget* PageControl1;
    QWidget* tsFiles;
    QWidget* tsDirs;
    TResultView* lvFiles;
    TResultView* lvDirs;

    QWidget* PanelBottom;
    QPushButton* btnSelectAllButOne;
    // Which copy "check all but one" keeps: a drop-down beside the button, one exclusive
    // item per rule, in the order of KeepRuleNames.
    QToolButton* btnKeep;
    QMenu* pmKeep;
    std::vector<QAction*> KeepRules;
    QPushButton* btnCheckAll;
    QPushButton* btnUncheckAll;
    QPushButton* Button1;
    QPushButton* btnDeleteSelected;
    QPushButton* btnExportFiles;
    QPushButton* btnExportDirs;
    QWidget* Panel1;
    QLabel* lblStatus;
    QProgressBar* ProgressBar;
    QPushButton* btnStop;

    QMenu* File1;
    QAction* AddFolder1;
    QAction* N1;
    QAction* ExportFileClones1;
    QAction* ExportFolderClones1;
    QAction* ClearHashCache1;
    QAction* N2;
    QAction* Exit1;
    QMenu* Action1;
    QAction* Scan1;
    QAction* Stop1;
    QAction* N3;
    QAction* MoveCheckedtoRecycleBin1;
    QAction* ReplacewithHardLinks1;
    QMenu* Edit1;
    QAction* Checkallbutoneingroup1;
    QAction* Checkall1;
    QAction* Uncheckall1;
    QMenu* View1;
    QMenu* Page1;
    QAction* FileClones1;
    QAction* FolderClones1;
    QAction* ShowSettingsPanel1;
    QAction* N4;
    QMenu* mmLanguage;
    QMenu* Help1;
    QAction* utorial1;
    QAction* ContactUs1;
    QAction* VisitWebsite1;
    QAction* N5;
    QAction* About1;

    // The context menu of the result rows. Its Delete item is the Delete key of both lists.
    QMenu* pmList;
    QAction* Openlocation1;
    QAction* Check1;
    QAction* Uncheck1;
    QAction* Copypath1;
    QAction* N6;
    QAction* Deletecheckedtorecyclebin1;
    QAction* Replacecheckedwithhardlinks1;

    // The context menu of the folder list.
    QMenu* pmFolders;
    QAction* Referencefolder1;
    // True on a folder of lbFolders marked as a reference folder.
    static constexpr int ReferenceRole = Qt::UserRole + 1;

public slots:
    void btnScanClick();
    void btnStopClick();
    void btnAddFolderClick();
    void btnRemoveFolderClick();
    void PageControl1Change();
    void FileClones1Click();
    void FolderClones1Click();
    void ShowSettingsPanel1Click();
    void Exit1Click();
    void utorial1Click();
    void ContactUs1Click();
    void VisitWebsite1Click();
    void Button2Click();
    void LanguageMenuClick(QAction* sender);
    void btnSelectAllButOneClick();
    void btnCheckAllClick();
    void btnUncheckAllClick();
    void btnDeleteSelectedClick();
    void btnLinkCheckedClick();
    void Button1Click();
    void btnExportFilesClick();
    void btnExportDirsClick();
    void Check1Click();
    void Uncheck1Click();
    void Copypath1Click();
    void edFilterChange();
    void ResultListContextPopup(TResultView* view, const QPoint& position);
    void FolderListContextPopup(const QPoint& position);
    void Referencefolder1Click();
    // Says what the showing list holds; runs once after any number of changes.
    void UpdateSummary();
    void ClearHashCache1Click();

public:
    void BuildLanguageMenu();
    void TranslateUI();
    // The About box's text.
    QString AboutText() const;
    // Moves the paths to the Recycle Bin in one request; true when all went.
    bool RecycleItems(const std::vector<Text>& paths);
    // The save dialog of both exports, made on first use.
    QFileDialog* SaveDialog1 = nullptr;
    // The summary line's text for the showing list.
    QString SummaryText();
    // The folders of the folder list marked as reference folders, as they are now.
    std::vector<Text> ReferenceFolderList() const;
    // Reads the reference marks again; the check commands and removals call it first.
    const TReferenceFolders& CurrentReference();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateSettingsPanel();
    void CreatePages();
    void CreateBottomPanel();
    void CreateMenu();
    void CreateListBar();
    void CreateListCommands();
    void CreateKeepCommands();
    void TranslateKeepControls();
    // The keep rule and reference folders for a list of this window.
    TKeepChoice KeepChoiceFor(const TResultModel& list);
    // The marks of a new scan leave the reference copies unchecked.
    void ProtectReferenceCopies();
    void SetTabOrder();
    void PostSummaryUpdate();
    // The three whole-number fields with their captions.
    std::vector<std::pair<TWholeNumberSpin*, QLabel*>> NumberFields() const;
    // Says that the field's text gave no value of its range.
    void ShowRejectedNumber(TWholeNumberSpin* field, QLabel* caption, const QString& text);
    void FitButtons();
    void ConnectCommands();
    void FormCreate();
    void SetupListViews();
    void OpenVendorPage(const QString& path);
    // The result list of the page that is showing.
    TResultModel& ActiveList();
    bool AskYesNo(const QString& text);
    TRemovalChoice AskUnverified(const TRemovalCheck& check);
    // The check before a removal or replacement, with the window busy; false when stopped.
    bool RunRemovalCheck(TRemovalCheck& check);
    QString RunSaveDialog(QFileDialog& dialog);
    void ExportList(TResultModel& list, const QString& defaultName);
    static bool ShowFileInShell(const Text& filePath);
    static bool OpenInShell(const Text& folder);
    // The result view of the page that is showing.
    TResultView* ActiveView();

    TLanguageStore* FLanguageStore;
    std::vector<std::pair<QPushButton*, int>> FDesignWidths;
    std::unique_ptr<TResultModel> FFilesList;
    std::unique_ptr<TResultModel> FDirsList;
    std::unique_ptr<TScanEngine> FEngine;
    std::unique_ptr<TReferenceFolders> FReference;
    int FProgressMax = 100;
    bool FMarquee = false;
    bool FBusy = false;
    // Set while a scan or a removal check runs: closing waits for its end.
    bool FCloseAfterScan = false;
    bool FRemoving = false;
    bool FLinking = false;  // the check runs for hard links: unverified files never go
    bool FSummaryPosted = false;
    TScanOutcome FLastOutcome = TScanOutcome::soRefused;
};
