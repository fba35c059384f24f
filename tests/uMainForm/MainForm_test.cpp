#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDate>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include "TwinseekSite.h"
#include "WindowFixture.h"
#include "support/TempTree.h"
#include "uMainForm/ResultView.h"

namespace {

class MainFormTest : public testing::Test {
protected:
    TSettingsLanguageStore Store;
    TTestForm Form{&Store};
};

TEST_F(MainFormTest, StartsWithTheFixedValuesCaptionsAndStates) {
    EXPECT_EQ(Form.windowTitle(), "Twinseek 2.1");
    EXPECT_EQ(Form.rgCompareItems->checkedId(), 3);
    EXPECT_TRUE(Form.chkFileDuplicates->isChecked());
    EXPECT_FALSE(Form.chkDirDuplicates->isChecked());
    EXPECT_TRUE(Form.chkParallelHash->isChecked());
    EXPECT_EQ(Form.edMasks->text(), "*.*");
    EXPECT_EQ(Form.lbFolders->count(), 0);
    EXPECT_EQ(Form.PageControl1->currentWidget(), Form.tsFiles);
    EXPECT_TRUE(Form.FileClones1->isChecked());
    EXPECT_FALSE(Form.FolderClones1->isChecked());
    EXPECT_TRUE(Form.ShowSettingsPanel1->isChecked());
    EXPECT_FALSE(Form.btnStop->isEnabled());
    EXPECT_FALSE(Form.Stop1->isEnabled());
    EXPECT_TRUE(Form.btnScan->isEnabled());
    EXPECT_TRUE(Form.Scan1->isEnabled());
    EXPECT_EQ(Form.ProgressBar->minimum(), 0);
    EXPECT_EQ(Form.ProgressBar->maximum(), 100);
    EXPECT_EQ(Form.ProgressBar->value(), 0);

    struct TSpin {
        QSpinBox* Field;
        int Value, Minimum, Maximum;
    };
    for (const TSpin& spin :
         {TSpin{Form.seMinSizeMB, 1, 0, 1048576}, TSpin{Form.seMaxGroups, 100, 0, 1000000},
          TSpin{Form.seMinGroupSize, 2, 2, 1000}}) {
        SCOPED_TRACE(spin.Field->objectName().toStdString());
        EXPECT_EQ(spin.Field->value(), spin.Value);
        EXPECT_EQ(spin.Field->minimum(), spin.Minimum);
        EXPECT_EQ(spin.Field->maximum(), spin.Maximum);
    }

    // The captions that differ from one place to another are the ones worth checking.
    const std::pair<QString, const char*> captions[] = {
        {Form.btnRemoveFolder->text(), "Remove Selected"},
        {Form.btnExportFiles->text(), "Export File Clones..."},
        {Form.btnExportDirs->text(), "Export Folder Clones..."},
        {Form.Checkall1->text(), "Check All"},
        {Form.btnCheckAll->text(), "Check all"},
        {Form.Uncheckall1->text(), "Uncheck All"},
        {Form.btnUncheckAll->text(), "Uncheck all"},
        {Form.MoveCheckedtoRecycleBin1->text(), "Remove Checked"},
        {Form.rgCompareItem[2]->text(), "Name && Size"},
        {Form.PageControl1->tabText(1), "Folder Clones"},
        {Form.lblStatus->text(), "Ready"},
        {Form.AddFolder1->text(), "Add Folder..."},
        {Form.btnAddFolder->text(), "Add folder..."},
    };
    for (const auto& [shown, expected] : captions)
        EXPECT_EQ(shown, expected);

    const std::vector<std::pair<int, int>> fileWidths = {{0, 60}, {1, 300}, {2, 520}, {3, 100}};
    for (auto [column, width] : fileWidths)
        EXPECT_EQ(Form.lvFiles->columnWidth(column), width);
    const std::vector<std::pair<int, int>> dirWidths = {{0, 60}, {1, 740}, {2, 160}};
    for (auto [column, width] : dirWidths)
        EXPECT_EQ(Form.lvDirs->columnWidth(column), width);
    EXPECT_EQ(Form.lvDirs->model()->headerData(2, Qt::Horizontal).toString(), "Size");
    EXPECT_EQ(Form.lvFiles->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Form.lvFiles->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(Form.lvFiles->palette().color(QPalette::Inactive, QPalette::Highlight),
              Form.lvFiles->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(MainFormTest, ControlsAndMenuItemsCarryTheirNames) {
    for (const char* name :
         {"lbFolders", "btnScan", "seMinSizeMB", "rgCompare", "lvFiles", "lvDirs", "tsFiles",
          "tsDirs", "PageControl1", "PanelTop", "PanelBottom", "Panel1", "lblStatus", "ProgressBar",
          "btnStop", "btnSelectAllButOne", "Button1", "edMasks", "chkParallelHash"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(Form.findChild<QWidget*>(name), nullptr);
    }
    for (const char* name : {"AddFolder1",
                             "N1",
                             "ExportFileClones1",
                             "ClearHashCache1",
                             "N2",
                             "Exit1",
                             "Scan1",
                             "Stop1",
                             "N3",
                             "MoveCheckedtoRecycleBin1",
                             "Checkallbutoneingroup1",
                             "Checkall1",
                             "Uncheckall1",
                             "FileClones1",
                             "FolderClones1",
                             "ShowSettingsPanel1",
                             "N4",
                             "utorial1",
                             "ContactUs1",
                             "VisitWebsite1",
                             "N5",
                             "About1"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(Form.findChild<QAction*>(name), nullptr);
    }
    for (const char* name :
         {"File1", "Action1", "Edit1", "View1", "Page1", "mmLanguage", "Help1"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(Form.findChild<QMenu*>(name), nullptr);
    }
}

TEST_F(MainFormTest, PagesAndTheirViewMenuMarksMoveTogether) {
    Form.PageControl1->setCurrentIndex(1);  // a click on the tab
    EXPECT_TRUE(Form.FolderClones1->isChecked());
    EXPECT_FALSE(Form.FileClones1->isChecked());
    Form.FileClones1->trigger();
    EXPECT_EQ(Form.PageControl1->currentWidget(), Form.tsFiles);
    EXPECT_TRUE(Form.FileClones1->isChecked());
    EXPECT_FALSE(Form.FolderClones1->isChecked());
    Form.FolderClones1->trigger();
    EXPECT_EQ(Form.PageControl1->currentWidget(), Form.tsDirs);
    // Choosing the page that shows already keeps its mark.
    Form.FolderClones1->trigger();
    EXPECT_TRUE(Form.FolderClones1->isChecked());
    EXPECT_FALSE(Form.FileClones1->isChecked());
}

TEST_F(MainFormTest, HidingTheSettingsPanelGivesItsHeightToThePagesAndShowingPutsItBack) {
    Form.show();
    Form.lbFolders->addItem("/data/");
    Form.seMaxGroups->setValue(7);
    const int pagesHeight = Form.PageControl1->height();
    Form.ShowSettingsPanel1->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Form.ShowSettingsPanel1->isChecked());
    EXPECT_FALSE(Form.PanelTop->isVisible());
    EXPECT_GT(Form.PageControl1->height(), pagesHeight);
    Form.ShowSettingsPanel1->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Form.ShowSettingsPanel1->isChecked());
    EXPECT_TRUE(Form.PanelTop->isVisible());
    EXPECT_LT(Form.PanelTop->geometry().bottom(), Form.PageControl1->geometry().top());
    EXPECT_EQ(Form.PageControl1->height(), pagesHeight);
    EXPECT_EQ(Form.lbFolders->count(), 1);
    EXPECT_EQ(Form.seMaxGroups->value(), 7);
    Form.close();
}

TEST_F(MainFormTest, AddingFoldersNormalizesSkipsDuplicatesAndRemembersTheParent) {
    TTempTree tree;
    tree.Folder("photos/2021");
    tree.Folder("photos/2022");
    const QString root = QString::fromStdString(tree.Root());
    Form.PickerAnswers = {root + "/photos/2021", root + "/photos/./2021/", root + "/photos/2022",
                          root + "/photos/2022"};
    Form.btnAddFolder->click();
    ASSERT_EQ(Form.lbFolders->count(), 1);
    EXPECT_EQ(Form.lbFolders->item(0)->text(), root + "/photos/2021/");
    EXPECT_EQ(Form.PickerStarts.last(), "");
    EXPECT_EQ(Form.FLastAddFolderParent, (root + "/photos").toStdU16String());

    Form.AddFolder1->trigger();  // the same folder in another spelling
    EXPECT_EQ(Form.lbFolders->count(), 1);
    EXPECT_EQ(Form.PickerStarts.last(), root + "/photos");
    Form.btnAddFolder->click();
    EXPECT_EQ(Form.lbFolders->count(), 2);

    // The remembered parent is gone: the picker opens without a folder.
    tree.Remove("photos");
    Form.btnAddFolder->click();
    EXPECT_EQ(Form.PickerStarts.last(), "");
    EXPECT_EQ(Form.lbFolders->count(), 2);

    // Cancelled: nothing changes.
    Form.btnAddFolder->click();
    EXPECT_EQ(Form.lbFolders->count(), 2);
    EXPECT_EQ(Form.FLastAddFolderParent, (root + "/photos").toStdU16String());

    Form.btnRemoveFolder->click();  // nothing selected
    EXPECT_EQ(Form.lbFolders->count(), 2);
    Form.lbFolders->setCurrentRow(0);
    Form.btnRemoveFolder->click();
    ASSERT_EQ(Form.lbFolders->count(), 1);
    EXPECT_EQ(Form.lbFolders->item(0)->text(), root + "/photos/2022/");
}

TEST_F(MainFormTest, AddingTheRootFolderRemembersTheRoot) {
    Form.PickerAnswers = {"/"};
    Form.btnAddFolder->click();
    ASSERT_EQ(Form.lbFolders->count(), 1);
    EXPECT_EQ(Form.lbFolders->item(0)->text(), "/");
    EXPECT_EQ(Form.FLastAddFolderParent, u"/");
}

TEST_F(MainFormTest, HelpItemsOpenTheVendorPagesOverHttps) {
    Form.utorial1->trigger();
    Form.ContactUs1->trigger();
    Form.VisitWebsite1->trigger();
    ASSERT_EQ(Form.Urls.size(), 3);
    const QString site = "https://" TWINSEEK_VENDOR_HOST;
    EXPECT_EQ(Form.Urls[0].toString(), site + "/redirect/tutorial-twinseek.html");
    EXPECT_EQ(Form.Urls[1].toString(), site + "/support.html");
    EXPECT_EQ(Form.Urls[2].toString(), site);
}

TEST_F(MainFormTest, TheAboutBoxNamesVersionSiteAndThisYear) {
    Form.About1->trigger();
    ASSERT_EQ(Form.Informations.size(), 1);
    const QStringList lines = Form.Informations[0].split('\n');
    const QStringList expected = {
        "Twinseek",
        "Version: 2.1",
        "",
        "This program is provided as is, without warranty of any kind.",
        "Website: " TWINSEEK_VENDOR_HOST,
        "",
        "Free for personal and commercial use.",
        "",
        QString("\u00A9 %1 Twinseek. All rights reserved.").arg(QDate::currentDate().year()),
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(MainFormTest, ExitClosesTheWindow) {
    Form.show();
    Form.Exit1->trigger();
    EXPECT_FALSE(Form.isVisible());
}

TEST_F(MainFormTest, SettingsAreReadFromTheControlsAsTheyAreNow) {
    Form.lbFolders->addItems({"/a/", "/b/"});
    Form.rgCompareItem[1]->setChecked(true);
    Form.edMasks->setText("*.jpg;*.png");
    Form.seMinSizeMB->setValue(5);
    Form.seMaxGroups->setValue(0);
    Form.seMinGroupSize->setValue(3);
    Form.chkParallelHash->setChecked(false);
    Form.chkFileDuplicates->setChecked(false);
    Form.chkDirDuplicates->setChecked(true);
    const TScanSettings settings = Form.ReadSettings();
    EXPECT_EQ(settings.Folders, (std::vector<Text>{u"/a/", u"/b/"}));
    EXPECT_EQ(settings.CompareIndex, 1);
    EXPECT_EQ(settings.Masks, u"*.jpg;*.png");
    EXPECT_EQ(settings.MinSizeMB, 5);
    EXPECT_EQ(settings.MaxGroups, 0);
    EXPECT_EQ(settings.MinGroupSize, 3);
    EXPECT_FALSE(settings.ParallelHash);
    EXPECT_FALSE(settings.FindFileClones);
    EXPECT_TRUE(settings.FindFolderClones);
}

TEST_F(MainFormTest, ScanWithoutFoldersOnlyAsksForOne) {
    Form.SetStatus(u"earlier");
    Form.Scan1->trigger();
    EXPECT_EQ(Form.Messages, QStringList{"Please add at least one folder."});
    EXPECT_EQ(Form.lblStatus->text(), "earlier");
    EXPECT_EQ(Form.LastScanOutcome(), TScanOutcome::soRefused);
}

}  // namespace
