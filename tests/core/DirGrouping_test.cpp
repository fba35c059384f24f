#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "core/DirectoryClones.h"
#include "core/ScanEngine.h"
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

class DirGrouping : public TEngineTest {
protected:
    void SetFolders(std::initializer_list<std::string_view> rels) {
        Host.Settings.Folders.clear();
        for (std::string_view rel : rels)
            Host.Settings.Folders.push_back(Tree.FolderText(rel));
    }

    std::string Rel(const Text& path) const {
        return ForwardSlashes(U8(path).substr(Tree.Root().size() + 1));
    }

    // Each listed group as its header followed by its rows' directories, relative to the tree.
    std::vector<Strings> Listed() const {
        std::vector<Strings> groups;
        for (int g = 0; g < Dirs.GroupCount(); ++g) {
            Strings group{U8(Dirs.GroupAt(g).Header)};
            for (int i = 0; i < Dirs.ItemCount(); ++i)
                if (Dirs.ItemAt(i).GroupId == Dirs.GroupAt(g).GroupId)
                    group.push_back(Rel(Dirs.ItemAt(i).SubItems.at(0)));
            groups.push_back(group);
        }
        return groups;
    }

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
    FindDirectoryDuplicates(Engine);
    EXPECT_EQ(Listed(), (std::vector<Strings>{{"Group 1 (0.00 MB)", "R/A", "R/b", "R/C"},
                                              {"Group 2 (0.00 MB)", "R/A/S", "R/b/S", "R/C/S"}}));
    ASSERT_EQ(Dirs.ItemCount(), 6);
    for (int i = 0; i < Dirs.ItemCount(); ++i) {
        const TListItem& item = Dirs.ItemAt(i);
        SCOPED_TRACE(i);
        const int group = i < 3 ? 1 : 2;
        EXPECT_EQ(item.GroupId, group);
        EXPECT_EQ(item.Caption, Platform::IntToText(group));
        ASSERT_EQ(item.SubItems.size(), 2u);
        EXPECT_EQ(item.SubItems[1], u"0.00 MB");
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
    ASSERT_TRUE(ComputeDirSignatures(Engine, signatures));
    const std::vector<TDirGroupRec> groups = GroupDirectories(Engine, signatures, 2);
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
    } cases[] = {{4, 0, 0}, {3, 0, 2}, {1, 0, 2}, {0, 0, 2}, {2, 1, 1}, {2, -1, 2}, {2, 5, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.MinGroupSize << " " << c.MaxGroups);
        Host.Settings.MinGroupSize = c.MinGroupSize;
        Host.Settings.MaxGroups = c.MaxGroups;
        FindDirectoryDuplicates(Engine);
        const auto listed = Listed();
        ASSERT_EQ(listed.size(), c.Groups);
        if (!listed.empty()) {
            EXPECT_EQ(listed[0][1], "R/A");  // the largest total first
        }
        EXPECT_EQ(Host.ProgressMax, c.Groups == 0 ? 1 : static_cast<int>(c.Groups));
        EXPECT_EQ(U8(Host.LastStatus()), "Duplicate directory groups listed.");
    }
}

TEST_F(DirGrouping, TotalsSaturateInsteadOfOverflowing) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    TDirSignatures signatures;
    signatures.Buckets = {{u"/r/s1", u"/r/s2"}, {u"/r/h1", u"/r/h2"}};
    signatures.Sizes = {{u"/r/s1", 5}, {u"/r/s2", 5}, {u"/r/h1", max - 1}, {u"/r/h2", max / 2}};
    const std::vector<TDirGroupRec> groups = GroupDirectories(Engine, signatures, 2);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].Dirs, (std::vector<Text>{u"/r/h1", u"/r/h2"}));
    EXPECT_EQ(groups[0].TotalSize, max);
    EXPECT_EQ(groups[1].TotalSize, 10);
}

TEST_F(DirGrouping, AncestorRuleAndTies) {
    TDirSignatures signatures;
    signatures.Buckets = {
        {u"/r/c", u"/r/a/b/c", u"/r/a", u"/r/a/b"},  // only the outer ones stay
        {u"/r/x", u"/r/x/y"},                        // one left: too small
        {u"/r/B", u"/r/a2"},                         // the same total as the next
        {u"/r/b2", u"/r/A1"},
    };
    signatures.Sizes = {{u"/r/c", 7}, {u"/r/a", 7}, {u"/r/B", 1}, {u"/r/b2", 1}};
    const std::vector<TDirGroupRec> groups = GroupDirectories(Engine, signatures, 2);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Dirs, (std::vector<Text>{u"/r/a", u"/r/c"}));
    EXPECT_EQ(groups[0].TotalSize, 14);
    // Equal totals by their first directory in CompareText order: A1 before a2.
    EXPECT_EQ(groups[1].Dirs, (std::vector<Text>{u"/r/A1", u"/r/b2"}));
    EXPECT_EQ(groups[1].TotalSize, 1);  // a directory without a size counts 0
    EXPECT_EQ(groups[2].Dirs, (std::vector<Text>{u"/r/a2", u"/r/B"}));
}

TEST_F(DirGrouping, VanishedDirectoriesGroupWithoutTheirInnerOnes) {
    Tree.File("R/A/B/f", "x");
    Tree.File("R/C/D/f", "y");
    Tree.File("R/E/F/f", "z");
    SetFolders({"R"});
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Analyzing directories (0/7)...") {
            Tree.Remove("R/A");
            Tree.Remove("R/C");
            Tree.Remove("R/E/F");
        }
    };
    FindDirectoryDuplicates(Engine);
    // A, A/B, C, C/D and E/F share the error signature; E/F stays as E is not in the group.
    EXPECT_EQ(Listed(), (std::vector<Strings>{{"Group 1 (0.00 MB)", "R/A", "R/C", "R/E/F"}}));

    // A and A/B alone: A/B is left out, and the group is too small.
    Tree.File("R/A/B/f", "x");
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Analyzing directories (0/4)...")
            Tree.Remove("R/A");
    };
    FindDirectoryDuplicates(Engine);
    EXPECT_EQ(Dirs.GroupCount(), 0);
}

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
    FindDirectoryDuplicates(Engine);
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
    FindDirectoryDuplicates(Engine);
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
            Engine.FStopRequested = true;
    };
    FindDirectoryDuplicates(Engine);
    EXPECT_EQ(Dirs.GroupCount(), 0);
    EXPECT_EQ(Dirs.ItemCount(), 0);
    EXPECT_EQ(U8(Host.LastStatus()), "Directory scan cancelled.");
    EXPECT_EQ(Host.ProgressPosition, 0);
    EXPECT_EQ(Dirs.UpdateDepth(), 0);
}

TEST_F(TwelveGroups, StopDuringListingKeepsWholeGroups) {
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Listing directory groups (5/12)...")
            Engine.FStopRequested = true;
    };
    FindDirectoryDuplicates(Engine);
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
    TScanEngine engine{Host, Files, failing};
    EXPECT_THROW(FindDirectoryDuplicates(engine), std::runtime_error);
    EXPECT_EQ(failing.ItemCount(), 2);  // what was listed stays
    EXPECT_EQ(failing.UpdateDepth(), 0);
    EXPECT_TRUE(failing.GroupView());
    EXPECT_TRUE(failing.Redraw());
    EXPECT_NE(U8(Host.LastStatus()), "Duplicate directory groups listed.");
}

TEST(AddDirGroup, RowsUncheckedWithTheirOwnSizes) {
    TMemoryResultList list{{u"Group", u"Directory", u"Size"}};
    const TDirSizes sizes = {{u"/a", 1572864}};
    int groupNo = 4;
    AddDirGroup(list, {u"/a", u"/b"}, sizes, 3145728, groupNo);
    EXPECT_EQ(groupNo, 5);
    ASSERT_EQ(list.GroupCount(), 1);
    EXPECT_EQ(list.GroupAt(0).GroupId, 4);
    EXPECT_EQ(U8(list.GroupAt(0).Header), "Group 4 (3.00 MB)");
    ASSERT_EQ(list.ItemCount(), 2);
    EXPECT_EQ(list.ItemAt(0).SubItems, (std::vector<Text>{u"/a", u"1.50 MB"}));
    EXPECT_EQ(list.ItemAt(1).SubItems, (std::vector<Text>{u"/b", u"0.00 MB"}));  // no size: 0
    EXPECT_EQ(list.ItemAt(1).Caption, u"4");
    EXPECT_EQ(list.ItemAt(1).GroupId, 4);
    EXPECT_FALSE(list.ItemAt(0).Checked);
}

}  // namespace
