// Which copy the check commands keep, reference folders, and replacing checked files by
// hard links, in the window after a real scan.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <string>

#include "../platform/ScopedEnv.h"
#include "WindowFixture.h"
#include "core/KeepRule.h"
#include "core/RemovalCheck.h"
#include "platform/FileSystem.h"
#include "qtcommon/QtText.h"
#include "support/TempTree.h"
#include "uMainForm/ListSummary.h"
#include "uMainForm/ResultView.h"

namespace {

namespace fs = std::filesystem;

std::string Marks(const TResultModel& model) {
    std::string marks;
    for (const TShownGroup& group : ShownGroups(model))
        for (const TShownItem& item : group.Items)
            marks += item.Checked ? 'x' : '.';
    return marks;
}

// One group of four copies, listed in this order, with distinct ages and path lengths:
//   a-long/x 200 s old, mid/xx 50 s, new/x 100 s, old/xxxx/x 300 s.
class KeepTest : public testing::Test {
protected:
    KeepTest() {
        Tree.Folder("data");
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
        const auto now = fs::file_time_type::clock::now();
        for (const auto& [rel, age] : {std::pair{"a-long/x", 200}, std::pair{"mid/xx", 50},
                                       std::pair{"new/x", 100}, std::pair{"old/xxxx/x", 300}}) {
            Tree.File(std::string("s/") + rel, "copy");
            fs::last_write_time(Tree.Path(std::string("s/") + rel),
                                now - std::chrono::seconds(age));
        }
        Form.FAskYesNo = [](const QString&) { return true; };
        Form.FAskUnverified = [this](const TRemovalCheck& check) {
            for (const TCheckedItem& item : check.Items())
                if (!item.Verified())
                    Unverified << Q(RemovalReasonText(item.Reason));
            return Choice;
        };
    }
    void Scan() {
        PrepareSmallScan(Form, cmContent, Q(Tree.FolderText("s")));
        Form.btnScan->click();
        ASSERT_EQ(Form.LastScanOutcome(), TScanOutcome::soDone);
    }
    // Adds a folder below s to the folder list and marks it through the list's menu.
    void MarkReference(const std::string& rel) {
        Form.lbFolders->addItem(Q(Tree.FolderText("s/" + rel)));
        Form.lbFolders->setCurrentRow(Form.lbFolders->count() - 1);
        Form.Referencefolder1->trigger();
    }
    Platform::TFileId Id(const std::string& rel) {
        Platform::TFileStatus status;
        EXPECT_TRUE(Platform::QueryFile(Tree.TextPath("s/" + rel), status));
        return status.Id;
    }

    TTempTree Tree;
    TScopedEnv Env;
    TSettingsLanguageStore Store;
    TTestForm Form{&Store};
    QStringList Unverified;
    TRemovalChoice Choice = TRemovalChoice::rcVerifiedOnly;
};

TEST_F(KeepTest, AllButOneKeepsTheCopyTheChosenRulePicks) {
    Scan();
    EXPECT_EQ(Marks(Form.FilesList()), ".xxx");  // the listing's own marks
    struct TCase {
        TKeepRule Rule;
        const char* Marks;
    };
    const TCase cases[] = {
        {TKeepRule::krFirst, ".xxx"},       {TKeepRule::krNewest, "x.xx"},
        {TKeepRule::krOldest, "xxx."},      {TKeepRule::krShortestPath, "xx.x"},
        {TKeepRule::krLongestPath, "xxx."},
    };
    ASSERT_EQ(Form.KeepRules.size(), 5u);
    EXPECT_TRUE(Form.KeepRules[0]->isChecked());
    for (const TCase& c : cases) {
        QAction* rule = Form.KeepRules[static_cast<int>(c.Rule)];
        SCOPED_TRACE(rule->text().toStdString());
        Form.btnUncheckAll->click();
        rule->trigger();
        EXPECT_EQ(Form.btnKeep->toolTip(), rule->text());
        Form.btnSelectAllButOne->click();
        EXPECT_EQ(Marks(Form.FilesList()), c.Marks);
    }
}

TEST_F(KeepTest, NoCommandChecksAReferenceCopy) {
    Scan();
    MarkReference("old");
    EXPECT_TRUE(Form.lbFolders->item(1)->data(TMainForm::ReferenceRole).toBool());
    EXPECT_FALSE(Form.lbFolders->item(0)->data(TMainForm::ReferenceRole).toBool());
    EXPECT_EQ(Form.lbFolders->item(1)->text(), Q(Tree.FolderText("s/old")));  // still the path

    Form.btnCheckAll->click();
    EXPECT_EQ(Marks(Form.FilesList()), "xxx.");
    Form.btnUncheckAll->click();
    Form.btnSelectAllButOne->click();  // the reference copy is the one kept
    EXPECT_EQ(Marks(Form.FilesList()), "xxx.");

    // Space, the row menu and the check box itself leave it unchecked.
    TResultModel& list = Form.FilesList();
    const QModelIndex row = list.IndexOfItem(3);
    Form.lvFiles->setCurrentIndex(row);
    Form.lvFiles->selectionModel()->select(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(Form.lvFiles, Qt::Key_Space);
    EXPECT_EQ(Marks(list), "xxx.");
    Form.Check1->trigger();
    EXPECT_EQ(Marks(list), "xxx.");
    EXPECT_FALSE(list.setData(row, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(Marks(list), "xxx.");

    // A new scan's marks keep it too; unmarked, it is an ordinary copy again.
    Form.btnScan->click();
    EXPECT_EQ(Marks(Form.FilesList()), "xxx.");
    Form.lbFolders->setCurrentRow(1);
    Form.Referencefolder1->trigger();
    Form.btnCheckAll->click();
    EXPECT_EQ(Marks(Form.FilesList()), "xxxx");
}

TEST_F(KeepTest, TheRemovalCheckRefusesAReferenceCopyCheckedBeforeMarking) {
    Scan();
    Form.FilesList().SetChecked(3, true);  // by hand: old/xxxx/x
    Form.FilesList().SetChecked(0, false);
    MarkReference("old");
    Choice = TRemovalChoice::rcAllChecked;  // even "move all checked items"
    Form.btnDeleteSelected->click();
    EXPECT_EQ(Unverified, QStringList{"It lies in a reference folder."});
    EXPECT_EQ(ReadWholeFile(Tree.Path("s/old/xxxx/x")), "copy");
    EXPECT_EQ(ReadWholeFile(Tree.Path("s/a-long/x")), "copy");
    for (const char* gone : {"s/mid/xx", "s/new/x"})
        EXPECT_FALSE(fs::exists(Tree.Path(gone))) << gone;
    EXPECT_EQ(Marks(Form.FilesList()), ".x");  // the refused row stays, with its mark
}

TEST_F(KeepTest, CheckedFilesBecomeHardLinksOfTheKeptCopy) {
    Scan();
    const std::int64_t keptTime =
        fs::last_write_time(Tree.Path("s/a-long/x")).time_since_epoch().count();
    Form.ReplacewithHardLinks1->trigger();
    EXPECT_EQ(Form.Messages, QStringList{"Files were replaced with hard links."});
    for (const char* rel : {"mid/xx", "new/x", "old/xxxx/x"}) {
        EXPECT_EQ(Id(rel), Id("a-long/x")) << rel;
        EXPECT_EQ(ReadWholeFile(Tree.Path(std::string("s/") + rel)), "copy");
    }
    EXPECT_EQ(fs::last_write_time(Tree.Path("s/a-long/x")).time_since_epoch().count(), keptTime);
    // The rows stay, unchecked; checked again they free nothing.
    EXPECT_EQ(Marks(Form.FilesList()), "....");
    Form.FilesList().SetChecked(1, true);
    Form.FilesList().SetChecked(2, true);
    EXPECT_EQ(SummarizeList(Form.FilesList(), 1).BytesToFree, 0);

    // Another run over them: already done, nothing changes.
    Form.Messages.clear();
    Form.ReplacewithHardLinks1->trigger();
    EXPECT_EQ(Form.Messages, QStringList{"Files were replaced with hard links."});
    EXPECT_EQ(Id("mid/xx"), Id("a-long/x"));
}

TEST_F(KeepTest, HardLinksOnlyForAContentListAndNeverForUnverifiedFiles) {
    PrepareSmallScan(Form, cmSize, Q(Tree.FolderText("s")));
    Form.btnScan->click();
    Form.Replacecheckedwithhardlinks1->trigger();
    EXPECT_EQ(Form.Messages,
              QStringList{"Only files of the File Clones list found by content can be replaced "
                          "with hard links."});
    EXPECT_NE(Id("mid/xx"), Id("a-long/x"));

    Form.Messages.clear();
    Scan();
    Tree.File("s/mid/xx", "COPY");  // differs now
    Choice = TRemovalChoice::rcAllChecked;
    Form.Replacecheckedwithhardlinks1->trigger();
    EXPECT_EQ(Unverified, QStringList{"The kept copy is gone or differs now."});
    EXPECT_EQ(ReadWholeFile(Tree.Path("s/mid/xx")), "COPY");
    EXPECT_NE(Id("mid/xx"), Id("a-long/x"));
    EXPECT_EQ(Id("new/x"), Id("a-long/x"));
    EXPECT_EQ(Marks(Form.FilesList()), ".x..");
}

}  // namespace
