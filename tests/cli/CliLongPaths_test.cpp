// A whole scan of a tree deeper than the system's path limit: 2,000 folders of two letters,
// some 6,000 bytes of path, with duplicates down there and one near the top. Windows has its
// own long paths, tested with the platform layer.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "support/Process.h"
#include "support/TempTree.h"

namespace {

TEST(CliLongPaths, DuplicatesBeyondThePathLimitAreFoundListedAndExported) {
    TTempTree tree;
    std::string deep;
    for (int i = 0; i < 2000; ++i)
        deep += i == 0 ? "ab" : "/ab";
    const std::string bytes = "the same bytes deep down and near the top";
    tree.File("near.bin", bytes);
    tree.File(deep + "/dup1.bin", bytes);
    tree.File(deep + "/dup2.bin", bytes);
    // The same size with other bytes: only the content tells it apart.
    tree.File(deep + "/other.bin", std::string(bytes.size(), 'o'));
    // Two equal folders down there: folder clones, and a file group of their own.
    tree.File(deep + "/c1/f.txt", "clone");
    tree.File(deep + "/c2/f.txt", "clone");
    const std::string root = tree.Root();
    const std::string folder = tree.Path(deep);
    ASSERT_GT(folder.size(), std::size_t(PATH_MAX) + 1000);

    const TProcessResult r =
        RunProgram("twinseek-cli", {"--lang", "en", "-q", "--min-size-mb", "0", "--max-groups", "0",
                                    "--folder-clones", "--files-csv", tree.Path("files.csv"),
                                    "--folders-csv", tree.Path("folders.csv"), root});
    // The deep folder and the tree written short, so that what is compared can be read.
    auto shortened = [&](std::string text) {
        for (const auto& [path, name] : {std::pair{folder, "<deep>"}, std::pair{root, "<root>"}})
            for (std::size_t at; (at = text.find(path)) != std::string::npos;)
                text.replace(at, path.size(), name);
        return text;
    };
    ASSERT_EQ(r.Status, 0) << shortened(r.Err);
    EXPECT_EQ(shortened(r.Err), "");
    // The file groups, then the folder groups: every path whole.
    EXPECT_EQ(shortened(r.Out),
              "Group 1 (0.00 MB)\n"
              "[ ]\t1\tdup1.bin\t<deep>\t0.00 MB\n"
              "[x]\t1\tdup2.bin\t<deep>\t0.00 MB\n"
              "[x]\t1\tnear.bin\t<root>\t0.00 MB\n"
              "Group 2 (0.00 MB)\n"
              "[ ]\t2\tf.txt\t<deep>/c1\t0.00 MB\n"
              "[x]\t2\tf.txt\t<deep>/c2\t0.00 MB\n"
              "Group 1 (0.00 MB)\n"
              "[ ]\t1\t<deep>/c1\t0.00 MB\n"
              "[ ]\t1\t<deep>/c2\t0.00 MB\n");
    EXPECT_EQ(shortened(ReadWholeFile(tree.Path("files.csv"))),
              "\xEF\xBB\xBFGroup,File name,Directory,File size (MB)\r\n"
              "\"1\",\"dup1.bin\",\"<deep>\",\"0.00 MB\"\r\n"
              "\"1\",\"dup2.bin\",\"<deep>\",\"0.00 MB\"\r\n"
              "\"1\",\"near.bin\",\"<root>\",\"0.00 MB\"\r\n"
              "\"2\",\"f.txt\",\"<deep>/c1\",\"0.00 MB\"\r\n"
              "\"2\",\"f.txt\",\"<deep>/c2\",\"0.00 MB\"\r\n");
    EXPECT_EQ(shortened(ReadWholeFile(tree.Path("folders.csv"))),
              "\xEF\xBB\xBFGroup,Directory,Size\r\n"
              "\"1\",\"<deep>/c1\",\"0.00 MB\"\r\n"
              "\"1\",\"<deep>/c2\",\"0.00 MB\"\r\n");
}

}  // namespace

#endif  // _WIN32
