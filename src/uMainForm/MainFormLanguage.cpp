// The Language menu and the translation of every fixed caption of the window.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include "core/ResultRows.h"
#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ResultView.h"
#include "uMainForm/uMainForm.h"

namespace {

// A column is never narrower than its caption; it only grows, so widths the user dragged
// survive a language change. The caption's advance counts, not the header's size hint: that
// measures the text's ink, which can be a pixel short of what its painting needs before it
// elides, and it keeps room for a sort arrow that the design widths do not have.
void FitColumnsToCaptions(TResultView* view) {
    QHeaderView* header = view->header();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < header->count(); ++i) {
        const QString caption = view->model()->headerData(i, Qt::Horizontal).toString();
        const int needed = header->fontMetrics().horizontalAdvance(caption) + 2 * margin;
        view->setColumnWidth(i, qMax(view->columnWidth(i), needed));
    }
}

// Stop keeps its narrow design width unless the caption needs more. The style's button
// size has a floor wider than the design, so the caption is measured, not the size hint.
void FitStopButton(QPushButton* button, int designWidth) {
    const QStyle* style = button->style();
    const int frame = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                      style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 2 * frame;
    button->setFixedWidth(qMax(designWidth, needed));
}

}  // namespace

// The table has no column for the writing direction; a language's own name is written in
// its script, so an Arabic name means a right-to-left language.
Qt::LayoutDirection CurrentLanguageDirection() {
    if (CurrentLanguageIndex <= 0 ||
        CurrentLanguageIndex >= static_cast<int>(TranslationTable.size()))
        return Qt::LeftToRight;
    const std::vector<Text>& language = TranslationTable[CurrentLanguageIndex];
    return !language.empty() && Q(language[0]).isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

void TMainForm::BuildLanguageMenu() {
    for (int i = 0; i < static_cast<int>(TranslationTable.size()); ++i) {
        const std::vector<Text>& language = TranslationTable[i];
        QAction* item = mmLanguage->addAction(language.empty() ? QString() : Q(language[0]));
        item->setObjectName(QStringLiteral("Language%1").arg(i));
        item->setCheckable(true);
        item->setData(i);
        item->setChecked(i == CurrentLanguageIndex);
        connect(item, &QAction::triggered, this, [this, item] { LanguageMenuClick(item); });
    }
}

void TMainForm::LanguageMenuClick(QAction* sender) {
    for (QAction* item : mmLanguage->actions())
        item->setChecked(false);
    CurrentLanguageIndex = sender->data().toInt();
    sender->setChecked(true);
    const std::vector<Text>& language = TranslationTable.at(CurrentLanguageIndex);
    CurrentLanguageCode = language.size() > 1 ? language[1] : Text();
    SaveCurrentLanguage(FLanguageStore);
    TranslateUI();
}

void TMainForm::TranslateUI() {
    File1->setTitle(Tr(u"File"));
    Action1->setTitle(Tr(u"Action"));
    Edit1->setTitle(Tr(u"Edit"));
    View1->setTitle(Tr(u"View"));
    Help1->setTitle(Tr(u"Help"));
    AddFolder1->setText(Tr(u"Add Folder..."));
    ExportFileClones1->setText(Tr(u"Export File Clones..."));
    ExportFolderClones1->setText(Tr(u"Export Folder Clones..."));
    ClearHashCache1->setText(Tr(u"Clear hash cache"));
    Exit1->setText(Tr(u"Exit"));
    Scan1->setText(Tr(u"Scan"));
    Stop1->setText(Tr(u"Stop"));
    MoveCheckedtoRecycleBin1->setText(Tr(u"Remove Checked"));
    Checkallbutoneingroup1->setText(Tr(u"Check all but one in group"));
    Checkall1->setText(Tr(u"Check All"));
    Uncheckall1->setText(Tr(u"Uncheck All"));
    Page1->setTitle(Tr(u"Page"));
    FileClones1->setText(Tr(u"File Clones"));
    FolderClones1->setText(Tr(u"Folder Clones"));
    ShowSettingsPanel1->setText(Tr(u"Show Settings Panel"));
    mmLanguage->setTitle(Tr(u"Language"));
    utorial1->setText(Tr(u"Tutorial"));
    ContactUs1->setText(Tr(u"Contact Us"));
    VisitWebsite1->setText(Tr(u"Visit Website"));
    About1->setText(Tr(u"About..."));

    Label1->setText(Tr(u"Folders to scan:"));
    btnAddFolder->setText(Tr(u"Add folder..."));
    btnRemoveFolder->setText(Tr(u"Remove Selected"));
    chkFileDuplicates->setText(Tr(u"Find file clones"));
    chkDirDuplicates->setText(Tr(u"Find folder clones"));
    rgCompare->setTitle(Tr(u"Compare files by"));
    // Replacing the item texts must not lose the chosen comparison mode.
    const int chosen = rgCompareItems->checkedId();
    // Buttons show "&&" as one "&", so "Name && Size" reads Name & Size.
    const TextView items[] = {u"Name", u"Size", u"Name && Size", u"Content (SHA-1)"};
    for (int i = 0; i < 4; ++i)
        rgCompareItem[i]->setText(Tr(items[i]));
    if (chosen >= 0)
        rgCompareItem[chosen]->setChecked(true);
    Label2->setText(Tr(u"File masks (CSV):"));
    Label3->setText(Tr(u"Min size (MB):"));
    chkParallelHash->setText(Tr(u"Parallel hashing"));
    Label4->setText(Tr(u"Max groups (0 = all):"));
    Label5->setText(Tr(u"Min group size:"));
    btnScan->setText(Tr(u"Scan"));
    PageControl1->setTabText(PageControl1->indexOf(tsFiles), Tr(u"File Clones"));
    PageControl1->setTabText(PageControl1->indexOf(tsDirs), Tr(u"Folder Clones"));
    btnSelectAllButOne->setText(Tr(u"Check all but one in group"));
    btnCheckAll->setText(Tr(u"Check all"));
    btnUncheckAll->setText(Tr(u"Uncheck all"));
    Button1->setText(Tr(u"Open location"));
    btnDeleteSelected->setText(Tr(u"Delete checked to Recycle Bin"));
    Replacecheckedwithhardlinks1->setText(Tr(u"Replace checked with hard links"));
    ReplacewithHardLinks1->setText(Tr(u"Replace checked with hard links"));
    btnExportFiles->setText(Tr(u"Export File Clones..."));
    btnExportDirs->setText(Tr(u"Export Folder Clones..."));
    btnStop->setText(Tr(u"Stop"));
    lblStatus->setText(Tr(u"Ready"));

    for (std::size_t i = 0; i < FileColumnCaptions.size(); ++i)
        FilesList().SetColumnCaption(static_cast<int>(i), TranslateText(FileColumnCaptions[i]));
    for (std::size_t i = 0; i < DirColumnCaptions.size(); ++i)
        DirsList().SetColumnCaption(static_cast<int>(i), TranslateText(DirColumnCaptions[i]));

    lblFilter->setText(Tr(u"Filter by path:"));
    // The keys of the rows are the result views' own; the menu only names them.
    const auto withKey = [](TextView caption, const QKeySequence& key) {
        return Tr(caption) + QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
    };
    Openlocation1->setText(withKey(u"Open location", QKeySequence(Qt::Key_Enter)));
    Check1->setText(Tr(u"Check"));
    Uncheck1->setText(Tr(u"Uncheck"));
    Copypath1->setText(withKey(u"Copy path", QKeySequence(QKeySequence::Copy)));
    Deletecheckedtorecyclebin1->setText(
        withKey(u"Delete checked to Recycle Bin", QKeySequence(QKeySequence::Delete)));

    TranslateKeepControls();

    // The rows already listed follow the language too.
    FilesList().RetitleGroups();
    DirsList().RetitleGroups();
    // Arabic mirrors the whole program, message boxes included; live, no restart. Paths,
    // names and sizes stay left to right inside it.
    QApplication::setLayoutDirection(CurrentLanguageDirection());
    const bool rightToLeft = CurrentLanguageDirection() == Qt::RightToLeft;
    FilesList().SetLeftToRightData(rightToLeft);
    DirsList().SetLeftToRightData(rightToLeft);
    PostSummaryUpdate();
    FitButtons();
    FitStopButton(btnStop, 72);
    FitColumnsToCaptions(lvFiles);
    FitColumnsToCaptions(lvDirs);
}
