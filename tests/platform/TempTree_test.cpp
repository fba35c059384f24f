// POSIX file semantics: links, modes, other users.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>

#include "support/TempTree.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(TempTree, BuildsAReachableTreeAndRemovesItWhateverItsModes) {
    std::string root;
    {
        TTempTree tree;
        root = tree.Root();
        EXPECT_NE(root.back(), '/');
        EXPECT_EQ(tree.FolderText("a"), Platform::Utf8ToText(root + "/a/"));
        EXPECT_EQ(tree.FolderText(), Platform::Utf8ToText(root + "/"));
        tree.File("a/b/c.txt", "abc");
        tree.SizedFile("a/big", 3000, 'z');
        tree.Link("a/link", "b");
        tree.HardLink("a/b/hard", "a/b/c.txt");
        ::chmod(tree.Path("a/b").c_str(), 0);
        ::chmod(tree.Path("a").c_str(), 0);
        const std::string file = tree.Path("a/big");
        const std::string link = tree.Path("a/link");
        struct stat st {};
        EXPECT_EQ(RunAsNobody([&] { return ::access(file.c_str(), F_OK) == 0 ? 1 : 2; }), 2);
        ::chmod(tree.Path("a").c_str(), 0755);
        EXPECT_EQ(RunAsNobody([&] { return ::access(file.c_str(), R_OK) == 0 ? 7 : 0; }), 7);
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, 3000);
        EXPECT_EQ(st.st_nlink, 1u);
        char target[8] = {};
        EXPECT_EQ(::readlink(link.c_str(), target, sizeof target), 1);
        EXPECT_STREQ(target, "b");
        tree.Remove("a/big");
        EXPECT_FALSE(Exists(file));
        ::chmod(tree.Path("a").c_str(), 0);
    }
    EXPECT_FALSE(Exists(root));
}

// Beyond the system's path limit, where the plain path calls fail: everything is made, and
// all of it goes at the end, a folder shut in the middle of the way too.
TEST(TempTree, BuildsAndRemovesATreeBeyondThePathLimit) {
    std::string root;
    {
        TTempTree tree;
        root = tree.Root();
        std::string half, deep;
        for (int i = 0; i < 2000; ++i)
            (i < 1000 ? half : deep) += i == 0 ? "ab" : "/ab";
        deep = half + deep;
        tree.File(deep + "/file.txt", "deep");
        tree.SizedFile(deep + "/sized", 5000, 's');
        tree.Link(deep + "/link", "file.txt");
        tree.HardLink(deep + "/hard", deep + "/file.txt");
        tree.Folder(deep + "/denied/inner");
        tree.File(deep + "/denied/inner/x", "x");
        tree.File(deep + "/gone.txt", "removed by the test");
        tree.Remove(deep + "/gone.txt");
        ASSERT_GT(tree.Path(deep).size(), std::size_t(PATH_MAX));
        const int folder = OpenFolderAnyLength(tree.Path(deep));
        ASSERT_GE(folder, 0) << std::strerror(errno);
        struct stat st {};
        EXPECT_EQ(::fstatat(folder, "file.txt", &st, AT_SYMLINK_NOFOLLOW), 0);
        EXPECT_EQ(st.st_size, 4);
        EXPECT_EQ(st.st_nlink, 2u);
        EXPECT_EQ(st.st_mode & 0777, 0644u);
        EXPECT_EQ(::fstatat(folder, "sized", &st, 0), 0);
        EXPECT_EQ(st.st_size, 5000);
        EXPECT_EQ(::fstatat(folder, "link", &st, AT_SYMLINK_NOFOLLOW), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_EQ(::fstatat(folder, "denied/inner/x", &st, 0), 0);
        EXPECT_NE(::fstatat(folder, "gone.txt", &st, AT_SYMLINK_NOFOLLOW), 0);
        ::close(folder);
        tree.Deny(deep + "/denied");
        tree.Deny(half);
        EXPECT_EQ(RunAsNobody([&] { return OpenFolderAnyLength(tree.Path(deep)) < 0 ? 1 : 0; }), 1);
    }
    EXPECT_FALSE(Exists(root));
}

TEST(RunAsNobody, ReturnsTheBodysValueOrMinusOne) {
    EXPECT_EQ(RunAsNobody([] { return 12345; }), 12345);
    EXPECT_EQ(RunAsNobody([] { return static_cast<int>(::geteuid()); }),
              RunningAsRoot() ? 65534 : static_cast<int>(::geteuid()));
    EXPECT_EQ(RunAsNobody([]() -> int { throw std::runtime_error("x"); }), -1);
    EXPECT_EQ(RunAsNobody([]() -> int { ::abort(); }), -1);
}

}  // namespace

#endif  // _WIN32
