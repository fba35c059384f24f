// The Recycle Bin command after a real scan: what the check lets go, what it keeps, the
// choice about what it could not verify, and the lists and message after the request.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../platform/ScopedEnv.h"
#include "WindowFixture.h"
#include "core/FileInfo.h"
#include "core/RemovalCheck.h"
#include "qtcommon/QtText.h"
#include "support/TempTree.h"
#include "support/TestHost.h"
#include "uMainForm/RemovalDialog.h"

namespace {

namespace fs = std::filesystem;

struct TShownRow {
    std::string Path;  // relative to the scanned folder
    bool Checked;
    bool operator==(const TShownRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TShownRow& row) {
    return out << row.Path << (row.Checked ? " [x]" : " [ ]");
}

// The trash lies in the test's own folder; the scan reads only "s" below it.
class RemovalTest : public testing::Test {
protected:
    RemovalTest() {
        Tree.Folder("data");
        Tree.Folder("s");
        Env.Set("XDG_DATA_HOME", Tree.Path("data"));
        Form.FAskYesNo = [this](const QString& text) {
            Questions << text;
            return true;
        };
        Form.FAskUnverified = [this](const TRemovalCheck& check) {
            Asked.emplace_back();
            for (const TCheckedItem& item : check.Items())
                if (!item.Verified())
                    Asked.back().push_back(Relative(Q(item.Path)) + ": " +
                                           U8(RemovalReasonText(item.Reason)));
            return Choice;
        };
    }

    void Scan(int compareIndex, bool folderClones = false) {
        PrepareSmallScan(Form, compareIndex, Q(Tree.FolderText("s")));
        Form.chkDirDuplicates->setChecked(folderClones);
        Form.btnScan->click();
        ASSERT_EQ(Form.LastScanOutcome(), TScanOutcome::soDone);
    }
    std::string Relative(const QString& path) const {
        return path.mid(static_cast<int>(Tree.Path("s").size()) + 1).toStdString();
    }
    // The rows of a list as it shows them, group after group.
    std::vector<TShownRow> Rows(TResultModel& list) {
        std::vector<TShownRow> rows;
        for (const TShownGroup& group : ShownGroups(list))
            for (const TShownItem& item : group.Items) {
                const QString path = &list == &Form.FilesList()
                                         ? item.Columns[1] + "/" + item.Columns[0]
                                         : item.Columns[0];
                rows.push_back({Relative(path), item.Checked});
            }
        return rows;
    }
    std::string Trashed(const std::string& name) const {
        return ReadWholeFile(Tree.Path("data/Trash/files/" + name));
    }
    // The bytes of every file moved to the trash, in order.
    std::vector<std::string> TrashedContents() const {
        std::vector<std::string> contents;
        const fs::path files = Tree.Path("data/Trash/files");
        if (fs::is_directory(files))
            for (const fs::directory_entry& entry : fs::directory_iterator(files))
                contents.push_back(ReadWholeFile(entry.path().string()));
        std::sort(contents.begin(), contents.end());
        return contents;
    }
    std::string OnDisk(const std::string& rel) const {
        return ReadWholeFile(Tree.Path("s/" + rel));
    }
    QString Full(const std::string& rel) const {
        return QString::fromStdString(Tree.Path("s/" + rel));
    }

    TTempTree Tree;
    TScopedEnv Env;
    TSettingsLanguageStore Store;
    TTestForm Form{&Store};
    QStringList Questions;
    std::vector<std::vector<std::string>> Asked;  // the unverified items, each time
    TRemovalChoice Choice = TRemovalChoice::rcVerifiedOnly;
};

constexpr const char* AllChecked = "Every item of its group is checked.";

TEST_F(RemovalTest, CheckAllThenDeleteTakesNoGroupWithoutMoveAll) {
    struct TCase {
        const char* Name;
        TRemovalChoice Choice;
        bool Moved;
        QStringList Messages;
    };
    const TCase cases[] = {
        {"cancel", TRemovalChoice::rcCancel, false, {}},
        {"move only the verified items",
         TRemovalChoice::rcVerifiedOnly,
         false,
         {"Checked items kept because they could not be verified: 2"}},
        {"move all checked items",
         TRemovalChoice::rcAllChecked,
         true,
         {"Files were moved to the Recycle Bin."}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree.File("s/a/x.txt", "same");
        Tree.File("s/b/x.txt", "same");
        Scan(cmContent);
        Form.btnCheckAll->click();
        Asked.clear();
        Form.Messages.clear();
        Choice = c.Choice;
        Form.btnDeleteSelected->click();
        ASSERT_EQ(Asked.size(), 1u);
        EXPECT_EQ(Asked[0], (std::vector<std::string>{std::string("a/x.txt: ") + AllChecked,
                                                      std::string("b/x.txt: ") + AllChecked}));
        EXPECT_EQ(Form.Messages, c.Messages);
        if (c.Moved) {
            EXPECT_TRUE(Rows(Form.FilesList()).empty());
            EXPECT_EQ(TrashedContents(), (std::vector<std::string>{"same", "same"}));
        } else {
            EXPECT_EQ(Rows(Form.FilesList()),
                      (std::vector<TShownRow>{{"a/x.txt", true}, {"b/x.txt", true}}));
            EXPECT_EQ(OnDisk("a/x.txt"), "same");
            EXPECT_EQ(OnDisk("b/x.txt"), "same");
        }
        Tree.Remove("s");
        Tree.Remove("data/Trash");
    }
}

TEST_F(RemovalTest, AKeptCopyOverwrittenOrRemovedAfterTheScanKeepsItsTwin) {
    Tree.File("s/a/x", "first");
    Tree.File("s/b/x", "first");
    Tree.File("s/c/yy", "second");
    Tree.File("s/d/yy", "second");
    Tree.File("s/e/zzz", "third!!");
    Tree.File("s/f/zzz", "third!!");
    Scan(cmContent);
    Tree.File("s/a/x", "FIRST");  // the kept copy of b/x, overwritten
    Tree.Remove("s/c/yy");        // the kept copy of d/yy, gone
    Form.btnDeleteSelected->click();
    EXPECT_EQ(Questions, QStringList{"Move 3 files to Recycle Bin?"});
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0], (std::vector<std::string>{"d/yy: The kept copy is gone or differs now.",
                                                  "b/x: The kept copy is gone or differs now."}));
    EXPECT_EQ(Form.Messages, QStringList{"Files were moved to the Recycle Bin.\n"
                                         "Checked items kept because they could not be "
                                         "verified: 2"});
    EXPECT_EQ(OnDisk("b/x"), "first");
    EXPECT_EQ(OnDisk("d/yy"), "second");
    EXPECT_EQ(Trashed("zzz"), "third!!");
    EXPECT_EQ(OnDisk("e/zzz"), "third!!");
    EXPECT_EQ(
        Rows(Form.FilesList()),
        (std::vector<TShownRow>{
            {"e/zzz", false}, {"c/yy", false}, {"d/yy", true}, {"a/x", false}, {"b/x", true}}));
}

TEST_F(RemovalTest, GroupsFoundByNameOrSizeGoOnlyWhereTheContentsAgree) {
    struct TCase {
        const char* Name;
        int CompareIndex;
    };
    for (const TCase& c :
         {TCase{"name", cmName}, TCase{"size", cmSize}, TCase{"name and size", cmNameSize}}) {
        SCOPED_TRACE(c.Name);
        Tree.File("s/a/report.txt", "first");
        Tree.File("s/b/report.txt", "other");  // the same name and size, not the same bytes
        Tree.File("s/c/report.txt", "first");
        Scan(c.CompareIndex);
        Asked.clear();
        Form.btnDeleteSelected->click();
        ASSERT_EQ(Asked.size(), 1u);
        EXPECT_EQ(Asked[0], std::vector<std::string>{"b/report.txt: Its group was found by name or "
                                                     "size, and the contents differ."});
        EXPECT_EQ(OnDisk("a/report.txt"), "first");
        EXPECT_EQ(OnDisk("b/report.txt"), "other");
        EXPECT_FALSE(fs::exists(Tree.Path("s/c/report.txt")));
        EXPECT_EQ(Trashed("report.txt"), "first");
        EXPECT_EQ(Rows(Form.FilesList()),
                  (std::vector<TShownRow>{{"a/report.txt", false}, {"b/report.txt", true}}));
        Tree.Remove("s");
        Tree.Remove("data/Trash");
    }
}

TEST_F(RemovalTest, FolderClonesWhoseFilesDifferInContentStay) {
    for (TRemovalChoice choice : {TRemovalChoice::rcVerifiedOnly, TRemovalChoice::rcAllChecked}) {
        const bool all = choice == TRemovalChoice::rcAllChecked;
        SCOPED_TRACE(all ? "move all" : "verified only");
        // Equal names and sizes: one folder group, though q's file holds other bytes.
        Tree.File("s/p/f.txt", "one");
        Tree.File("s/q/f.txt", "ONE");
        Scan(cmContent, true);
        Form.FolderClones1Click();
        Form.btnSelectAllButOne->click();
        Asked.clear();
        Form.Messages.clear();
        Choice = choice;
        Form.btnDeleteSelected->click();
        ASSERT_EQ(Asked.size(), 1u);
        EXPECT_EQ(Asked[0],
                  std::vector<std::string>{
                      "q: Its group was found by name or size, and the contents differ."});
        EXPECT_EQ(OnDisk("p/f.txt"), "one");
        if (all) {
            EXPECT_EQ(Trashed("q/f.txt"), "ONE");
            EXPECT_EQ(Rows(Form.DirsList()), (std::vector<TShownRow>{{"p", false}}));
            EXPECT_EQ(Form.Messages, QStringList{"Directories were moved to the Recycle Bin."});
        } else {
            EXPECT_EQ(OnDisk("q/f.txt"), "ONE");
            EXPECT_EQ(Rows(Form.DirsList()), (std::vector<TShownRow>{{"p", false}, {"q", true}}));
        }
        Form.FileClones1Click();
        Tree.Remove("s");
        Tree.Remove("data/Trash");
    }
}

TEST_F(RemovalTest, APartialFailureRemovesTheRowsOfWhatWentAndNamesWhatFailed) {
    Tree.File("s/a/x", "first");
    Tree.File("s/b/x", "first");
    Tree.File("s/c/x", "first");
    Tree.File("s/d/yy", "second");
    Tree.File("s/e/yy", "second");
    Scan(cmContent);
    // The real trash, except for one path it refuses.
    std::vector<Text> requested;
    Form.FMoveToTrash = [&](const std::vector<Text>& paths) {
        requested = paths;
        std::vector<Text> others;
        for (const Text& path : paths)
            if (path != Tree.TextPath("s/c/x"))
                others.push_back(path);
        Form.RecycleItems(others);
        return false;
    };
    Form.btnDeleteSelected->click();
    EXPECT_EQ(requested.size(), 3u);
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(Form.Messages,
              QStringList{"Failed to delete some files.\nItems that could not be moved: 1\n" +
                          Full("c/x")});
    EXPECT_EQ(OnDisk("c/x"), "first");
    EXPECT_EQ(Trashed("x"), "first");
    EXPECT_EQ(Trashed("yy"), "second");
    EXPECT_EQ(Rows(Form.FilesList()),
              (std::vector<TShownRow>{{"a/x", false}, {"c/x", true}, {"d/yy", false}}));
}

TEST_F(RemovalTest, FilesInsideARemovedFolderLeaveTheFileClonesPage) {
    for (const char* root : {"s/p/", "s/q/"}) {
        Tree.File(std::string(root) + "f.txt", "one");
        Tree.File(std::string(root) + "sub/g.txt", "two!");
    }
    Tree.File("s/other/f.txt", "one");
    Scan(cmContent, true);
    Form.FolderClones1Click();
    Form.btnSelectAllButOne->click();
    Form.btnDeleteSelected->click();
    EXPECT_TRUE(Asked.empty());
    EXPECT_EQ(Form.Messages, QStringList{"Directories were moved to the Recycle Bin."});
    EXPECT_EQ(Trashed("q/sub/g.txt"), "two!");
    EXPECT_EQ(Rows(Form.DirsList()), (std::vector<TShownRow>{{"p", false}, {"p/sub", false}}));
    // q's files went with it; the marks of the rows that stayed are as they were.
    EXPECT_EQ(Rows(Form.FilesList()),
              (std::vector<TShownRow>{
                  {"other/f.txt", false}, {"p/f.txt", true}, {"p/sub/g.txt", false}}));
}

TEST_F(RemovalTest, StopDuringTheCheckMovesNothing) {
    Tree.File("s/keep", "same");
    for (int i = 0; i < 30; ++i)
        Tree.File("s/copy" + std::to_string(i), "same");
    Scan(cmContent);
    const std::vector<TShownRow> before = Rows(Form.FilesList());
    struct TCase {
        const char* Name;
        std::function<void()> During;
    };
    const TCase cases[] = {
        {"the Stop button", [&] { Form.btnStop->click(); }},
        {"closing the window", [&] { Form.close(); }},
    };
    Form.show();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        bool acted = false;
        bool scanned = false;
        Form.OnStatus = [&](const Text& text) {
            scanned = scanned || (acted && text == u"Scanning folders...");
            if (acted || text != u"Checking items before removal (10/30)...")
                return;
            acted = true;
            EXPECT_TRUE(Form.btnStop->isEnabled());
            Form.btnScan->click();  // refused while the check reads the records
            c.During();
        };
        Form.btnDeleteSelected->click();
        Form.OnStatus = nullptr;
        ASSERT_TRUE(acted);
        EXPECT_FALSE(scanned);
        EXPECT_EQ(Form.lblStatus->text(), "Removal check stopped. Nothing was moved.");
        EXPECT_FALSE(Form.btnStop->isEnabled());
        EXPECT_TRUE(Asked.empty());
        EXPECT_TRUE(Form.Messages.isEmpty());
        EXPECT_EQ(Rows(Form.FilesList()), before);
        EXPECT_FALSE(fs::exists(Tree.Path("data/Trash")));
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(OnDisk("copy" + std::to_string(i)), "same");
    }
    EXPECT_FALSE(Form.isVisible());  // closed once the check had stopped
}

TEST(RemovalDialog, ListsWhatIsNotVerifiedAndOffersTheThreeChoices) {
    TTempTree tree;
    tree.File("a", "same");
    tree.File("b", "same");
    tree.File("c", "other");
    TFileList records;
    TMemoryResultList list{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    for (const char* rel : {"a", "b", "c"}) {
        records.Add(tree.TextPath(rel));
        list.AddItem({u"1", {}, 1, rel != std::string("a"), records.back()});
    }
    TTestHost host;
    TStopToken stop;
    TRemovalCheck check(list, TItemPath::ipFileRecord, cmSize);
    ASSERT_TRUE(check.Run(host, stop));

    struct TCase {
        QPushButton* TRemovalDialog::*Button;
        TRemovalChoice Choice;
    };
    for (const TCase& c : {TCase{&TRemovalDialog::btnMoveVerified, TRemovalChoice::rcVerifiedOnly},
                           TCase{&TRemovalDialog::btnMoveAll, TRemovalChoice::rcAllChecked},
                           TCase{&TRemovalDialog::btnCancel, TRemovalChoice::rcCancel}}) {
        TRemovalDialog dialog(check);
        EXPECT_EQ(dialog.Choice(), TRemovalChoice::rcCancel);
        EXPECT_TRUE(dialog.lblSummary->text().startsWith("Verified: 1 of 2 checked items."));
        ASSERT_EQ(dialog.lvUnverified->topLevelItemCount(), 1);
        EXPECT_EQ(dialog.lvUnverified->topLevelItem(0)->text(0), Q(tree.TextPath("c")));
        EXPECT_EQ(dialog.lvUnverified->topLevelItem(0)->text(1),
                  "Its group was found by name or size, and the contents differ.");
        EXPECT_EQ(dialog.btnMoveVerified->text(), "Move only the verified items");
        EXPECT_EQ(dialog.btnMoveAll->text(), "Move all checked items");
        EXPECT_EQ(dialog.btnCancel->text(), "Cancel");
        EXPECT_TRUE(dialog.btnMoveVerified->isDefault());
        EXPECT_FALSE(dialog.btnMoveAll->isDefault());
        (dialog.*c.Button)->click();
        EXPECT_EQ(dialog.Choice(), c.Choice);
    }
    {
        QDir().mkpath(TWINSEEK_SCREENSHOT_DIR);
        TRemovalDialog dialog(check);
        dialog.show();
        EXPECT_TRUE(dialog.grab().save(TWINSEEK_SCREENSHOT_DIR "/removal-dialog.png"));
    }

    // Nothing verified: the default is Cancel, and the verified-only answer is not offered.
    list.SetChecked(0, true);
    TRemovalCheck none(list, TItemPath::ipFileRecord, cmSize);
    ASSERT_TRUE(none.Run(host, stop));
    TRemovalDialog dialog(none);
    EXPECT_EQ(dialog.lvUnverified->topLevelItemCount(), 3);
    EXPECT_FALSE(dialog.btnMoveVerified->isEnabled());
    EXPECT_TRUE(dialog.btnCancel->isDefault());
}

}  // namespace
