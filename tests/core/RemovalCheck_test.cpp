#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ContentCompare.h"
#include "core/FileInfo.h"
#include "core/RemovalCheck.h"
#include "core/ResultList.h"
#include "platform/PathProbe.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using R = TRemovalReason;

const char* Name(R reason) {
    switch (reason) {
        case R::rrVerified:
            return "verified";
        case R::rrNotChecked:
            return "not checked";
        case R::rrAllChecked:
            return "all checked";
        case R::rrKeptCopyGone:
            return "kept copy gone or differs";
        case R::rrChangedSinceScan:
            return "changed since the scan";
        case R::rrContentsDiffer:
            return "contents differ";
        case R::rrKeptCopyOverlaps:
            return "kept copy overlaps";
        case R::rrUnreadable:
            return "unreadable";
        case R::rrReferenceFolder:
            return "in a reference folder";
    }
    return "?";
}

std::string Names(const std::vector<R>& reasons) {
    std::string text;
    for (R r : reasons)
        text += std::string(text.empty() ? "" : ", ") + Name(r);
    return text;
}

// A result list built as a scan would list it, over a tree of the test's own: File Clones
// rows refer to records made from the disk, Folder Clones rows hold the path.
struct TScene {
    TTempTree Tree;
    TTestHost Host;
    TMemoryResultList List{{u"Group", u"Directory", u"Size"}};
    TFileList Records;
    TStopToken Stop;

    void FileRow(int group, const std::string& rel, bool checked) {
        Records.Add(Tree.TextPath(rel));
        List.AddItem({Platform::IntToText(group), {}, group, checked, Records.back()});
    }
    void DirRow(int group, const std::string& rel, bool checked) {
        List.AddItem({Platform::IntToText(group), {Tree.TextPath(rel)}, group, checked});
    }
    std::vector<R> Check(TItemPath source, TCompareMode mode = cmContent) {
        TRemovalCheck check(List, source, mode);
        EXPECT_TRUE(check.Run(Host, Stop));
        std::vector<R> reasons;
        for (const TCheckedItem& item : check.Items())
            reasons.push_back(item.Reason);
        return reasons;
    }
};

// Each case: the tree and rows as the scan left them, what happened on the disk after the
// scan, and the reason found for each checked row in list order.
struct TCase {
    const char* Name;
    std::function<void(TScene&)> Scan;
    std::function<void(TScene&)> Later;
    std::vector<R> Expected;
    TCompareMode Mode = cmContent;
    bool PosixOnly = false;  // symbolic links, or two names one file system cannot tell apart
};

void RunCases(const std::vector<TCase>& cases, TItemPath source) {
    for (const TCase& c : cases) {
#ifdef _WIN32
        if (c.PosixOnly)
            continue;
#endif
        SCOPED_TRACE(c.Name);
        TScene scene;
        c.Scan(scene);
        if (c.Later)
            c.Later(scene);
        EXPECT_EQ(Names(scene.Check(source, c.Mode)), Names(c.Expected));
    }
}

// Group 1: a/x (kept), b/x, c/x (checked), all "hello".
void ThreeCopies(TScene& s) {
    for (const char* rel : {"a/x", "b/x", "c/x"})
        s.Tree.File(rel, "hello");
    s.FileRow(1, "a/x", false);
    s.FileRow(1, "b/x", true);
    s.FileRow(1, "c/x", true);
}

TEST(RemovalCheck, FilesAreVerifiedByTheirBytesAsTheDiskHoldsThemNow) {
    const std::vector<TCase> cases = {
        {"copies of the kept file", ThreeCopies, nullptr, {R::rrVerified, R::rrVerified}},
        {"every row of the group checked",
         [](TScene& s) {
             ThreeCopies(s);
             s.List.SetChecked(0, true);
         },
         nullptr,
         {R::rrAllChecked, R::rrAllChecked, R::rrAllChecked}},
        {"a checked row in no group",
         [](TScene& s) {
             s.Tree.File("x", "hello");
             s.FileRow(-1, "x", true);
         },
         nullptr,
         {R::rrAllChecked}},
        {"the kept copy overwritten after the scan, same size",
         ThreeCopies,
         [](TScene& s) { s.Tree.File("a/x", "HELLO"); },
         {R::rrKeptCopyGone, R::rrKeptCopyGone}},
        {"the kept copy removed after the scan",
         ThreeCopies,
         [](TScene& s) { s.Tree.Remove("a/x"); },
         {R::rrKeptCopyGone, R::rrKeptCopyGone}},
        {"the kept copy replaced by a link to a checked one",
         ThreeCopies,
         [](TScene& s) {
             s.Tree.Remove("a/x");
             s.Tree.Link("a/x", s.Tree.Path("b/x"));
         },
         {R::rrKeptCopyGone, R::rrKeptCopyGone},
         cmContent,
         true},
        {"the kept copy replaced by a hard link to a checked one",
         ThreeCopies,
         [](TScene& s) {
             s.Tree.Remove("a/x");
             s.Tree.HardLink("a/x", "b/x");
         },
         {R::rrKeptCopyGone, R::rrVerified}},
        {"a checked file that grew, vanished, or was replaced by a link",
         ThreeCopies,
         [](TScene& s) {
             s.Tree.File("b/x", "hello, world");
             s.Tree.Remove("c/x");
             s.Tree.Link("c/x", s.Tree.Path("a/x"));
         },
         {R::rrChangedSinceScan, R::rrChangedSinceScan},
         cmContent,
         true},
        {"a checked file replaced by another one of the same bytes",
         ThreeCopies,
         [](TScene& s) {
             // Made before the old one goes, so that it cannot get the old one's number.
             s.Tree.File("b/x.new", "hello");
             fs::rename(s.Tree.Path("b/x.new"), s.Tree.Path("b/x"));
         },
         {R::rrChangedSinceScan, R::rrVerified}},
        {"an equal digest is no proof: bytes that differ are found",
         [](TScene& s) {
             s.Tree.File("a/x", "hello");
             s.Tree.File("b/x", "jello");
             s.FileRow(1, "a/x", false);
             s.FileRow(1, "b/x", true);
             Platform::TSha1Digest same{};
             for (TFileInfo* record : s.Records)
                 record->SetContentHash(same);
         },
         nullptr,
         {R::rrKeptCopyGone}},
        {"a second kept copy serves when the first differs",
         [](TScene& s) {
             s.Tree.File("a/x", "hello");
             s.Tree.File("b/x", "hello");
             s.Tree.File("c/x", "hello");
             s.FileRow(1, "a/x", false);
             s.FileRow(1, "b/x", false);
             s.FileRow(1, "c/x", true);
         },
         [](TScene& s) { s.Tree.File("a/x", "world"); },
         {R::rrVerified}},
        {"large files differing in their last byte only",
         [](TScene& s) {
             const std::string big(700 * 1024, 'z');
             s.Tree.File("a/big", big);
             s.Tree.File("b/big", big);
             s.Tree.File("c/big", big.substr(1) + "y");
             s.FileRow(1, "a/big", false);
             s.FileRow(1, "b/big", true);
             s.FileRow(1, "c/big", true);
         },
         nullptr,
         {R::rrVerified, R::rrKeptCopyGone}},
    };
    RunCases(cases, TItemPath::ipFileRecord);
}

TEST(RemovalCheck, GroupsFoundByNameOrSizeAreComparedAsWell) {
    auto nameAndSize = [](TScene& s) {
        s.Tree.File("a/report.txt", "first draft");
        s.Tree.File("b/report.txt", "final draft");  // same name and size, other bytes
        s.Tree.File("c/report.txt", "first draft");
        s.FileRow(1, "a/report.txt", false);
        s.FileRow(1, "b/report.txt", true);
        s.FileRow(1, "c/report.txt", true);
    };
    const std::vector<TCase> cases = {
        {"name mode", nameAndSize, nullptr, {R::rrContentsDiffer, R::rrVerified}, cmName},
        {"size mode", nameAndSize, nullptr, {R::rrContentsDiffer, R::rrVerified}, cmSize},
        {"name and size mode",
         nameAndSize,
         nullptr,
         {R::rrContentsDiffer, R::rrVerified},
         cmNameSize},
        {"name mode, other sizes",
         [](TScene& s) {
             s.Tree.File("a/notes", "short");
             s.Tree.File("b/notes", "a good deal longer");
             s.FileRow(1, "a/notes", false);
             s.FileRow(1, "b/notes", true);
         },
         nullptr,
         {R::rrContentsDiffer},
         cmName},
    };
    RunCases(cases, TItemPath::ipFileRecord);
}

// Group 1: p (kept) and q, each with f.txt, sub/g.txt and (POSIX) a link to "f.txt";
// group 2: p/sub (kept) and q/sub, checked unless told otherwise.
void TwoTrees(TScene& s, bool checkSub = true) {
    for (const char* root : {"p", "q"}) {
        const std::string r = root;
        s.Tree.File(r + "/f.txt", "one");
        s.Tree.File(r + "/sub/g.txt", "two");
#ifndef _WIN32
        s.Tree.Link(r + "/to-f", "f.txt");
#endif
    }
    s.DirRow(1, "p", false);
    s.DirRow(1, "q", true);
    s.DirRow(2, "p/sub", false);
    s.DirRow(2, "q/sub", checkSub);
}

TEST(RemovalCheck, FoldersAreVerifiedByTheirTreesLinksNotFollowed) {
    const std::vector<TCase> cases = {
        {"equal trees", [](TScene& s) { TwoTrees(s); }, nullptr, {R::rrVerified, R::rrVerified}},
        {"a file of other bytes, same size",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) { s.Tree.File("q/sub/g.txt", "TWO"); },
         {R::rrContentsDiffer, R::rrContentsDiffer}},
        {"a file more",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) { s.Tree.File("q/extra", ""); },
         {R::rrContentsDiffer, R::rrVerified}},
        {"an empty folder more",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) { s.Tree.Folder("q/sub/empty"); },
         {R::rrContentsDiffer, R::rrContentsDiffer}},
        {"a link to another target",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) {
             s.Tree.Remove("q/to-f");
             s.Tree.Link("q/to-f", "sub/g.txt");
         },
         {R::rrContentsDiffer, R::rrVerified},
         cmContent,
         true},
        {"a link where the kept tree has a file",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) {
             s.Tree.Remove("p/f.txt");
             s.Tree.Link("p/f.txt", s.Tree.Path("q/f.txt"));
         },
         {R::rrContentsDiffer, R::rrVerified},
         cmContent,
         true},
        {"the kept subfolder replaced by a link to the checked one",
         [](TScene& s) { TwoTrees(s, false); },
         [](TScene& s) {
             s.Tree.Remove("p/sub");
             s.Tree.Link("p/sub", s.Tree.Path("q/sub"));
         },
         {R::rrContentsDiffer},
         cmContent,
         true},
        {"two names that differ in letter case against one",
         [](TScene& s) {
             s.Tree.File("m/a.txt", "1");
             s.Tree.File("n/a.txt", "1");
             s.DirRow(1, "m", false);
             s.DirRow(1, "n", true);
         },
         [](TScene& s) { s.Tree.File("n/A.txt", "1"); },
         {R::rrContentsDiffer},
         cmContent,
         true},
        {"the kept folder gone",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) { s.Tree.Remove("p"); },
         {R::rrKeptCopyGone, R::rrKeptCopyGone}},
        {"the checked folder gone",
         [](TScene& s) { TwoTrees(s); },
         [](TScene& s) { s.Tree.Remove("q"); },
         {R::rrChangedSinceScan, R::rrChangedSinceScan}},
        {"every folder checked",
         [](TScene& s) {
             TwoTrees(s);
             s.List.SetChecked(0, true);
             s.List.SetChecked(2, true);
         },
         nullptr,
         {R::rrAllChecked, R::rrAllChecked, R::rrAllChecked, R::rrAllChecked}},
    };
    RunCases(cases, TItemPath::ipFirstSubItem);
}

// The removal of one item must not take the kept copy of another with it.
TEST(RemovalCheck, AKeptFolderNeitherLiesInsideNorHoldsACheckedOne) {
    const std::vector<TCase> cases = {
        {"q/sub kept, p/sub and q checked",
         [](TScene& s) {
             TwoTrees(s, false);
             s.List.SetChecked(2, true);
         },
         nullptr,
         // q's kept copy p holds the checked p/sub; p/sub's kept copy lies inside q.
         {R::rrKeptCopyOverlaps, R::rrKeptCopyOverlaps}},
        {"a kept folder reached through a link into a checked one",
         [](TScene& s) {
             for (const char* rel : {"q/sub/g.txt", "r/sub/g.txt", "t/sub/g.txt"})
                 s.Tree.File(rel, "two");
             s.Tree.Link("via", s.Tree.Path("q"));
             s.DirRow(1, "via/sub", false);  // q/sub by another path
             s.DirRow(1, "r/sub", true);
             s.DirRow(2, "q", true);
             s.DirRow(2, "t", false);
         },
         nullptr,
         {R::rrKeptCopyOverlaps, R::rrVerified},
         cmContent,
         true},
        {"a folder inside a verified folder goes with it",
         [](TScene& s) {
             for (const char* root : {"p", "q", "z"})
                 s.Tree.File(std::string(root) + "/sub/g.txt", "two");
             s.Tree.File("z/sub/more", "");
             s.DirRow(1, "p", false);
             s.DirRow(1, "q", true);
             s.DirRow(2, "z/sub", false);  // differs now, but p/sub holds q/sub's content
             s.DirRow(2, "q/sub", true);
         },
         nullptr,
         {R::rrVerified, R::rrVerified}},
    };
    RunCases(cases, TItemPath::ipFirstSubItem);
}

TEST(RemovalCheck, WhatCannotBeReadIsNeverVerified) {
    TScene s;
    TwoTrees(s);
    s.Tree.Deny("q/sub");
    std::vector<int> reasons;
    EXPECT_EQ(RunWhereDenied([&] {
                  const std::vector<R> found = s.Check(TItemPath::ipFirstSubItem);
                  return static_cast<int>(found.at(0)) * 16 + static_cast<int>(found.at(1));
              }),
              static_cast<int>(R::rrUnreadable) * 16 + static_cast<int>(R::rrUnreadable));

    TScene files;
    ThreeCopies(files);
    files.Tree.Deny("b/x");
    EXPECT_EQ(RunWhereDenied(
                  [&] { return static_cast<int>(files.Check(TItemPath::ipFileRecord).at(0)); }),
              static_cast<int>(R::rrUnreadable));
#ifndef _WIN32
    TScene pipes;
    TwoTrees(pipes, false);
    for (const char* rel : {"p/pipe", "q/pipe"})
        ASSERT_EQ(::mkfifo(pipes.Tree.Path(rel).c_str(), 0644), 0);
    EXPECT_EQ(Names(pipes.Check(TItemPath::ipFirstSubItem)), Names({R::rrUnreadable}));
#endif
}

TEST(RemovalCheck, ShowsProgressAndStopsWithNothingDecided) {
    TScene s;
    s.Tree.File("keep", "same");
    s.FileRow(1, "keep", false);
    for (int i = 0; i < 25; ++i) {
        const std::string rel = "copy" + std::to_string(i);
        s.Tree.File(rel, "same");
        s.FileRow(1, rel, true);
    }
    {
        TRemovalCheck check(s.List, TItemPath::ipFileRecord, cmContent);
        ASSERT_TRUE(check.Run(s.Host, s.Stop));
        EXPECT_EQ(check.VerifiedCount(), 25u);
        EXPECT_EQ(s.Host.StatusesStartingWith(u"Checking"),
                  (std::vector<Text>{u"Checking items before removal (0/25)...",
                                     u"Checking items before removal (10/25)...",
                                     u"Checking items before removal (20/25)...",
                                     u"Checking items before removal (25/25)..."}));
        EXPECT_EQ(s.Host.LastStatus(), u"Verified: 25 of 25 checked items.");
        EXPECT_EQ(s.Host.ProgressMax, 25);
        EXPECT_EQ(s.Host.ProgressPosition, 25);
    }
    // Stop pressed while the window handles messages after the tenth item.
    s.Host.OnKeep = [&](TTestHost& host) {
        if (host.LastStatus() == u"Checking items before removal (10/25)...")
            s.Stop.Request();
    };
    TRemovalCheck check(s.List, TItemPath::ipFileRecord, cmContent);
    EXPECT_FALSE(check.Run(s.Host, s.Stop));
    EXPECT_EQ(check.VerifiedCount(), 10u);
    EXPECT_EQ(check.Items()[10].Reason, R::rrNotChecked);
}

TEST(RemovalCheck, LongComparisonsKeepTheWindowAliveAndSeeStop) {
    TTempTree tree;
    const std::string big(1024 * 1024 + 5, 'q');
    tree.File("a", big);
    tree.File("b", big);
    tree.File("d1/a", big);
    tree.File("d2/a", big);
    TTestHost host;
    TStopToken stop;
    {
        TPacer everyTime(host, stop, std::chrono::milliseconds(0));
        EXPECT_EQ(CompareFileBytes(tree.TextPath("a"), tree.TextPath("b"), everyTime),
                  TSameness::snSame);
        EXPECT_GE(host.KeepCalls, 4);  // once per block inside one file
        EXPECT_EQ(CompareTrees(tree.TextPath("d1"), tree.TextPath("d2"), everyTime),
                  TSameness::snSame);
    }
    host.OnKeep = [&](TTestHost&) { stop.Request(); };
    TPacer stopping(host, stop, std::chrono::milliseconds(0));
    EXPECT_EQ(CompareFileBytes(tree.TextPath("a"), tree.TextPath("b"), stopping),
              TSameness::snStopped);
    stop.Reset();
    EXPECT_EQ(CompareTrees(tree.TextPath("d1"), tree.TextPath("d2"), stopping),
              TSameness::snStopped);
}

// A trash for the tests: moves each path into the tree's "trash" folder, except those it is
// told to refuse, and answers as a real trash would.
struct TFakeTrash {
    TTempTree& Tree;
    std::vector<Text> Refuse = {};
    std::vector<std::vector<Text>> Requests = {};
    bool operator()(const std::vector<Text>& paths) {
        Requests.push_back(paths);
        fs::create_directories(Tree.Path("trash"));
        bool all = true;
        int n = 0;
        for (const Text& path : paths) {
            if (std::find(Refuse.begin(), Refuse.end(), path) != Refuse.end()) {
                all = false;
                continue;
            }
            fs::rename(Platform::TextToUtf8(path), Tree.Path("trash/" + std::to_string(n++)));
        }
        return all;
    }
};

TEST(RemovalCheck, RemovesWhatWasChosenAndAsksTheDiskWhatWent) {
    using O = TItemOutcome;
    struct TRemovalCase {
        const char* Name;
        bool All;
        std::vector<std::string> Refuse;
        std::vector<O> Outcomes;
        std::vector<std::string> Stayed;  // of b/x, c/x, d/x
    };
    // b/x and d/x verified against a/x; c/x differs.
    const TRemovalCase cases[] = {
        {"only the verified items", false, {}, {O::ioMoved, O::ioKept, O::ioMoved}, {"c/x"}},
        {"every checked item", true, {}, {O::ioMoved, O::ioMoved, O::ioMoved}, {}},
        {"a path the trash refuses",
         false,
         {"d/x"},
         {O::ioMoved, O::ioKept, O::ioFailed},
         {"c/x", "d/x"}},
    };
    for (const TRemovalCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TScene s;
        ThreeCopies(s);
        s.Tree.File("c/x", "jello");
        s.Tree.File("d/x", "hello");
        s.FileRow(1, "d/x", true);
        TRemovalCheck check(s.List, TItemPath::ipFileRecord, cmContent);
        ASSERT_TRUE(check.Run(s.Host, s.Stop));
        TFakeTrash trash{s.Tree};
        for (const std::string& rel : c.Refuse)
            trash.Refuse.push_back(s.Tree.TextPath(rel));
        const TRemovalResult result = check.Remove(c.All, std::ref(trash));
        EXPECT_EQ(result.Outcomes, c.Outcomes);
        EXPECT_EQ(result.TrashAnswer, c.Refuse.empty());
        ASSERT_EQ(trash.Requests.size(), 1u);
        EXPECT_EQ(trash.Requests[0], result.Sent);
        EXPECT_TRUE(fs::exists(s.Tree.Path("a/x")));  // the kept copy, always
        for (const char* rel : {"b/x", "c/x", "d/x"}) {
            const bool stayed = std::find(c.Stayed.begin(), c.Stayed.end(), rel) != c.Stayed.end();
            EXPECT_EQ(fs::exists(s.Tree.Path(rel)), stayed) << rel;
        }
    }
}

TEST(RemovalCheck, AFolderAndAFolderInsideItGoInOneRequest) {
    TScene s;
    TwoTrees(s);
    TRemovalCheck check(s.List, TItemPath::ipFirstSubItem, cmContent);
    ASSERT_TRUE(check.Run(s.Host, s.Stop));
    TFakeTrash trash{s.Tree};
    const TRemovalResult result = check.Remove(false, std::ref(trash));
    EXPECT_EQ(result.Sent, std::vector<Text>{s.Tree.TextPath("q")});
    EXPECT_EQ(result.Outcomes,
              (std::vector<TItemOutcome>{TItemOutcome::ioMoved, TItemOutcome::ioMoved}));
    EXPECT_EQ(ReadWholeFile(s.Tree.Path("trash/0/sub/g.txt")), "two");
    EXPECT_EQ(ReadWholeFile(s.Tree.Path("p/sub/g.txt")), "two");
}

TEST(RemovalCheck, NothingVerifiedAsksTheTrashNothing) {
    TScene s;
    ThreeCopies(s);
    s.List.SetChecked(0, true);
    TRemovalCheck check(s.List, TItemPath::ipFileRecord, cmContent);
    ASSERT_TRUE(check.Run(s.Host, s.Stop));
    TFakeTrash trash{s.Tree};
    const TRemovalResult result = check.Remove(false, std::ref(trash));
    EXPECT_TRUE(trash.Requests.empty());
    EXPECT_EQ(result.Count(TItemOutcome::ioKept), 3u);
    for (const char* rel : {"a/x", "b/x", "c/x"})
        EXPECT_EQ(ReadWholeFile(s.Tree.Path(rel)), "hello");
}

}  // namespace
