#include "core/KeepRule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "core/FileInfo.h"
#include "support/TempTree.h"

namespace {

namespace fs = std::filesystem;

// One group of four copies with distinct ages and path lengths, and a loose row:
//   "mid/xx"  middle age, "new/x" newest, "old/xxxx/x" oldest, "ab/x" as new as new/x.
struct TKeepScene {
    TTempTree Tree;
    TMemoryResultList List{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TFileList Records;

    TKeepScene() {
        const auto now = fs::file_time_type::clock::now();
        const std::pair<const char*, int> files[] = {
            {"mid/xx", 200}, {"new/x", 100}, {"old/xxxx/x", 300}, {"ab/x", 100}};
        for (const auto& [rel, ageSeconds] : files) {
            Tree.File(rel, "copy");
            fs::last_write_time(Tree.Path(rel), now - std::chrono::seconds(ageSeconds));
            Row(rel, 1);
        }
        Tree.File("loose", "alone");
        Row("loose", -1);
    }
    void Row(const std::string& rel, int group) {
        Records.Add(Tree.TextPath(rel));
        List.AddItem({u"x", {}, group, false, Records.back()});
    }
    std::string Marks() const {
        std::string marks;
        for (int i = 0; i < List.ItemCount(); ++i)
            marks += List.ItemAt(i).Checked ? 'x' : '.';
        return marks;
    }
};

TEST(KeepRule, EachRuleKeepsItsCopyAndTiesGoToTheFirst) {
    struct TCase {
        TKeepRule Rule;
        const char* Marks;  // the four copies, then the loose row
    };
    const TCase cases[] = {
        {TKeepRule::krFirst, ".xxx."},
        {TKeepRule::krNewest, "x.xx."},  // new/x and ab/x tie: the first of them
        {TKeepRule::krOldest, "xx.x."},
        {TKeepRule::krShortestPath, "xxx.."},
        {TKeepRule::krLongestPath, "xx.x."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Rule));
        TKeepScene s;
        s.List.SetChecked(4, false);
        CheckAllButOneInGroup(s.List, TKeepChoice{.Rule = c.Rule});
        EXPECT_EQ(s.Marks(), c.Marks);
        // Twice gives the same marks.
        CheckAllButOneInGroup(s.List, TKeepChoice{.Rule = c.Rule});
        EXPECT_EQ(s.Marks(), c.Marks);
    }
}

TEST(KeepRule, ACopyWhoseTimeCannotBeAskedLosesToOneWhoseTimeCan) {
    TKeepScene s;
    s.Tree.Remove("new/x");
    s.Tree.Remove("ab/x");
    s.Tree.Remove("mid/xx");
    CheckAllButOneInGroup(s.List, TKeepChoice{.Rule = TKeepRule::krNewest});
    EXPECT_EQ(s.Marks(), "xx.x.");
}

TEST(KeepRule, ReferenceCopiesAreNeverCheckedAndAreTheOnesKept) {
    TKeepScene s;
    s.Tree.Folder("ref");
    s.Tree.File("ref/x", "copy");
    s.Row("ref/x", 1);
    const TReferenceFolders reference({s.Tree.FolderText("ref"), s.Tree.FolderText("old")});
    // By hand first: every row checked.
    for (int i = 0; i < s.List.ItemCount(); ++i)
        s.List.SetChecked(i, true);
    CheckAllButOneInGroup(s.List,
                          TKeepChoice{.Rule = TKeepRule::krNewest, .Reference = &reference});
    EXPECT_EQ(s.Marks(), "xx.xx.");  // the loose row keeps its mark
    SetAllChecked(s.List, true, TKeepChoice{.Reference = &reference});
    EXPECT_EQ(s.Marks(), "xx.xx.");
    SetAllChecked(s.List, false, TKeepChoice{.Reference = &reference});
    EXPECT_EQ(s.Marks(), "......");
}

#ifndef _WIN32
TEST(KeepRule, AReferenceFolderReachedThroughALinkStillCounts) {
    TKeepScene s;
    s.Tree.Link("via", "old");
    const TReferenceFolders reference({s.Tree.FolderText("via")});
    EXPECT_TRUE(reference.Holds(s.Tree.TextPath("old/xxxx/x")));
    EXPECT_FALSE(reference.Holds(s.Tree.TextPath("mid/xx")));
    EXPECT_TRUE(reference.Touches(s.Tree.FolderText("")));  // it holds the reference folder
}
#endif

}  // namespace
