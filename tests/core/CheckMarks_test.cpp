#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/CheckMarks.h"
#include "core/FileInfo.h"
#include "core/ResultRows.h"
#include "support/TempTree.h"

namespace {

// Group ids and marks of a list, written as "1x 1. 2x -1." (x checked, . unchecked).
TMemoryResultList MakeList(std::initializer_list<std::pair<int, bool>> items) {
    TMemoryResultList list{{u"Group", u"Directory", u"Size"}};
    for (const auto& [groupId, checked] : items)
        list.AddItem({u"g", {u"/d", u"1 MB"}, groupId, checked});
    return list;
}

std::string Marks(const TResultList& list) {
    std::string marks;
    for (int i = 0; i < list.ItemCount(); ++i)
        marks += list.ItemAt(i).Checked ? 'x' : '.';
    return marks;
}

TEST(CheckMarks, AllButOneKeepsTheFirstOfEveryGroupWhateverTheMarksWere) {
    struct TCase {
        const char* Name;
        TMemoryResultList List;
        std::string Expected;
    };
    TCase cases[] = {
        {"as listed", MakeList({{1, false}, {1, true}, {1, true}, {2, false}, {2, true}}), ".xx.x"},
        {"first checked and second unchecked by hand", MakeList({{1, true}, {1, false}}), ".x"},
        {"a group left with one item", MakeList({{1, true}, {2, true}, {2, false}}), "..x"},
        {"all unchecked, as the folder list arrives",
         MakeList({{1, false}, {1, false}, {2, false}, {2, false}}), ".x.x"},
        // Ids decide, not neighbours: an item of group 1 after one of group 2.
        {"interleaved groups", MakeList({{1, false}, {2, false}, {1, false}, {2, true}}), "..xx"},
        {"items in no group keep their marks", MakeList({{-1, true}, {-1, false}, {3, true}}),
         "x.."},
        {"empty list", MakeList({}), ""},
    };
    for (TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        CheckAllButOneInGroup(c.List);
        EXPECT_EQ(Marks(c.List), c.Expected);
        CheckAllButOneInGroup(c.List);  // a second run changes nothing
        EXPECT_EQ(Marks(c.List), c.Expected);
    }
}

TEST(CheckMarks, CheckAndUncheckAllReachItemsInNoGroup) {
    TMemoryResultList list = MakeList({{1, false}, {1, true}, {-1, false}});
    SetAllChecked(list, true);
    EXPECT_EQ(Marks(list), "xxx");
    SetAllChecked(list, false);
    EXPECT_EQ(Marks(list), "...");
}

// Counts the marks written, as the window repaints a row for each.
class TCountingList : public TMemoryResultList {
public:
    using TMemoryResultList::TMemoryResultList;
    void SetChecked(int index, bool checked) override {
        ++Writes;
        TMemoryResultList::SetChecked(index, checked);
    }
    int Writes = 0;
};

TEST(CheckMarks, OnlyMarksThatChangeAreWritten) {
    TCountingList list{{u"Group"}};
    for (bool checked : {false, true, true, false})
        list.AddItem({u"1", {}, 1, checked});
    CheckAllButOneInGroup(list);
    EXPECT_EQ(list.Writes, 1);
    SetAllChecked(list, true);
    EXPECT_EQ(list.Writes, 2);
}

TEST(CheckMarks, CheckedPathsComeFromTheRecordOrTheFirstSubItem) {
    TFileList records;
    TFileInfo& a = *records.Add(u"/data/a.txt", 1);
    TFileInfo& b = *records.Add(u"/data/b.txt", 1);
    TMemoryResultList files{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    files.AddItem({u"1", {u"a.txt", u"/data", u"0.00 MB"}, 1, true, &a});
    files.AddItem({u"1", {u"no record", u"/data", u"0.00 MB"}, 1, true, nullptr});
    files.AddItem({u"1", {u"b.txt", u"/elsewhere", u"0.00 MB"}, 1, true, &b});
    files.AddItem({u"1", {u"c.txt", u"/data", u"0.00 MB"}, 1, false, &a});
    // The record counts, not the visible columns.
    EXPECT_EQ(CheckedPaths(files, TItemPath::ipFileRecord),
              (std::vector<Text>{u"/data/a.txt", u"/data/b.txt"}));

    TMemoryResultList dirs{{u"Group", u"Directory", u"Size"}};
    dirs.AddItem({u"1", {u"/x/one", u"1 MB"}, 1, true});
    dirs.AddItem({u"1", {}, 1, true});
    dirs.AddItem({u"2", {u"/x/two"}, 2, false});
    dirs.AddItem({u"2", {u"/x/three", u"1 MB"}, 2, true, &a});
    EXPECT_EQ(CheckedPaths(dirs, TItemPath::ipFirstSubItem),
              (std::vector<Text>{u"/x/one", u"/x/three"}));
}

TEST(CheckMarks, OutermostPathsDropWhatAnotherPathHolds) {
    using Platform::TPathSyntax;
    struct TCase {
        const char* Name;
        TPathSyntax Syntax;
        std::vector<Text> Paths, Expected;
    };
    const TCase cases[] = {
        {"a folder and a folder inside it, either order",
         TPathSyntax::Posix,
         {u"/m/a/sub", u"/m/a", u"/m/b/f.txt"},
         {u"/m/a", u"/m/b/f.txt"}},
        {"a name that only starts like the folder is not inside it",
         TPathSyntax::Posix,
         {u"/m/a", u"/m/ab", u"/m/a-c", u"/m/a/x"},
         {u"/m/a", u"/m/ab", u"/m/a-c"}},
        {"a trailing separator and a repeat",
         TPathSyntax::Posix,
         {u"/m/a/", u"/m/a/deep/er", u"/m/a"},
         {u"/m/a/"}},
        {"the root holds everything", TPathSyntax::Posix, {u"/m/x", u"/"}, {u"/"}},
        {"letter case counts on POSIX",
         TPathSyntax::Posix,
         {u"/m/A", u"/m/a/x"},
         {u"/m/A", u"/m/a/x"}},
        {"letter case is ignored on Windows",
         TPathSyntax::Windows,
         {u"C:\\Data\\A", u"c:\\data\\a\\x.txt", u"C:\\Data\\B"},
         {u"C:\\Data\\A", u"C:\\Data\\B"}},
        {"a drive root on Windows", TPathSyntax::Windows, {u"D:\\x\\y", u"D:\\"}, {u"D:\\"}},
        {"empty paths are no request", TPathSyntax::Posix, {u"", u"/m/a"}, {u"/m/a"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(OutermostPaths(c.Paths, c.Syntax), c.Expected);
    }
}

TEST(CheckMarks, DeletedItemsLeaveGroupsAndTheSelectedItem) {
    TMemoryResultList list = MakeList({{1, false}, {1, true}, {2, true}, {2, true}, {3, false}});
    list.AddGroup(1, u"Group 1");
    list.AddGroup(2, u"Group 2");
    list.AddGroup(3, u"Group 3");
    list.SetSelectedIndex(4);
    DeleteItems(list, [](const TListItem& item) { return item.Checked; });
    EXPECT_EQ(list.ItemCount(), 2);
    EXPECT_EQ(list.ItemAt(0).GroupId, 1);
    EXPECT_EQ(list.ItemAt(1).GroupId, 3);
    EXPECT_EQ(list.GroupCount(), 3);  // group 2 stays, empty
    EXPECT_EQ(list.SelectedIndex(), 1);
    EXPECT_EQ(list.UpdateDepth(), 0);
}

// After a removal, rows go exactly when the request covered their path and the disk no
// longer has it; what stayed keeps its mark.
TEST(CheckMarks, DeleteGoneItemsAsksTheDiskForWhatTheRequestCovered) {
    TTempTree tree;
    for (const char* rel : {"gone/a.txt", "gone/sub/b.txt", "failed/c.txt", "other/d.txt"})
        tree.File(rel, "x");
    TFileList records;
    TMemoryResultList files{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TMemoryResultList dirs{{u"Group", u"Directory", u"Size"}};
    for (const char* rel : {"gone/a.txt", "gone/sub/b.txt", "failed/c.txt", "other/d.txt"}) {
        records.Add(tree.TextPath(rel));
        files.AddItem({u"1", {}, 1, true, records.back()});
    }
    for (const char* rel : {"gone", "gone/sub", "failed", "other"})
        dirs.AddItem({u"1", {tree.TextPath(rel)}, 1, true});
    // The trash took "gone"; "failed" stayed; "other" went by another hand, not this request.
    tree.Remove("gone");
    tree.Remove("other/d.txt");
    const std::vector<Text> sent = {tree.TextPath("gone"), tree.TextPath("failed")};
    DeleteGoneItems(files, TItemPath::ipFileRecord, sent);
    DeleteGoneItems(dirs, TItemPath::ipFirstSubItem, sent);
    ASSERT_EQ(files.ItemCount(), 2);
    EXPECT_EQ(files.ItemAt(0).Data->FullPath(), tree.TextPath("failed/c.txt"));
    EXPECT_EQ(files.ItemAt(1).Data->FullPath(), tree.TextPath("other/d.txt"));
    ASSERT_EQ(dirs.ItemCount(), 2);
    EXPECT_EQ(ItemText(dirs.ItemAt(0), 1), tree.TextPath("failed"));
    EXPECT_EQ(ItemText(dirs.ItemAt(1), 1), tree.TextPath("other"));
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(files.ItemAt(i).Checked);
        EXPECT_TRUE(dirs.ItemAt(i).Checked);
    }
    EXPECT_EQ(ReadWholeFile(tree.Path("failed/c.txt")), "x");
}

}  // namespace
