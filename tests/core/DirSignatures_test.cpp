#include <gtest/gtest.h>
#include <chrono>

#include <algorithm>
#include <stdexcept>

#include "core/DirGrouping.h"
#include "core/DirSignatures.h"
#include "core/DirectoryDuplicates.h"
#include "support/EngineTest.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

const std::string EmptySig = "da39a3ee5e6b4b0d3255bfef95601890afd80709";  // SHA-1 of nothing

// The signature of the directory with the key; empty when it was not analysed.
std::string SigIn(const TDirSignatures& sigs, const Text& key) {
    for (const auto& bucket : sigs.Buckets)
        for (const std::uint32_t index : bucket)
            if (sigs.Dirs[index].Key == key)
                return U8(Platform::DigestToHex(sigs.Dirs[index].Signature));
    return {};
}

class DirSignatures : public TEngineTest {
protected:
    TDirSignatures Result;

    void SetFolders(std::initializer_list<std::string_view> rels) {
        Host.Settings.Folders.clear();
        for (std::string_view rel : rels)
            Host.Settings.Folders.push_back(Tree.FolderText(rel));
    }

    bool Compute() {
        Result = TDirSignatures();
        return ComputeDirSignatures(Host, Stop, Result);
    }

    std::string Sig(std::string_view rel) const { return SigIn(Result, Tree.TextPath(rel)); }

    // The entry that makes the signature of an incomplete directory its own.
    std::string Mark(std::string_view rel) const {
        return "!INCOMPLETE!|" + U8(Tree.TextPath(rel));
    }

    std::int64_t Size(std::string_view rel) const {
        for (const TDirRecord& dir : Result.Dirs)
            if (dir.Key == Tree.TextPath(rel) && dir.Analysed)
                return dir.Size;
        throw std::out_of_range("not analysed: " + std::string(rel));
    }

    // Every analysed directory relative to the tree, sorted; each appears as often as it was
    // analysed.
    std::vector<std::string> Analysed() const {
        std::vector<std::string> rels;
        for (const auto& bucket : Result.Buckets)
            for (const std::uint32_t index : bucket)
                rels.push_back(
                    ForwardSlashes(U8(Result.Dirs[index].Key).substr(Tree.Root().size() + 1)));
        std::sort(rels.begin(), rels.end());
        return rels;
    }

    std::vector<std::string> Statuses(TextView prefix) const {
        std::vector<std::string> texts;
        for (const Text& s : Host.StatusesStartingWith(prefix))
            texts.push_back(U8(s));
        return texts;
    }
};

std::string SigOf(std::vector<std::string> entries) {
    std::vector<Text> texts;
    for (const std::string& e : entries)
        texts.push_back(T(e));
    return U8(Platform::DigestToHex(DirSignature(texts)));
}

using Strings = std::vector<std::string>;

TEST(DirSignatureText, SortedCaseInsensitivelyNoneDroppedWithCrLf) {
    struct {
        Strings Entries;
        std::string Text;
    } cases[] = {
        {{}, ""},
        {{"F|notes.txt|12", "F|a.bin|0", "D|sub|S|500"},
         "D|sub|S|500\r\nF|a.bin|0\r\nF|notes.txt|12\r\n"},
        // Equal ignoring case: both stay, by their code units whatever the listing's order.
        {{"F|b|1", "F|a|2", "F|A|2"}, "F|A|2\r\nF|a|2\r\nF|b|1\r\n"},
        {{"F|A|2", "F|b|1", "F|a|2"}, "F|A|2\r\nF|a|2\r\nF|b|1\r\n"},
        {{"F|x|1", "F|x|1"}, "F|x|1\r\nF|x|1\r\n"},  // equal texts both count
        {{"!FILES_ACCESS_ERROR!", "!DIRS_ACCESS_ERROR!"},
         "!DIRS_ACCESS_ERROR!\r\n!FILES_ACCESS_ERROR!\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        std::vector<Text> entries;
        for (const std::string& e : c.Entries)
            entries.push_back(T(e));
        EXPECT_EQ(U8(DirSignatureText(entries)), c.Text);
    }
    EXPECT_EQ(SigOf({}), EmptySig);
    EXPECT_EQ(SigOf({"F|\xc3\xa4.txt|1"}), "e62cc699b188f48e6a99ab018de3a2993d5326dd");  // UTF-8
}

TEST_F(DirSignatures, WorkedExample) {
    Tree.File("W/Notes.txt", "twelve bytes");
    Tree.File("W/a.bin", "");
    Tree.SizedFile("W/Sub/data.bin", 500);
    SetFolders({"W"});
    ASSERT_TRUE(Compute());
    const std::string s = "bc1c2ca2552f7e4996571f7e9c6b36faa5cf2755";  // of "F|data.bin|500" CR LF
    EXPECT_EQ(Sig("W/Sub"), s);
    EXPECT_EQ(Size("W/Sub"), 500);
    // "D|sub|S|500", "F|a.bin|0", "F|notes.txt|12", each with CR LF.
    EXPECT_EQ(Sig("W"), "98aaff883aeb68645558eec86314dcf7114865e4");
    EXPECT_EQ(Size("W"), 512);
    EXPECT_EQ(Sig("W"), SigOf({"D|sub|" + s + "|500", "F|a.bin|0", "F|notes.txt|12"}));
}

TEST_F(DirSignatures, LetterCaseOfNamesDoesNotCount) {
    Tree.File("R/X/A.txt", "0123456789");
    Tree.File("R/X/b.TXT", "01234567890123456789");
    Tree.File("R/Y/a.TXT", "abcdefghij");  // other contents, same sizes
    Tree.File("R/Y/B.txt", "abcdefghijabcdefghij");
    Tree.File("R/P/Sub/File.TXT", "x");
    Tree.File("R/Q/SUB/file.txt", "y");
    SetFolders({"R"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Sig("R/X"), Sig("R/Y"));
    EXPECT_EQ(Sig("R/P"), Sig("R/Q"));
    EXPECT_EQ(Sig("R/P/Sub"), Sig("R/Q/SUB"));
    EXPECT_NE(Sig("R/X"), Sig("R/P"));
}

// Two names that differ only in letter case cannot both exist where the file system ignores it.
#ifndef _WIN32
TEST_F(DirSignatures, NamesThatDifferOnlyInLetterCaseAreTwoEntries) {
    Tree.File("Z/readme.txt", "12345");
    Tree.File("Z/README.TXT", "54321");
    SetFolders({"Z"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Sig("Z"), SigOf({"F|readme.txt|5", "F|readme.txt|5"}));
    EXPECT_NE(Sig("Z"), SigOf({"F|readme.txt|5"}));
    EXPECT_EQ(Size("Z"), 10);
}
#endif

TEST_F(DirSignatures, RenamedFileDeepInsideChangesEverySignatureAbove) {
    for (const char* top : {"R/A", "R/B"}) {
        Tree.File(std::string(top) + "/x/y/z/f.txt", "same");
        Tree.File(std::string(top) + "/top.txt", "t");
    }
    SetFolders({"R"});
    ASSERT_TRUE(Compute());
    const Strings levels = {"", "/x", "/x/y", "/x/y/z"};
    for (const std::string& level : levels)
        EXPECT_EQ(Sig("R/A" + level), Sig("R/B" + level)) << level;
    const std::string before = Sig("R");

    Tree.Remove("R/B/x/y/z/f.txt");
    Tree.File("R/B/x/y/z/g.txt", "same");
    ASSERT_TRUE(Compute());
    for (const std::string& level : levels)
        EXPECT_NE(Sig("R/A" + level), Sig("R/B" + level)) << level;
    EXPECT_NE(Sig("R"), before);
    EXPECT_EQ(Size("R/B"), 5);
}

TEST_F(DirSignatures, EmptyDirectoriesShareTheSignatureOfNothing) {
    Tree.Folder("E/a");
    Tree.Folder("E/b/c");
    Tree.Folder("E/d");
    SetFolders({"E"});
    ASSERT_TRUE(Compute());
    for (const char* rel : {"E/a", "E/b/c", "E/d"}) {
        EXPECT_EQ(Sig(rel), EmptySig) << rel;
        EXPECT_EQ(Size(rel), 0) << rel;
    }
    EXPECT_EQ(Sig("E/b"), SigOf({"D|c|" + EmptySig + "|0"}));
}

TEST_F(DirSignatures, StatusAndProgressOf25Directories) {
    for (int i = 0; i < 24; ++i)
        Tree.Folder("T/d" + std::to_string(i));
    SetFolders({"T"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Statuses(u"Collecting directories: "),
              Strings{"Collecting directories: " + U8(Tree.FolderText("T"))});
    EXPECT_EQ(Statuses(u"Analyzing"),
              (Strings{"Analyzing directories (0/25)...", "Analyzing directories (10/25)...",
                       "Analyzing directories (20/25)...", "Analyzing directories (25/25)..."}));
    EXPECT_EQ(Host.ProgressMax, 25);
    EXPECT_EQ(Host.ProgressPosition, 25);
    // Marquee only around the collecting; messages at 0, 10, 20 and 25.
    const auto& e = Host.Events;
    EXPECT_EQ(std::count(e.begin(), e.end(), "marquee on"), 1);
    EXPECT_EQ(std::count(e.begin(), e.end(), "marquee off"), 1);
    EXPECT_EQ(std::count(e.begin(), e.end(), "keep"), 3 + 4);  // marquee on, off, after; analysis
}

TEST_F(DirSignatures, FoldersOfTheListThatDoNotExist) {
    Tree.Folder("there/sub");
    SetFolders({"missing", "there"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Analysed(), (Strings{"there", "there/sub"}));
    EXPECT_EQ(Statuses(u"Collecting").size(), 1u);  // no text for the missing folder

    // None exists: the list is emptied, nothing else happens.
    Dirs.AddGroup(1, u"old");
    TListItem old;
    old.GroupId = 1;
    Dirs.AddItem(old);
    Host.Statuses.clear();
    SetFolders({"missing"});
    FindDirectoryDuplicates(Host, Stop, Dirs);
    EXPECT_EQ(Dirs.ItemCount(), 0);
    EXPECT_EQ(Dirs.GroupCount(), 0);
    EXPECT_EQ(Dirs.UpdateDepth(), 0);
    EXPECT_TRUE(Host.Statuses.empty());
}

TEST_F(DirSignatures, DirectoryThatVanishesAfterCollectingGetsASignatureOfItsOwn) {
    Tree.File("R/A/B/f", "x");
    Tree.File("R/keep", "k");
    SetFolders({"R"});
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Analyzing directories (0/3)...")
            Tree.Remove("R/A");
    };
    ASSERT_TRUE(Compute());
    for (const char* rel : {"R/A/B", "R/A"}) {
        SCOPED_TRACE(rel);
        EXPECT_EQ(Sig(rel), SigOf({"!FILES_ACCESS_ERROR!", "!DIRS_ACCESS_ERROR!", Mark(rel)}));
        EXPECT_EQ(Size(rel), 0);
    }
    EXPECT_EQ(Sig("R"), SigOf({"F|keep|1"}));  // R itself is listed afresh, without A
}

TEST_F(DirSignatures, SubdirectoryCreatedAfterCollectingIsUnknown) {
    Tree.File("N/f.txt", "abc");
    SetFolders({"N"});
    Host.OnKeep = [&](TTestHost& h) {
        if (h.LastStatus() == u"Analyzing directories (0/1)...")
            Tree.File("N/new/g", "12345");
    };
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Analysed(), Strings{"N"});
    EXPECT_EQ(Sig("N"), SigOf({"D|new|!UNKNOWN_CHILD_SIG!|0", "F|f.txt|3", Mark("N")}));
    EXPECT_EQ(Size("N"), 3);
}

// An unreadable directory is not an empty one: it, and every directory above it, is marked
// with its own key.
TEST_F(DirSignatures, UnreadableDirectoryIsIncompleteUpToTheTop) {
    Tree.File("U/mid/closed/inner/f", "data");
    Tree.Folder("U/open");
    Tree.Deny("U/mid/closed");
    const std::string closed = SigOf({Mark("U/mid/closed")});
    const std::string mid = SigOf({"D|closed|" + closed + "|0", Mark("U/mid")});
    const std::vector<std::pair<Text, std::string>> expected = {
        {Tree.TextPath("U/mid/closed"), closed},
        {Tree.TextPath("U/mid"), mid},
        {Tree.TextPath("U"),
         SigOf({"D|mid|" + mid + "|0", "D|open|" + EmptySig + "|0", Mark("U")})},
        {Tree.TextPath("U/open"), EmptySig},
    };
    const Text folder = Tree.FolderText("U");
    const int wrong = RunWhereDenied([&] {
        TTestHost host;
        host.Settings.Folders = {folder};
        TStopToken stop;
        TDirSignatures sigs;
        if (!ComputeDirSignatures(host, stop, sigs))
            return -2;
        int wrong = 0;
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (SigIn(sigs, expected[i].first) != expected[i].second)
                wrong |= 1 << i;
        return wrong;
    });
    EXPECT_EQ(wrong, 0);  // a bit for each directory of the table whose signature differs
}

TEST_F(DirSignatures, OverlappingFoldersAnalyseEachDirectoryOnce) {
    Tree.File("R/A/x/f", "12345");
    Tree.File("R/zzzzzzzzzz/deep/own", "o");
    SetFolders({"R", "R/A", "R/A/x"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Analysed(), (Strings{"R", "R/A", "R/A/x", "R/zzzzzzzzzz", "R/zzzzzzzzzz/deep"}));
    EXPECT_EQ(Statuses(u"Analyzing").front(), "Analyzing directories (0/5)...");
    EXPECT_EQ(Statuses(u"Collecting").size(), 3u);
    EXPECT_EQ(Sig("R"),
              SigOf({"D|a|" + Sig("R/A") + "|5", "D|zzzzzzzzzz|" + Sig("R/zzzzzzzzzz") + "|1"}));
    EXPECT_EQ(Size("R"), 6);
}

// Windows makes symbolic links only with a privilege that wine does not emulate.
#ifndef _WIN32
TEST_F(DirSignatures, LinksAnalyseEachDirectoryOnce) {
    Tree.File("R/A/x/f", "12345");
    Tree.Link("R/L", "A");                    // another path to R/A
    Tree.Link("R/A/x/up", Tree.Path("R/A"));  // leads back up the walk
    Tree.File("R/zzzzzzzzzz/deep/own", "o");  // longer than R/A, holds a link to it
    Tree.Link("R/zzzzzzzzzz/deep/to-a", "../../A");
    SetFolders({"R", "R/A", "R/A/x"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Analysed(), (Strings{"R", "R/A", "R/A/x", "R/zzzzzzzzzz", "R/zzzzzzzzzz/deep"}));

    // A link enters as a link entry, never with the content it leads to: by the path from
    // the folder that holds it where its directory lies below that folder, else by the key.
    const std::string a = U8(Tree.TextPath("R/A"));
    EXPECT_EQ(Sig("R/A/x"), SigOf({"F|f|5", "L|up|" + a}));
    EXPECT_EQ(Sig("R/zzzzzzzzzz/deep"), SigOf({"F|own|1", "L|to-a|" + a}));
    EXPECT_EQ(Sig("R"), SigOf({"D|a|" + Sig("R/A") + "|5", "L|l|A",
                               "D|zzzzzzzzzz|" + Sig("R/zzzzzzzzzz") + "|1"}));
    EXPECT_EQ(Size("R"), 6);  // what links lead to is not counted again
}

TEST_F(DirSignatures, KernelFileSystemsAreNotCollected) {
    if (!Platform::DirectoryExists(u"/proc/self/"))
        GTEST_SKIP() << "no /proc on this system";
    Tree.File("R/A/f", "1");
    Tree.File("R/B/f", "1");
    Tree.Link("R/B/proc", "/proc");  // endless through its links, and changing while read
    SetFolders({"R"});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Compute());
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              20.0);
    EXPECT_EQ(Analysed(), (Strings{"R", "R/A", "R/B"}));
    // What holds it is not known whole, so it is never the clone of R/A.
    EXPECT_NE(Sig("R/B"), Sig("R/A"));
}
#endif

TEST_F(DirSignatures, InnerFolderOfTheListFirstThenItsParent) {
    Tree.File("P/in/f", "ab");
    SetFolders({"P/in", "P"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Analysed(), (Strings{"P", "P/in"}));
    EXPECT_EQ(Sig("P"), SigOf({"D|in|" + Sig("P/in") + "|2"}));
}

#ifndef _WIN32  // symbolic links, as above
TEST_F(DirSignatures, LinkCycleEnds) {
    Tree.File("C/x/f", "1");
    Tree.Link("C/x/loop", "..");
    Tree.Link("C/self", ".");
    SetFolders({"C"});
    ASSERT_TRUE(Compute());
    EXPECT_EQ(Analysed(), (Strings{"C", "C/x"}));
    const std::string c = U8(Tree.TextPath("C"));
    EXPECT_EQ(Sig("C/x"), SigOf({"F|f|1", "L|loop|" + c}));
    EXPECT_EQ(Sig("C"), SigOf({"D|x|" + Sig("C/x") + "|1", "L|self|" + c}));
    EXPECT_EQ(Size("C"), 1);
}
#endif

TEST_F(DirSignatures, StopDuringCollecting) {
    Tree.Folder("a/1");
    Tree.Folder("b/2");
    SetFolders({"a", "b"});
    Host.OnKeep = [&](TTestHost& h) {
        if (h.Marquee)
            Stop.Request();  // while the first folder is listed
    };
    FindDirectoryDuplicates(Host, Stop, Dirs);
    EXPECT_EQ(Statuses(u"Collecting").size(), 1u);
    EXPECT_EQ(U8(Host.LastStatus()), "Collecting directories: " + U8(Tree.FolderText("a")));
    EXPECT_TRUE(Statuses(u"Analyzing").empty());
    EXPECT_EQ(Dirs.ItemCount(), 0);
    EXPECT_EQ(Dirs.UpdateDepth(), 0);
}

TEST_F(DirSignatures, StopDuringAndAfterAnalysing) {
    for (int i = 0; i < 24; ++i)
        Tree.Folder("T/d" + std::to_string(i));
    SetFolders({"T"});
    struct {
        const char16_t* StopAt;
        int Position;
    } cases[] = {{u"Analyzing directories (10/25)...", 10},
                 {u"Analyzing directories (25/25)...", 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.StopAt));
        Stop.Reset();
        Host.Statuses.clear();
        Host.OnKeep = [&](TTestHost& h) {
            if (h.LastStatus() == c.StopAt)
                Stop.Request();
        };
        EXPECT_FALSE(Compute());
        EXPECT_EQ(Result.AnalysedCount, static_cast<std::size_t>(c.Position));

        Stop.Reset();
        Host.Statuses.clear();
        FindDirectoryDuplicates(Host, Stop, Dirs);
        // The status and the bar keep what the analysis showed.
        EXPECT_EQ(Host.LastStatus(), c.StopAt);
        EXPECT_EQ(Host.ProgressPosition, c.Position);
        EXPECT_EQ(Dirs.ItemCount(), 0);
        EXPECT_EQ(Dirs.UpdateDepth(), 0);
    }
}

}  // namespace
