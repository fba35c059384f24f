// POSIX file semantics: links, modes, other users.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

TEST(RunAsNobody, ReturnsTheBodysValueOrMinusOne) {
    EXPECT_EQ(RunAsNobody([] { return 12345; }), 12345);
    EXPECT_EQ(RunAsNobody([] { return static_cast<int>(::geteuid()); }),
              RunningAsRoot() ? 65534 : static_cast<int>(::geteuid()));
    EXPECT_EQ(RunAsNobody([]() -> int { throw std::runtime_error("x"); }), -1);
    EXPECT_EQ(RunAsNobody([]() -> int { ::abort(); }), -1);
}

}  // namespace

#endif  // _WIN32
