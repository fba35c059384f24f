#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>

#include "core/DirGrouping.h"
#include "core/DirSignatures.h"
#include "core/DirectoryDuplicates.h"
#include "support/EngineTest.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

using Platform::TPathSyntax;
using Strings = std::vector<std::string>;

TEST(NormalizeDirPath, BothSyntaxes) {
    // Relative paths are made absolute against a made-up current folder.
    const auto fullPath = [](TPathSyntax syntax) -> TFullPathFunction {
        return [syntax](const Text& p) {
            if (syntax == TPathSyntax::Posix)
                return p.starts_with(u'/') ? p : u"/cwd/" + p;
            const bool absolute = p.starts_with(u"\\\\") || (p.size() >= 3 && p[1] == u':');
            return absolute ? p : u"C:\\cwd\\" + p;
        };
    };
    struct {
        TPathSyntax Syntax;
        const char* Path;
        const char* Key;
    } cases[] = {
        {TPathSyntax::Windows, "C:\\Data\\", "C:\\Data"},
        {TPathSyntax::Windows, "C:\\Data", "C:\\Data"},
        {TPathSyntax::Windows, "C:\\", "C:\\"},
        {TPathSyntax::Windows, "C:", "C:\\"},
        {TPathSyntax::Windows, "d:\\", "d:\\"},
        {TPathSyntax::Windows, "\\\\server\\share\\", "\\\\server\\share\\"},
        {TPathSyntax::Windows, "\\\\server\\share", "\\\\server\\share\\"},
        {TPathSyntax::Windows, "\\\\server\\share\\x\\", "\\\\server\\share\\x"},
        {TPathSyntax::Windows, "rel\\", "C:\\cwd\\rel"},
        {TPathSyntax::Posix, "/", "/"},
        {TPathSyntax::Posix, "/home/ann/", "/home/ann"},
        {TPathSyntax::Posix, "/home/ann", "/home/ann"},
        {TPathSyntax::Posix, "rel/", "/cwd/rel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(U8(NormalizeDirPath(T(c.Path), c.Syntax, fullPath(c.Syntax))), c.Key);
    }
}

TEST(DirEntryName, BothSyntaxes) {
    struct {
        TPathSyntax Syntax;
        const char* Path;
        const char* Name;
    } cases[] = {
        {TPathSyntax::Windows, "C:\\Data\\Photos", "photos"},
        {TPathSyntax::Windows, "C:\\Data\\\xc3\x84rger\\", "\xc3\xa4rger"},
        {TPathSyntax::Windows, "C:\\", "c:"},
        {TPathSyntax::Windows, "\\\\Server\\Share\\", "share"},
        {TPathSyntax::Posix, "/home/Ann", "ann"},
        {TPathSyntax::Posix, "/home/Ann/", "ann"},
        {TPathSyntax::Posix, "/home/A\\B", "a\\b"},  // a backslash is part of a POSIX name
        {TPathSyntax::Posix, "/", "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(U8(DirEntryName(T(c.Path), c.Syntax)), c.Name);
    }
}

TEST(HasAncestorInGroup, UpToTheRootNeverItself) {
    struct {
        TPathSyntax Syntax;
        std::vector<const char*> Accepted;
        const char* Key;
        bool Expected;
    } cases[] = {
        {TPathSyntax::Posix, {"/a"}, "/a/b/c", true},
        {TPathSyntax::Posix, {"/a"}, "/a/b", true},
        {TPathSyntax::Posix, {"/a"}, "/a", false},
        {TPathSyntax::Posix, {"/a"}, "/ab", false},
        {TPathSyntax::Posix, {"/a/b"}, "/a", false},
        {TPathSyntax::Posix, {"/"}, "/x/y", true},
        {TPathSyntax::Posix, {"/"}, "/", false},
        {TPathSyntax::Posix, {}, "/x", false},
        {TPathSyntax::Windows, {"C:\\a"}, "C:\\a\\b", true},
        {TPathSyntax::Windows, {"C:\\a"}, "C:\\ab", false},
        {TPathSyntax::Windows, {"C:\\a"}, "D:\\a\\b", false},
        {TPathSyntax::Windows, {"C:\\"}, "C:\\x\\y", true},
        {TPathSyntax::Windows, {"C:\\"}, "C:\\", false},
        {TPathSyntax::Windows, {"\\\\srv\\share\\"}, "\\\\srv\\share\\d", true},
        {TPathSyntax::Windows, {"\\\\srv\\share\\d"}, "\\\\srv\\share\\d\\e", true},
        {TPathSyntax::Windows, {"\\\\srv\\share\\"}, "\\\\srv\\share\\", false},
        {TPathSyntax::Windows, {"\\\\srv\\other\\"}, "\\\\srv\\share\\d", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Key);
        std::unordered_set<Text> accepted;
        for (const char* a : c.Accepted)
            accepted.insert(T(a));
        EXPECT_EQ(HasAncestorInGroup(T(c.Key), accepted, c.Syntax), c.Expected);
    }
}

// Each listed group as its header followed by its rows' directories, relative to the tree.
std::vector<Strings> ListedIn(const TMemoryResultList& dirs, const TTempTree& tree) {
    std::vector<Strings> groups;
    for (int g = 0; g < dirs.GroupCount(); ++g) {
        Strings group{U8(dirs.GroupAt(g).Header)};
        for (int i = 0; i < dirs.ItemCount(); ++i)
            if (dirs.ItemAt(i).GroupId == dirs.GroupAt(g).GroupId)
                group.push_back(
                    ForwardSlashes(U8(ItemText(dirs.ItemAt(i), 1)).substr(tree.Root().size() + 1)));
        groups.push_back(group);
    }
    return groups;
}

// Groups one line each, a blank line after each group.
std::string GroupsText(const std::vector<Strings>& groups) {
    std::string text;
    for (const Strings& group : groups) {
        for (const std::string& line : group)
            text += line + '\n';
        text += '\n';
    }
    return text;
}

class DirGrouping : public TEngineTest {
protected:
    void SetFolders(std::initializer_list<std::string_view> rels) {
        Host.Settings.Folders.clear();
        for (std::string_view rel : rels)
            Host.Settings.Folders.push_back(Tree.FolderText(rel));
    }

    std::vector<Strings> Listed() const { return ListedIn(Dirs, Tree); }

    // Three identical trees: 100 bytes and S with 50 bytes each.
    void ThreeTrees() {
        for (const char* top : {"R/b", "R/A", "R/C"}) {
            Tree.SizedFile(std::string(top) + "/file", 100);
            Tree.SizedFile(std::string(top) + "/S/inner", 50);
        }
        Tree.File("R/unique.txt", "u");
        SetFolders({"R"});
    }
};

TEST_F(DirGrouping, ThreeIdenticalTrees) {
    ThreeTrees();
    FindDirectoryDuplicates(Host, Stop, Dirs);
    EXPECT_EQ(Listed(), (std::vector<Strings>{{"Group 1 (0.00 MB)", "R/A", "R/b", "R/C"},
                                              {"Group 2 (0.00 MB)", "R/A/S", "R/b/S", "R/C/S"}}));
    ASSERT_EQ(Dirs.ItemCount(), 6);
    for (int i = 0; i < Dirs.ItemCount(); ++i) {
        const TListItem& item = Dirs.ItemAt(i);
        SCOPED_TRACE(i);
        const int group = i < 3 ? 1 : 2;
        EXPECT_EQ(item.GroupId, group);
        ASSERT_NE(item.Texts, nullptr);  // no record to make them from
        EXPECT_EQ(item.Texts->Caption, Platform::IntToText(group));
        ASSERT_EQ(item.Texts->SubItems.size(), 2u);
        EXPECT_EQ(item.Texts->SubItems[1], u"0.00 MB");
        EXPECT_FALSE(item.Checked);
        EXPECT_EQ(item.Data, nullptr);
    }
    EXPECT_EQ(U8(Host.LastStatus()), "Duplicate directory groups listed.");
    EXPECT_EQ(Host.Events.back(), "pos 0");
    EXPECT_EQ(Dirs.UpdateDepth(), 0);
    EXPECT_TRUE(Dirs.GroupView());
    EXPECT_TRUE(Dirs.Redraw());
}

TEST_F(DirGrouping, TotalsAndTheirOrder) {
    ThreeTrees();
    TDirSignatures signatures;
    ASSERT_TRUE(ComputeDirSignatures(Host, Stop, signatures));
    const std::vector<TDirGroupRec> groups = GroupDirectories(signatures, 2, Stop);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].TotalSize, 450);
    EXPECT_EQ(groups[1].TotalSize, 150);
}

TEST_F(DirGrouping, MinimumGroupSizeAndMaximumGroups) {
    ThreeTrees();
    struct {
        std::int64_t MinGroupSize;
        std::int64_t MaxGroups;
        std::size_t Groups;
        std::size_t Found;  // before the maximum cut them
    } cases[] = {{4, 0, 0, 0}, {3, 0, 2, 2},  {1, 0, 2, 2}, {0, 0, 2, 2},
                 {2, 1, 1, 2}, {2, -1, 2, 2}, {2, 5, 2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.MinGroupSize << " " << c.MaxGroups);
        Host.Settings.MinGroupSize = c.MinGroupSize;
        Host.Settings.MaxGroups = c.MaxGroups;
        const std::size_t found = FindDirectoryDuplicates(Host, Stop, Dirs);
        const auto listed = Listed();
        ASSERT_EQ(listed.size(), c.Groups);
        EXPECT_EQ(found, c.Found);
        if (!listed.empty()) {
            EXPECT_EQ(listed[0][1], "R/A");  // the largest total first
        }
        EXPECT_EQ(Host.ProgressMax, c.Groups == 0 ? 1 : static_cast<int>(c.Groups));
        EXPECT_EQ(U8(Host.LastStatus()), "Duplicate directory groups listed.");
    }
}

// Analysed directories in buckets of keys, with the sizes given (0 for the others).
TDirSignatures Signatures(const std::vector<std::vector<Text>>& buckets,
                          const std::map<Text, std::int64_t>& sizes) {
    TDirSignatures signatures;
    for (const std::vector<Text>& keys : buckets) {
        signatures.Buckets.emplace_back();
        for (const Text& key : keys) {
            signatures.Buckets.back().push_back(static_cast<std::uint32_t>(signatures.Dirs.size()));
            const auto size = sizes.find(key);
            signatures.Dirs.push_back(
                {.Key = key, .Size = size == sizes.end() ? 0 : size->second, .Analysed = true});
        }
    }
    return signatures;
}

TEST_F(DirGrouping, TotalsSaturateInsteadOfOverflowing) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const TDirSignatures signatures =
        Signatures({{u"/r/s1", u"/r/s2"}, {u"/r/h1", u"/r/h2"}},
                   {{u"/r/s1", 5}, {u"/r/s2", 5}, {u"/r/h1", max - 1}, {u"/r/h2", max / 2}});
    const std::vector<TDirGroupRec> groups = GroupDirectories(signatures, 2, Stop);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].Dirs, (std::vector<Text>{u"/r/h1", u"/r/h2"}));
    EXPECT_EQ(groups[0].TotalSize, max);
    EXPECT_EQ(groups[1].TotalSize, 10);
}

TEST_F(DirGrouping, AncestorRuleAndTies) {
    const TDirSignatures signatures = Signatures(
        {
            {u"/r/c", u"/r/a/b/c", u"/r/a", u"/r/a/b"},  // only the outer ones stay
            {u"/r/x", u"/r/x/y"},                        // one left: too small
            {u"/r/B", u"/r/a2"},                         // the same total as the next
            {u"/r/b2", u"/r/A1"},
        },
        {{u"/r/c", 7}, {u"/r/a", 7}, {u"/r/B", 1}, {u"/r/b2", 1}});
    const std::vector<TDirGroupRec> groups = GroupDirectories(signatures, 2, Stop);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Dirs, (std::vector<Text>{u"/r/a", u"/r/c"}));
    EXPECT_EQ(groups[0].Sizes, (std::vector<std::int64_t>{7, 7}));
    EXPECT_EQ(groups[0].TotalSize, 14);
    // Equal totals by their first directory in CompareText order: A1 before a2.
    EXPECT_EQ(groups[1].Dirs, (std::vector<Text>{u"/r/A1", u"/r/b2"}));
    EXPECT_EQ(groups[1].TotalSize, 1);  // a directory without a size counts 0
    EXPECT_EQ(groups[2].Dirs, (std::vector<Text>{u"/r/a2", u"/r/B"}));
}

// Folders that only look alike never form a group: each case builds a tree below S in which
// folders that would have shared a signature must stay apart, beside a pair that does group.
TEST_F(DirGrouping, NoFalseFolderClones) {
    struct {
        const char* Name;
        std::function<void(TTempTree&)> Build;
        Strings Vanish;  // removed when the analysis starts
        bool Denied;     // scanned where TTempTree::Deny shuts folders off
        std::vector<Strings> Groups;
    } cases[] = {
        {"an unreadable folder is not an empty one, nor like another unreadable one",
         [](TTempTree& t) {
             t.File("S/closed/inner/f", "data");
             t.File("S/closed2/g", "more data");
             t.Folder("S/empty1");
             t.Folder("S/empty2");
             t.Deny("S/closed");
             t.Deny("S/closed2");
         },
         {},
         true,
         {{"Group 1 (0.00 MB)", "S/empty1", "S/empty2"}}},
        {"folders that vanished are not alike",
         [](TTempTree& t) {
             t.File("S/A/B/f", "x");
             t.File("S/C/f", "y");
             t.File("S/K1/f", "k");
             t.File("S/K2/f", "k");
         },
         {"S/A", "S/C"},
         false,
         {{"Group 1 (0.00 MB)", "S/K1", "S/K2"}}},
#ifndef _WIN32
        {"in folders that cannot be searched no size is known",
         [](TTempTree& t) {
             t.SizedFile("S/big/data.bin", 300 * 1024);
             t.File("S/small/data.bin", "7 bytes");
             t.File("S/K1/f", "k");
             t.File("S/K2/f", "k");
             for (const char* rel : {"S/big", "S/small"})
                 ASSERT_EQ(::chmod(t.Path(rel).c_str(), 0444), 0);
         },
         {},
         true,
         {{"Group 1 (0.00 MB)", "S/K1", "S/K2"}}},
        {"names equal in all but letter case are two entries",
         [](TTempTree& t) {
             for (const char* dir : {"S/X", "S/Z"}) {
                 t.File(std::string(dir) + "/a.txt", "12345");
                 t.File(std::string(dir) + "/A.txt", "12345");
             }
             t.File("S/Y/a.txt", "12345");
         },
         {},
         false,
         {{"Group 1 (0.00 MB)", "S/X", "S/Z"}}},
        {"a folder of links is not the folder they lead to; copies with a link inside are",
         [](TTempTree& t) {
             t.SizedFile("S/P1/docs/f", 30);
             t.Link("S/P2/docs", "../P1/docs");
             t.SizedFile("S/P3/docs/f", 30);
             t.SizedFile("S/Q1/d/f", 10);
             t.Link("S/Q1/ln", "d");
             t.SizedFile("S/Q2/d/f", 10);
             t.Link("S/Q2/ln", "d");
         },
         {},
         false,
         {{"Group 1 (0.00 MB)", "S/P1", "S/P3"},
          {"Group 2 (0.00 MB)", "S/P1/docs", "S/P3/docs"},
          {"Group 3 (0.00 MB)", "S/Q1", "S/Q2"},
          {"Group 4 (0.00 MB)", "S/Q1/d", "S/Q2/d"}}},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempTree tree;
        c.Build(tree);
        const Text folder = tree.FolderText("S");
        // The groups go through a file: a body run as another user returns only a number.
        tree.Folder("out");
        ASSERT_EQ(::chmod(tree.Path("out").c_str(), 0777), 0);
        const std::string out = tree.Path("out/listed");
        const auto scan = [&] {
            TTestHost host;
            host.Settings.Folders = {folder};
            host.OnKeep = [&](TTestHost& h) {
                if (h.LastStatus().starts_with(u"Analyzing directories (0/"))
                    for (const std::string& rel : c.Vanish)
                        tree.Remove(rel);
            };
            TMemoryResultList files, dirs{{u"Group", u"Directory", u"Size"}};
            TStopToken stop;
            FindDirectoryDuplicates(host, stop, dirs);
            std::ofstream listed(out, std::ios::binary);
            listed << GroupsText(ListedIn(dirs, tree));
            return listed.good() ? 0 : 1;
        };
        ASSERT_EQ(c.Denied ? RunWhereDenied(scan) : scan(), 0);
        EXPECT_EQ(ReadWholeFile(out), GroupsText(c.Groups));
    }
}

#ifndef _WIN32
// A second path to a collected directory that is no link (a bind mount) is no content of
// the folder that holds it either: P2 only shows P1's docs.
TEST_F(DirGrouping, SecondPathToACollectedDirectoryIsNoContent) {
    Tree.SizedFile("S/P1/docs/f", 30);
    Tree.Folder("S/P2/docs");
    Tree.SizedFile("S/P3/docs/f", 30);
    SetFolders({"S"});
    const std::string source = Tree.Path("S/P1/docs"), target = Tree.Path("S/P2/docs");
    if (RunWithBindMount(source, target, [] { return 0; }) != 0)
        GTEST_SKIP() << "this system does not let a test mount a folder";
    const std::string out = Tree.Path("listed");
    const int result = RunWithBindMount(source, target, [&] {
        if (ReadWholeFile(target + "/f").size() != 30)
            return 2;  // the mount is not there
        FindDirectoryDuplicates(Host, Stop, Dirs);
        std::ofstream listed(out, std::ios::binary);
        listed << GroupsText(Listed());
        return listed.good() ? 0 : 1;
    });
    ASSERT_EQ(result, 0);
    EXPECT_EQ(ReadWholeFile(out), GroupsText({{"Group 1 (0.00 MB)", "S/P1", "S/P3"},
                                              {"Group 2 (0.00 MB)", "S/P1/docs", "S/P3/docs"}}));
}
#endif

TEST_F(DirGrouping, DirectoryNeverGroupedWithItself) {
    Tree.File("R/A/f", "12");
    Tree.File("R/B/f", "34");
#ifdef _WIN32
    // A second path to R/A: its name in other letters (wine makes no symbolic links).
    SetFolders({"R", "r/a"});
#else
    Tree.Link("R/L", "A");
    SetFolders({"R", "R/A"});
#endif
    FindDirectoryDuplicates(Host, Stop, Dirs);
    EXPECT_EQ(Listed(), (std::vector<Strings>{{"Group 1 (0.00 MB)", "R/A", "R/B"}}));
}

// Twelve pairs of equal directories, the pair g holding one file of g bytes.
class TwelveGroups : public DirGrouping {
protected:
    TwelveGroups() {
        for (int g = 1; g <= 12; ++g) {
            const std::string pair = "R/g" + std::to_string(g);
            Tree.SizedFile(pair + "/one/f", g);
            Tree.SizedFile(pair + "/two/f", g);
        }
        SetFolders({"R"});
    }

    std::vector<std::string> ListingStatuses() const {
        std::vector<std::string> texts;
        for (const Text& s : Host.StatusesStartingWith(u"Listing directory groups"))
            texts.push_back(U8(s));
        return texts;
    }
};

TEST_F(TwelveGroups, StatusEveryFifthGroup) {
    FindDirectoryDuplicates(Host, Stop, Dirs);
    ASSERT_EQ(Dirs.GroupCount(), 12);
    EXPECT_EQ(Listed()[0][1], "R/g12/one");
    EXPECT_EQ(Listed()[11][1], "R/g1/one");
    EXPECT_EQ(ListingStatuses(),
              (Strings{"Listing directory groups...", "Listing directory groups (5/12)...",
                       "Listing directory groups (10/12)..."}));
    EXPECT_EQ(U8(Host.LastStatus()), "Duplicate directory groups listed.");
    EXPECT_EQ(Host.ProgressMax, 12);
    EXPECT_EQ(Host.ProgressPosition, 0);
}

TEST_F(TwelveGroups, StopDuringGroupingListsNothing) {
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Grouping duplicate directories...")
            Stop.Request();
    };
    FindDirectoryDuplicates(Host, Stop, Dirs);
    EXPECT_EQ(Dirs.GroupCount(), 0);
    EXPECT_EQ(Dirs.ItemCount(), 0);
    EXPECT_EQ(U8(Host.LastStatus()), "Directory scan cancelled.");
    EXPECT_EQ(Host.ProgressPosition, 0);
    EXPECT_EQ(Dirs.UpdateDepth(), 0);
}

TEST_F(TwelveGroups, StopDuringListingKeepsWholeGroups) {
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Listing directory groups (5/12)...")
            Stop.Request();
    };
    FindDirectoryDuplicates(Host, Stop, Dirs);
    EXPECT_EQ(Dirs.GroupCount(), 5);
    EXPECT_EQ(Dirs.ItemCount(), 10);
    EXPECT_EQ(U8(Host.LastStatus()), "Directory scan cancelled.");
    EXPECT_EQ(Host.ProgressPosition, 0);
    EXPECT_EQ(Dirs.UpdateDepth(), 0);
    EXPECT_TRUE(Dirs.GroupView());
    EXPECT_TRUE(Dirs.Redraw());
}

// A list that fails on its third item, as an exhausted list would.
class TFailingList : public TMemoryResultList {
public:
    using TMemoryResultList::TMemoryResultList;
    void AddItem(TListItem item) override {
        if (ItemCount() == 2)
            throw std::runtime_error("list full");
        TMemoryResultList::AddItem(std::move(item));
    }
};

TEST_F(TwelveGroups, ErrorWhileListingEndsTheUpdatesAndPassesOn) {
    TFailingList failing{{u"Group", u"Directory", u"Size"}};
    EXPECT_THROW(FindDirectoryDuplicates(Host, Stop, failing), std::runtime_error);
    EXPECT_EQ(failing.ItemCount(), 2);  // what was listed stays
    EXPECT_EQ(failing.UpdateDepth(), 0);
    EXPECT_TRUE(failing.GroupView());
    EXPECT_TRUE(failing.Redraw());
    EXPECT_NE(U8(Host.LastStatus()), "Duplicate directory groups listed.");
}

TEST(AddDirGroup, RowsUncheckedWithTheirOwnSizes) {
    TMemoryResultList list{{u"Group", u"Directory", u"Size"}};
    int groupNo = 4;
    AddDirGroup(list, {u"/a", u"/b"}, {1572864, 0}, 3145728, groupNo);
    EXPECT_EQ(groupNo, 5);
    ASSERT_EQ(list.GroupCount(), 1);
    EXPECT_EQ(list.GroupAt(0).GroupId, 4);
    EXPECT_EQ(U8(list.GroupAt(0).Header), "Group 4 (3.00 MB)");
    ASSERT_EQ(list.ItemCount(), 2);
    ASSERT_TRUE(list.ItemAt(0).Texts && list.ItemAt(1).Texts);
    EXPECT_EQ(list.ItemAt(0).Texts->SubItems, (std::vector<Text>{u"/a", u"1.50 MB"}));
    EXPECT_EQ(list.ItemAt(1).Texts->SubItems, (std::vector<Text>{u"/b", u"0.00 MB"}));
    EXPECT_EQ(list.ItemAt(1).Texts->Caption, u"4");
    EXPECT_EQ(list.ItemAt(1).GroupId, 4);
    EXPECT_FALSE(list.ItemAt(0).Checked);
}

}  // namespace
