#include <gtest/gtest.h>

#include <string>

#include "core/ContentCompare.h"
#include "platform/FileSystem.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

// The removal check trusts a comparison only for the files it checked: the bytes are read
// from the files themselves, never through a link, and the caller learns what was opened.
TEST(CompareFileBytes, ReadsOnlyTheFilesAtThePathsAndSaysWhichItOpened) {
    TTempTree tree;
    const std::string bytes(3000, 'x');
    tree.File("a", bytes);
    tree.File("b", bytes);
    tree.File("c", std::string(3000, 'y'));
#ifndef _WIN32  // wine makes no symbolic links
    tree.Link("to-a", "a");
    tree.Link("to-b", "b");
#endif
    TTestHost host;
    TStopToken stop;
    TPacer pacer(host, stop);

    struct TCase {
        const char* A;
        const char* B;
        TSameness Expected;
    };
    const TCase cases[] = {
        {"a", "b", TSameness::snSame},
        {"a", "c", TSameness::snDiffer},
        {"a", "missing", TSameness::snUnreadable},
#ifndef _WIN32
        {"to-a", "b", TSameness::snUnreadable},  // the same bytes, but behind a link
        {"a", "to-b", TSameness::snUnreadable},
#endif
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.A) + " / " + c.B);
        EXPECT_EQ(CompareFileBytes(tree.TextPath(c.A), tree.TextPath(c.B), pacer), c.Expected);
    }

    TReadFiles read;
    ASSERT_EQ(CompareFileBytes(tree.TextPath("a"), tree.TextPath("b"), pacer, &read),
              TSameness::snSame);
    Platform::TFileStatus a, b;
    ASSERT_TRUE(Platform::QueryFile(tree.TextPath("a"), a));
    ASSERT_TRUE(Platform::QueryFile(tree.TextPath("b"), b));
    EXPECT_TRUE(read.A.IsRegular && read.B.IsRegular);
    EXPECT_EQ(read.A.Id, a.Id);
    EXPECT_EQ(read.B.Id, b.Id);
    EXPECT_NE(read.A.Id, read.B.Id);
    EXPECT_EQ(read.A.Size, 3000);
}

}  // namespace
