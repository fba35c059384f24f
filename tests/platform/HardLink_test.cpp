// Hard links and the replacing rename: a second name never replaces anything, a rename
// over a file replaces it in one step, and another volume is told apart.
#include "platform/HardLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "core/FileInfo.h"
#include "core/HardLinkReplace.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "support/TempTree.h"
#include "support/TestHost.h"
#ifndef _WIN32
#include "PrivateMounts.h"
#endif

namespace {

using Platform::TLinkStatus;

Platform::TFileId IdOf(const TTempTree& tree, const std::string& rel) {
    Platform::TFileStatus status;
    EXPECT_TRUE(Platform::QueryFile(tree.TextPath(rel), status)) << rel;
    return status.Id;
}

TEST(HardLink, ANewNameNeverReplacesAnExistingOne) {
    TTempTree tree;
    tree.File("kept", "kept bytes");
    tree.File("taken", "user bytes");
    EXPECT_EQ(Platform::MakeHardLink(tree.TextPath("kept"), tree.TextPath("taken")),
              TLinkStatus::lsExists);
    EXPECT_EQ(ReadWholeFile(tree.Path("taken")), "user bytes");

    ASSERT_EQ(Platform::MakeHardLink(tree.TextPath("kept"), tree.TextPath("second")),
              TLinkStatus::lsDone);
    EXPECT_EQ(IdOf(tree, "second"), IdOf(tree, "kept"));

    // The rename takes the place of the file at the target, in one step.
    ASSERT_EQ(Platform::RenameOver(tree.TextPath("second"), tree.TextPath("taken")),
              TLinkStatus::lsDone);
    EXPECT_EQ(IdOf(tree, "taken"), IdOf(tree, "kept"));
    EXPECT_EQ(ReadWholeFile(tree.Path("taken")), "kept bytes");
    EXPECT_FALSE(Platform::FileExists(tree.TextPath("second")));
    EXPECT_EQ(ReadWholeFile(tree.Path("kept")), "kept bytes");

    EXPECT_TRUE(Platform::RemoveFileName(tree.TextPath("taken")));
    EXPECT_EQ(ReadWholeFile(tree.Path("kept")), "kept bytes");
    EXPECT_NE(Platform::MakeHardLink(tree.TextPath("gone"), tree.TextPath("new")),
              TLinkStatus::lsDone);
}

TEST(HardLink, TheModifiedTimeFollowsAWrite) {
    TTempTree tree;
    tree.File("f", "one");
    std::int64_t before = 0, after = 0;
    ASSERT_TRUE(Platform::QueryModifiedTime(tree.TextPath("f"), before));
    EXPECT_FALSE(Platform::QueryModifiedTime(tree.TextPath("missing"), after));
    std::filesystem::last_write_time(
        tree.Path("f"),
        std::filesystem::last_write_time(tree.Path("f")) + std::chrono::seconds(10));
    ASSERT_TRUE(Platform::QueryModifiedTime(tree.TextPath("f"), after));
    EXPECT_GT(after, before);
}

#ifndef _WIN32
TEST(HardLink, AFileOnAnotherVolumeIsNotReplaced) {
    if (const std::string failure = PrivateMounts(); !failure.empty())
        GTEST_SKIP() << failure;
    TTempTree tree;
    tree.Folder("other");
    TMount mount(tree.Path("other"), nullptr);
    if (!mount.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs";
    tree.File("kept/x", "same bytes");
    tree.File("other/x", "same bytes");
    EXPECT_EQ(Platform::MakeHardLink(tree.TextPath("kept/x"), tree.TextPath("other/y")),
              TLinkStatus::lsOtherVolume);

    // The whole replacement: verified, then refused, the file left as it was.
    TTestHost host;
    TMemoryResultList list{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TFileList records;
    for (const auto& [rel, checked] : {std::pair{"kept/x", false}, std::pair{"other/x", true}}) {
        records.Add(tree.TextPath(rel));
        list.AddItem({u"x", {}, 1, checked, records.back()});
    }
    TStopToken stop;
    TRemovalCheck check(list, TItemPath::ipFileRecord, cmContent);
    ASSERT_TRUE(check.Run(host, stop));
    ASSERT_TRUE(check.Items()[0].Verified());
    const TLinkResult result = ReplaceWithHardLinks(check);
    EXPECT_EQ(result.Outcomes[0], TItemOutcome::ioFailed);
    EXPECT_EQ(result.Failures[0], TLinkFailure::lfOtherVolume);
    EXPECT_NE(IdOf(tree, "other/x"), IdOf(tree, "kept/x"));
    EXPECT_EQ(ReadWholeFile(tree.Path("other/x")), "same bytes");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.Path("other")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(HardLink, AFolderWithoutWritePermissionKeepsItsFile) {
    TTempTree tree;
    tree.File("kept/x", "same bytes");
    tree.File("locked/x", "same bytes");
    const int result = RunAsNobody([&] {
        return Platform::MakeHardLink(tree.TextPath("kept/x"), tree.TextPath("locked/y")) ==
                       TLinkStatus::lsDenied
                   ? 0
                   : 1;
    });
    if (result < 0)
        GTEST_SKIP() << "cannot run as nobody";
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(Platform::FileExists(tree.TextPath("locked/y")));
}
#endif

}  // namespace
