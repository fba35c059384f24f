#include <gtest/gtest.h>

#include <limits>

#include "core/FileGrouping.h"
#include "core/ResultRows.h"
#include "core/ScanState.h"
#include "support/TestHost.h"

namespace {

TFileList Files(std::initializer_list<std::pair<const char*, std::int64_t>> files) {
    TFileList list;
    for (auto [path, size] : files)
        list.Add(T(path), size);
    return list;
}

std::vector<std::vector<std::string>> Paths(const std::vector<TGroupRec>& groups) {
    std::vector<std::vector<std::string>> result;
    for (const auto& g : groups) {
        result.emplace_back();
        for (const TFileInfo* f : g.Files)
            result.back().push_back(U8(f->FullPath()));
    }
    return result;
}

using Groups = std::vector<std::vector<std::string>>;

TEST(GroupFiles, KeysOfTheFourModes) {
    const TFileList files = Files({{"/1/a.txt", 10}, {"/2/A.TXT", 20}, {"/3/b.txt", 10}});
    EXPECT_EQ(Paths(GroupFiles(files, cmName, 2, 0)), (Groups{{"/1/a.txt", "/2/A.TXT"}}));
    EXPECT_EQ(GroupFiles(files, cmName, 2, 0)[0].TotalSize, 30);
    EXPECT_EQ(Paths(GroupFiles(files, cmSize, 2, 0)), (Groups{{"/1/a.txt", "/3/b.txt"}}));
    EXPECT_EQ(GroupFiles(files, cmSize, 2, 0)[0].TotalSize, 20);
    EXPECT_TRUE(GroupFiles(files, cmNameSize, 2, 0).empty());

    const TFileList sized =
        Files({{"/1/Report.PDF", 512}, {"/2/report.pdf", 512}, {"/3/report.pdf", 513}});
    EXPECT_EQ(Paths(GroupFiles(sized, cmNameSize, 2, 0)),
              (Groups{{"/1/Report.PDF", "/2/report.pdf"}}));
}

TEST(GroupFiles, ContentModeLeavesOutFilesWithoutDigest) {
    TFileList files = Files({{"/a", 5}, {"/b", 5}, {"/c", 5}, {"/d", 5}});
    Platform::TSha1Digest one{}, two{};
    two[0] = 1;
    files[0]->SetContentHash(one);
    files[1]->SetContentHash(one);
    files[3]->SetContentHash(two);  // alone with its digest; /c has none
    EXPECT_EQ(Paths(GroupFiles(files, cmContent, 2, 0)), (Groups{{"/a", "/b"}}));
}

// Three files of 4 EiB: their total is held at the largest value, not wrapped to a negative
// one that would sort the largest group last.
TEST(GroupFiles, TotalsSaturateInsteadOfOverflowing) {
    constexpr std::int64_t huge = std::int64_t{1} << 62;
    const TFileList files =
        Files({{"/s1", 1}, {"/h1", huge}, {"/s2", 1}, {"/h2", huge}, {"/h3", huge}});
    const std::vector<TGroupRec> groups = GroupFiles(files, cmSize, 2, 0);
    EXPECT_EQ(Paths(groups), (Groups{{"/h1", "/h2", "/h3"}, {"/s1", "/s2"}}));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].TotalSize, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(groups[1].TotalSize, 2);
}

TEST(GroupFiles, EmptyFilesGroupBySizeAndComeLast) {
    const TFileList files = Files({{"/e1", 0}, {"/x", 3}, {"/e2", 0}, {"/y", 3}});
    EXPECT_EQ(Paths(GroupFiles(files, cmSize, 2, 0)), (Groups{{"/x", "/y"}, {"/e1", "/e2"}}));
}

TEST(GroupFiles, MinimumBeforeOrderingLimitAfter) {
    const TFileList files = Files({{"/2a", 1},
                                   {"/2b", 1},
                                   {"/3a", 2},
                                   {"/3b", 2},
                                   {"/3c", 2},
                                   {"/4a", 3},
                                   {"/4b", 3},
                                   {"/4c", 3},
                                   {"/4d", 3}});
    EXPECT_EQ(GroupFiles(files, cmSize, 3, 0).size(), 2u);
    EXPECT_EQ(GroupFiles(files, cmSize, 1, 0).size(), 3u);  // raised to 2

    const TFileList totals = Files({{"/a100", 50},
                                    {"/b100", 50},
                                    {"/a300", 150},
                                    {"/b300", 150},
                                    {"/a200", 100},
                                    {"/b200", 100}});
    for (std::int64_t all : {0, -5}) {
        const auto groups = GroupFiles(totals, cmSize, 2, all);
        ASSERT_EQ(groups.size(), 3u);
        EXPECT_EQ(groups[0].TotalSize, 300);
        EXPECT_EQ(groups[1].TotalSize, 200);
        EXPECT_EQ(groups[2].TotalSize, 100);
    }
    std::size_t found = 0;
    const auto one = GroupFiles(totals, cmSize, 2, 1, &found);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].TotalSize, 300);
    EXPECT_EQ(found, 3u);  // the groups before the cut
    GroupFiles(files, cmSize, 3, 0, &found);
    EXPECT_EQ(found, 2u);  // the minimum is no cut
}

TEST(GroupFiles, EqualTotalsKeepTheOrderOfTheirFirstFile) {
    const TFileList files = Files({{"/q.txt", 4}, {"/p.txt", 4}, {"/x/p.txt", 4}, {"/x/q.txt", 4}});
    EXPECT_EQ(Paths(GroupFiles(files, cmName, 2, 0)),
              (Groups{{"/q.txt", "/x/q.txt"}, {"/p.txt", "/x/p.txt"}}));
}

class FindFileDuplicates_ : public ::testing::Test {
protected:
    TTestHost Host;
    TMemoryResultList Files{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TStopToken Stop;
    TScanState State;
    TCompareMode ListedMode = cmContent;

    void AddGroups(int count) {
        for (int g = 0; g < count; ++g)
            for (int copy = 0; copy < 2; ++copy)
                State.Files.Add(T("/d" + std::to_string(copy) + "/g" + std::to_string(g)),
                                1000 + count - g);
        Host.Settings.CompareIndex = cmName;
        Host.Settings.MaxGroups = 0;
    }
};

TEST_F(FindFileDuplicates_, ListsEveryGroupWithProgressEveryFifty) {
    AddGroups(120);
    std::size_t found = FindFileDuplicates(Host, Stop, State.Files, Files, ListedMode);
    EXPECT_EQ(Files.GroupCount(), 120);
    EXPECT_EQ(Files.ItemCount(), 240);
    EXPECT_EQ(Host.StatusesStartingWith(u"Listing file groups"),
              (std::vector<Text>{u"Listing file groups (50/120)...",
                                 u"Listing file groups (100/120)..."}));
    EXPECT_EQ(Host.LastStatus(), u"Duplicate file groups populated.");
    EXPECT_EQ(Host.ProgressMax, 120);
    EXPECT_EQ(Host.ProgressPosition, 120);
    EXPECT_EQ(Files.UpdateDepth(), 0);
    EXPECT_TRUE(Files.Redraw());
    EXPECT_TRUE(Files.GroupView());
    EXPECT_EQ(found, 120u);

    // The maximum cuts the list, not the count of what was found.
    Host.Settings.MaxGroups = 100;
    found = FindFileDuplicates(Host, Stop, State.Files, Files, ListedMode);
    EXPECT_EQ(Files.GroupCount(), 100);
    EXPECT_EQ(found, 120u);
}

TEST_F(FindFileDuplicates_, StopAfterGroupFiftyKeepsFifty) {
    AddGroups(120);
    Host.OnKeep = [&](TTestHost&) { Stop.Request(); };
    FindFileDuplicates(Host, Stop, State.Files, Files, ListedMode);
    EXPECT_EQ(Files.GroupCount(), 50);
    EXPECT_EQ(Host.ProgressPosition, 50);
    EXPECT_TRUE(Host.StatusesStartingWith(u"Duplicate").empty());
}

TEST_F(FindFileDuplicates_, NoGroupsStillEmptiesTheListAndReports) {
    Files.AddGroup(9, u"old");
    Files.AddItem({u"9", {u"old"}, 9});
    FindFileDuplicates(Host, Stop, State.Files, Files, ListedMode);
    EXPECT_EQ(Files.ItemCount(), 0);
    EXPECT_EQ(Files.GroupCount(), 0);
    EXPECT_EQ(Host.ProgressMax, 1);
    EXPECT_EQ(Host.ProgressPosition, 0);
    EXPECT_EQ(Host.LastStatus(), u"Duplicate file groups populated.");
}

TEST(FormatSizeMB, Table) {
    struct TCase {
        std::int64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0.00 MB"},
        {5000, "0.00 MB"},
        {5242, "0.00 MB"},    // just below half a hundredth
        {5243, "0.01 MB"},    // just above
        {131072, "0.13 MB"},  // exactly 0.125: halves round up
        {1048576, "1.00 MB"},
        {1572864, "1.50 MB"},
        {3145728, "3.00 MB"},
        {10000LL * 1048576, "10000.00 MB"},
        {INT64_MAX, "8796093022208.00 MB"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(U8(FormatSizeMB(c.bytes, u'.')), c.text);
    }
    EXPECT_EQ(U8(FormatSizeMB(1572864, u',')), "1,50 MB");
}

TEST(AddFileGroup, LayoutOfAGroup) {
    TMemoryResultList list{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TFileList files;
    TFileInfo& a = *files.Add(T("/data/photos/a.jpg"), 1048576);
    TFileInfo& b = *files.Add(T("/b.jpg"), 1048576);
    TFileInfo& c = *files.Add(T("/x/c.jpg"), 1048576);
    int groupNo = 4;
    AddFileGroup(list, {&a, &b, &c}, 3145728, groupNo);
    EXPECT_EQ(groupNo, 5);
    ASSERT_EQ(list.GroupCount(), 1);
    EXPECT_EQ(list.GroupAt(0).GroupId, 4);
    const std::string sep = U8(FormatSizeMB(0)).substr(1, 1);  // the locale's separator
    EXPECT_EQ(U8(list.GroupAt(0).Header), "Group 4 (3" + sep + "00 MB)");
    ASSERT_EQ(list.ItemCount(), 3);
    const std::vector<std::vector<std::string>> rows = {
        {"4", "a.jpg", "/data/photos", "1" + sep + "00 MB"},
        {"4", "b.jpg", "/", "1" + sep + "00 MB"},
        {"4", "c.jpg", "/x", "1" + sep + "00 MB"}};
    const TFileInfo* records[] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        const TListItem& item = list.ItemAt(i);
        EXPECT_EQ(item.Texts, nullptr);  // made from the record when asked
        std::vector<std::string> row;
        for (int c = 0; c < ItemColumnCount(item); ++c)
            row.push_back(U8(ItemText(item, c)));
        EXPECT_EQ(row, rows[i]);
        EXPECT_EQ(item.GroupId, 4);
        EXPECT_EQ(item.Checked, i != 0);
        EXPECT_EQ(item.Data, records[i]);
    }
}

TEST(ListUpdate, RestoresTheGroupViewItFound) {
    for (bool before : {false, true}) {
        TMemoryResultList list;
        list.SetGroupView(before);
        bool saved = !before;
        BeginListUpdate(list, saved);
        EXPECT_FALSE(list.GroupView());
        EXPECT_FALSE(list.Redraw());
        EXPECT_EQ(list.UpdateDepth(), 1);
        EndListUpdate(list, saved);
        EXPECT_EQ(list.GroupView(), before);
        EXPECT_TRUE(list.Redraw());
        EXPECT_EQ(list.UpdateDepth(), 0);
    }
}

}  // namespace
