// Working through the result lists in the window: the keys and the mouse on the rows, the
// context menu, the Tab order, sorting by a column, the filter, the summary line, failures
// of the shell, and the whole-number fields.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "WindowFixture.h"
#include "core/CsvExport.h"
#include "core/FileInfo.h"
#include "qtcommon/QtText.h"
#include "support/TempTree.h"
#include "uMainForm/ResultView.h"

namespace {

// Three content groups, listed as: group 1 photos/img10.jpg, photos/img2.jpg, saved/img1.jpg
// (1 MiB each); group 2 Docs/b.txt, letters/b.txt (512 KiB each); group 3 letters/c.bin,
// saved/c.bin (10 bytes each). Items 0 to 6 in that order, all but each group's first
// checked.
class ResultListsTest : public testing::Test {
protected:
    ResultListsTest() {
        for (const char* name : {"photos/img10.jpg", "photos/img2.jpg", "saved/img1.jpg"})
            Tree.SizedFile(name, 1 << 20, 'a');
        for (const char* name : {"Docs/b.txt", "letters/b.txt"})
            Tree.SizedFile(name, 1 << 19, 'b');
        for (const char* name : {"letters/c.bin", "saved/c.bin"})
            Tree.SizedFile(name, 10, 'c');
        PrepareSmallScan(Form, 3, QString::fromStdString(Tree.Root()) + "/");
        Form.show();
        Form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Form));
        Form.btnScan->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(List().ItemCount(), 7);
    }
    ~ResultListsTest() override { Form.close(); }

    TResultModel& List() { return Form.FilesList(); }
    TResultView* View() { return Form.lvFiles; }
    QString PathOf(int item) { return Q(List().PathOf(item)); }
    // The middle of the row's name, away from its check box.
    QPoint Place(int item) {
        return View()->visualRect(List().IndexOfItem(item).siblingAtColumn(1)).center();
    }
    void Click(int item, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, modifiers, Place(item));
    }
    // Marks in item order: "x" checked, "." not.
    std::string Marks() {
        std::string marks;
        for (int i = 0; i < List().ItemCount(); ++i)
            marks += List().ItemAt(i).Checked ? 'x' : '.';
        return marks;
    }
    // The file names as shown, "|" between groups.
    std::string ShownNames() {
        std::string names;
        for (const TShownGroup& group : ShownGroups(List())) {
            if (!names.empty())
                names += '|';
            for (std::size_t i = 0; i < group.Items.size(); ++i)
                names += (i > 0 ? " " : "") + group.Items[i].Columns[0].toStdString();
        }
        return names;
    }
    std::string Summary() {
        QCoreApplication::processEvents();
        return Form.lblSummary->text().toStdString();
    }

    TTempTree Tree;
    TSettingsLanguageStore Store;
    TTestForm Form{&Store};
    // What the window asked and what it had opened.
    QStringList& Questions = Form.Questions;
    QStringList& Shown = Form.Located;
};

TEST_F(ResultListsTest, SpaceEnterDeleteAndCopyActOnTheSelectedRows) {
    ASSERT_EQ(Marks(), ".xx.x.x");
    // Shift extends the selection; the current row is the selected item.
    Click(0);
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(List().SelectedItems(), (std::vector<int>{0, 1}));
    EXPECT_EQ(List().SelectedIndex(), 1);
    // Space gives every selected row the opposite of the current row's mark.
    QTest::keyClick(View(), Qt::Key_Space);
    EXPECT_EQ(Marks(), "..x.x.x");
    QTest::keyClick(View(), Qt::Key_Space);
    EXPECT_EQ(Marks(), "xxx.x.x");

    // Ctrl adds a row; Enter opens the current one, Ctrl+C copies every selected path.
    Click(4, Qt::ControlModifier);
    EXPECT_EQ(List().SelectedItems(), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(List().SelectedIndex(), 4);
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_EQ(Shown, QStringList{PathOf(4)});
    QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringList({PathOf(0), PathOf(1), PathOf(4)}).join('\n'));

    // Delete runs the Recycle Bin command on the checked rows, which asks first.
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(Questions, QStringList{"Move 5 files to Recycle Bin?"});
    EXPECT_EQ(List().ItemCount(), 7);

    // A double click opens its row; Space on a group header changes nothing.
    Click(2);
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, Place(2));
    EXPECT_EQ(Shown, QStringList({PathOf(4), PathOf(2)}));
    View()->selectionModel()->clear();
    View()->setCurrentIndex(List().index(1, 0));
    QTest::keyClick(View(), Qt::Key_Space);
    EXPECT_EQ(Marks(), "xxx.x.x");
}

TEST_F(ResultListsTest, TheContextMenuOfARowChecksCopiesOpensAndRemoves) {
    // A right click on a row selects it and opens the menu; on a header it opens nothing.
    const auto rightClick = [&](const QPoint& place) {
        QTest::mousePress(View()->viewport(), Qt::RightButton, {}, place);
        QTest::mouseRelease(View()->viewport(), Qt::RightButton, {}, place);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, place,
                               View()->viewport()->mapToGlobal(place));
        QApplication::sendEvent(View()->viewport(), &menu);
    };
    rightClick(View()->visualRect(List().index(0, 0)).center());
    EXPECT_FALSE(Form.pmList->isVisible());
    Click(5);
    Click(6, Qt::ControlModifier);
    rightClick(Place(6));
    EXPECT_TRUE(Form.pmList->isVisible());
    Form.pmList->hide();
    EXPECT_EQ(List().SelectedItems(), (std::vector<int>{5, 6}));

    Form.Check1->trigger();
    EXPECT_EQ(Marks(), ".xx.xxx");
    Form.Uncheck1->trigger();
    EXPECT_EQ(Marks(), ".xx.x..");
    Form.Copypath1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), PathOf(5) + "\n" + PathOf(6));
    Form.Openlocation1->trigger();
    EXPECT_EQ(Shown, QStringList{PathOf(6)});
    Form.Deletecheckedtorecyclebin1->trigger();
    EXPECT_EQ(Questions, QStringList{"Move 3 files to Recycle Bin?"});
}

TEST_F(ResultListsTest, TabFollowsTheWindowFromLeftToRight) {
    const std::vector<QWidget*> expected = {
        Form.lbFolders,         Form.btnAddFolder,
        Form.btnRemoveFolder,   Form.chkFileDuplicates,
        Form.chkDirDuplicates,  Form.rgCompareItem[0],
        Form.edMasks,           Form.seMinSizeMB,
        Form.chkParallelHash,   Form.seMaxGroups,
        Form.seMinGroupSize,    Form.btnScan,
        Form.edFilter,          Form.PageControl1->findChild<QTabBar*>(),
        Form.lvFiles,           Form.btnSelectAllButOne,
        Form.btnKeep,           Form.btnCheckAll,
        Form.btnUncheckAll,     Form.Button1,
        Form.btnDeleteSelected, Form.btnExportFiles,
        Form.btnExportDirs,
    };
    // What Tab reaches from the folder list, one step after another.
    std::vector<QWidget*> reached;
    Form.lbFolders->setFocus();
    for (int step = 0; step < 40 && reached.size() < expected.size(); ++step) {
        QWidget* focus = QApplication::focusWidget();
        if (reached.empty() || reached.back() != focus)
            reached.push_back(focus);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    ASSERT_EQ(reached.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(reached[i], expected[i]) << i << ": " << reached[i]->objectName().toStdString();
    // Ctrl+F goes to the filter from anywhere.
    QTest::keyClick(Form.lvFiles, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), Form.edFilter);
}

TEST_F(ResultListsTest, AColumnHeaderSortsTheRowsOfEachGroupAndTheExportKeepsItsOrder) {
    const std::string exported = ListViewToCsv(List());
    const std::string listed = "img10.jpg img2.jpg img1.jpg|b.txt b.txt|c.bin c.bin";
    ASSERT_EQ(ShownNames(), listed);
    QHeaderView* header = View()->header();
    const auto clickName = [&] {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
    };
    clickName();
    EXPECT_EQ(ShownNames(), "img1.jpg img2.jpg img10.jpg|b.txt b.txt|c.bin c.bin");
    EXPECT_EQ(ShownGroups(List())[0].Items[0].Checked, true);  // img1.jpg's mark went along
    EXPECT_EQ(ShownGroups(List())[0].Items[2].Checked, false);
    clickName();
    EXPECT_EQ(ShownNames(), "img10.jpg img2.jpg img1.jpg|b.txt b.txt|c.bin c.bin");
    // By directory, descending: saved/ before photos/, and letters/ before Docs/.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    const std::vector<TShownGroup> shown = ShownGroups(List());
    EXPECT_TRUE(shown[0].Items[0].Columns[1].endsWith("/saved"));
    EXPECT_TRUE(shown[1].Items[0].Columns[1].endsWith("/letters"));
    // A third click on the same caption goes back to the listing order.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    EXPECT_EQ(ShownNames(), listed);
    EXPECT_EQ(ListViewToCsv(List()), exported);
}

TEST_F(ResultListsTest, TheFilterShowsMatchingGroupsAndTheCheckCommandsActOnThem) {
    QTest::keyClicks(Form.edFilter, "DOCS");
    EXPECT_EQ(ShownNames(), "b.txt b.txt");
    EXPECT_NE(Summary().find("Groups matching the filter: 1"), std::string::npos);
    Form.btnCheckAll->click();
    EXPECT_EQ(Marks(), ".xxxx.x");
    Form.btnUncheckAll->click();
    EXPECT_EQ(Marks(), ".xx...x");
    EXPECT_NE(Summary().find("Checked rows hidden by the filter: 3"), std::string::npos);
    Form.btnSelectAllButOne->click();
    EXPECT_EQ(Marks(), ".xx.x.x");
    // Both lists follow the one field; clearing it shows everything again.
    EXPECT_EQ(Form.DirsList().Filter(), "DOCS");
    Form.edFilter->clear();
    EXPECT_EQ(ShownNames(), "img10.jpg img2.jpg img1.jpg|b.txt b.txt|c.bin c.bin");
    EXPECT_EQ(Form.DirsList().Filter(), "");
}

TEST_F(ResultListsTest, TheSummarySaysWhatIsListedCutAndCheckedAndFollowsTheMarks) {
    EXPECT_EQ(Summary(), "Groups: 3  \u00B7  Rows: 7  \u00B7  Checked: 4 (2.50 MB to free)");
    List().SetChecked(0, true);
    EXPECT_EQ(Summary(),
              "Groups: 3  \u00B7  Rows: 7  \u00B7  Checked: 5 (3.50 MB to free)  \u00B7  "
              "Groups with every row checked: 1");
    Form.seMaxGroups->setValue(2);
    Form.btnScan->click();
    EXPECT_EQ(Summary(),
              "2 of 3 groups shown  \u00B7  Rows: 5  \u00B7  Checked: 3 (2.50 MB to free)");
    // The other page has its own list: nothing was looked for there.
    Form.FolderClones1->trigger();
    EXPECT_EQ(Summary(), "");
    Form.FileClones1->trigger();
    EXPECT_NE(Summary(), "");
}

TEST_F(ResultListsTest, WhatTheShellCouldNotOpenIsSaid) {
    Form.LocationsOpen = false;
    Form.Urls.clear();
    Form.UrlsOpen = false;
    Click(1);
    Form.Button1->click();
    Form.ContactUs1->trigger();
    EXPECT_EQ(Form.Messages, QStringList({"Could not open the location: " + PathOf(1),
                                          "Could not open the web page: https://" +
                                              Form.Urls.value(0).host() + "/support.html"}));
    // A folder on the other page likewise.
    Form.DirsList().AddItem({u"1", {Tree.TextPath("saved"), u"1.00 MB"}, 1, false});
    Form.DirsList().Publish();
    Form.FolderClones1->trigger();
    Form.DirsList().SelectionModel()->setCurrentIndex(
        Form.DirsList().IndexOfItem(0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Form.Messages.clear();
    Form.Button1->click();
    EXPECT_EQ(Form.Messages, QStringList{"Could not open the location: " +
                                         QString::fromStdString(Tree.Path("saved"))});
}

TEST_F(ResultListsTest, ATextThatIsNoWholeNumberIsSaidAndNeverReadAsAnotherNumber) {
    const TFileInfo* firstRecord = Form.Engine().Files().front();
    TWholeNumberSpin* field = Form.seMinSizeMB;
    // Types the text over the field's and, unless told otherwise, leaves the field.
    const auto type = [&](const char* text, bool leave = true) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        if (!leave)
            return;
        Form.edMasks->setFocus();
        QCoreApplication::processEvents();
    };
    // A German session, where the toolkit's spin box took the point for a thousands
    // separator and read "0.5" as 5.
    field->setLocale(QLocale(QLocale::German, QLocale::Germany));
    type("0.5", false);
    EXPECT_EQ(field->cleanText(), "0.5");  // the point is kept, not dropped for 5
    Form.btnScan->click();
    EXPECT_EQ(Form.Messages,
              QStringList{"Min size (MB): \"0.5\" is no whole number from 0 to 1048576; the "
                          "field keeps 0."});
    EXPECT_EQ(Form.Engine().Files().front(), firstRecord);  // no new scan
    EXPECT_EQ(field->value(), 0);
    EXPECT_EQ(field->cleanText(), "0");

    // Leaving the field with such a text says so, once the focus has moved.
    Form.Messages.clear();
    type("1,5");
    // The value from before the editing, not that of the "1" typed on the way.
    EXPECT_EQ(Form.Messages,
              QStringList{"Min size (MB): \"1,5\" is no whole number from 0 to 1048576; the "
                          "field keeps 0."});
    EXPECT_EQ(field->value(), 0);

    // A whole number goes in as before, its digits beyond the maximum refused as typed.
    Form.Messages.clear();
    type("2000000");
    EXPECT_EQ(field->value(), 200000);
    EXPECT_TRUE(Form.Messages.isEmpty());

    // One below the minimum is said too, rather than quietly put back.
    field = Form.seMinGroupSize;
    type("1");
    EXPECT_EQ(Form.Messages,
              QStringList{"Min group size: \"1\" is no whole number from 2 to 1000; the field "
                          "keeps 2."});
    EXPECT_EQ(field->value(), 2);
}

}  // namespace
