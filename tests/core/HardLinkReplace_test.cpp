#include "core/HardLinkReplace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "core/FileInfo.h"
#include "core/KeepRule.h"
#include "core/ReferenceFolders.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

namespace fs = std::filesystem;

Platform::TFileId IdOf(const TTempTree& tree, const std::string& rel) {
    Platform::TFileStatus status;
    EXPECT_TRUE(Platform::QueryFile(tree.TextPath(rel), status)) << rel;
    return status.Id;
}

// A File Clones list over a tree of the test's own: group 1 is k/x (kept), a/x, b/x.
struct TLinkScene {
    TTempTree Tree;
    TTestHost Host;
    TMemoryResultList List{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TFileList Records;
    TStopToken Stop;

    TLinkScene() {
        for (const char* rel : {"k/x", "a/x", "b/x"})
            Tree.File(rel, "same bytes");
        Row("k/x", false);
        Row("a/x", true);
        Row("b/x", true);
    }
    void Row(const std::string& rel, bool checked, int group = 1) {
        Records.Add(Tree.TextPath(rel));
        List.AddItem({u"x", {}, group, checked, Records.back()});
    }
    TLinkResult Link(const TReferenceFolders* reference = nullptr,
                     const std::function<void()>& afterCheck = nullptr) {
        TRemovalCheck check(List, TItemPath::ipFileRecord, cmContent, reference);
        EXPECT_TRUE(check.Run(Host, Stop));
        if (afterCheck)
            afterCheck();
        return ReplaceWithHardLinks(check);
    }
};

TEST(HardLinkReplace, VerifiedFilesBecomeLinksOfTheKeptCopy) {
    TLinkScene s;
    const Platform::TFileId kept = IdOf(s.Tree, "k/x");
    const TLinkResult result = s.Link();
    ASSERT_EQ(result.Outcomes.size(), 2u);
    EXPECT_EQ(result.Count(TItemOutcome::ioMoved), 2u);
    for (const char* rel : {"a/x", "b/x"}) {
        EXPECT_EQ(IdOf(s.Tree, rel), kept) << rel;
        EXPECT_EQ(ReadWholeFile(s.Tree.Path(rel)), "same bytes");
    }
    EXPECT_EQ(IdOf(s.Tree, "k/x"), kept);
    EXPECT_EQ(ReadWholeFile(s.Tree.Path("k/x")), "same bytes");
#ifndef _WIN32
    struct stat st;
    ASSERT_EQ(::stat(s.Tree.Path("k/x").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 3u);
#endif
    // No temporary name is left behind.
    for (const char* folder : {"a", "b"})
        EXPECT_EQ(
            std::distance(fs::directory_iterator(s.Tree.Path(folder)), fs::directory_iterator()), 1)
            << folder;

    // Run again over the same marks: each file already is a link of its kept copy.
    const TLinkResult again = s.Link();
    EXPECT_EQ(again.Count(TItemOutcome::ioMoved), 2u);
    EXPECT_TRUE(again.AlreadyLinked[0] && again.AlreadyLinked[1]);
}

TEST(HardLinkReplace, WhatChangedOrIsNotVerifiedStaysAsItIs) {
    struct TCase {
        const char* Name;
        std::function<void(TLinkScene&)> Before;      // after the scan, before the check
        std::function<void(TLinkScene&)> AfterCheck;  // between the check and the links
        std::vector<TItemOutcome> Expected;
        const char* AX;  // what a/x holds afterwards
    };
    using O = TItemOutcome;
    const TCase cases[] = {
        {"a/x differs",
         [](TLinkScene& s) { s.Tree.File("a/x", "other byte"); },
         nullptr,
         {O::ioKept, O::ioMoved},
         "other byte"},
        {"a/x rewritten after the check, same size",
         nullptr,
         [](TLinkScene& s) {
             s.Tree.File("a/x", "new  bytes");
             // A write in the same clock tick is still another file's time on most systems;
             // make sure it is.
             fs::last_write_time(s.Tree.Path("a/x"),
                                 fs::last_write_time(s.Tree.Path("a/x")) + std::chrono::seconds(5));
         },
         {O::ioFailed, O::ioMoved},
         "new  bytes"},
        {"the kept copy rewritten after the check",
         nullptr,
         [](TLinkScene& s) {
             s.Tree.File("k/x", "kept moved");
             fs::last_write_time(s.Tree.Path("k/x"),
                                 fs::last_write_time(s.Tree.Path("k/x")) + std::chrono::seconds(5));
         },
         {O::ioFailed, O::ioFailed},
         "same bytes"},
        {"a temporary name taken: it is not overwritten",
         [](TLinkScene& s) { s.Tree.File("a/.twinseek-link-0.tmp", "user file"); },
         nullptr,
         {O::ioMoved, O::ioMoved},
         "same bytes"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLinkScene s;
        if (c.Before)
            c.Before(s);
        const TLinkResult result =
            s.Link(nullptr, c.AfterCheck ? [&] { c.AfterCheck(s); } : std::function<void()>());
        EXPECT_EQ(result.Outcomes, c.Expected);
        EXPECT_EQ(ReadWholeFile(s.Tree.Path("a/x")), c.AX);
        if (result.Outcomes[0] != O::ioMoved) {
            EXPECT_NE(IdOf(s.Tree, "a/x"), IdOf(s.Tree, "k/x"));
        }
        if (fs::exists(s.Tree.Path("a/.twinseek-link-0.tmp"))) {
            EXPECT_EQ(ReadWholeFile(s.Tree.Path("a/.twinseek-link-0.tmp")), "user file");
        }
        // Only the user's own extra file may remain beside a/x.
        for (const auto& entry : fs::directory_iterator(s.Tree.Path("a")))
            EXPECT_TRUE(entry.path().filename() == "x" ||
                        entry.path().filename() == ".twinseek-link-0.tmp")
                << entry.path();
    }
}

TEST(HardLinkReplace, ReferenceFilesAreNeverReplaced) {
    TLinkScene s;
    // Checked by hand before its folder was marked.
    const TReferenceFolders reference({s.Tree.FolderText("a")});
    const TLinkResult result = s.Link(&reference);
    EXPECT_EQ(result.Outcomes,
              (std::vector<TItemOutcome>{TItemOutcome::ioKept, TItemOutcome::ioMoved}));
    EXPECT_NE(IdOf(s.Tree, "a/x"), IdOf(s.Tree, "k/x"));
    EXPECT_EQ(IdOf(s.Tree, "b/x"), IdOf(s.Tree, "k/x"));
}

}  // namespace
