#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/Process.h"
#include "support/TempTree.h"

namespace {

namespace fs = std::filesystem;

TProcessResult FolderClones(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "en", "-q", "--no-file-clones", "--folder-clones",
                               "--min-size-mb", "0", "--max-groups", "0"});
    return RunProgram("twinseek-cli", args);
}

// Directory path to group number, from the printed Folder Clones list.
std::map<std::string, int> GroupsOf(const std::string& out) {
    std::map<std::string, int> groups;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("[ ]\t", 0) != 0)
            continue;
        std::istringstream fields(line.substr(4));
        std::string group, dir;
        std::getline(fields, group, '\t');
        std::getline(fields, dir, '\t');
        groups[dir] = std::stoi(group);
    }
    return groups;
}

TEST(CliFolders, ListsGroupsLargestFirstAndWritesTheCsv) {
    TTempTree tree;
    tree.File("a/p/f1", "abcd");
    tree.File("b/p/f1", "abcd");
    tree.File("a/q/g", "xyz");
    tree.File("b/q/g", "xyz");
    tree.File("c/q/g", "xy");  // same name, other size
    const std::string csv = tree.Path("out.csv");
    const TProcessResult r =
        FolderClones({"--folders-csv", csv, tree.Path("a"), tree.Path("b"), tree.Path("c")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string a = tree.Path("a"), b = tree.Path("b");
    const std::string ap = tree.Path("a/p"), bp = tree.Path("b/p");
    const std::string aq = tree.Path("a/q"), bq = tree.Path("b/q");
    EXPECT_EQ(r.Out, "Group 1 (0.00 MB)\n[ ]\t1\t" + a + "\t0.00 MB\n[ ]\t1\t" + b +
                         "\t0.00 MB\nGroup 2 (0.00 MB)\n[ ]\t2\t" + ap + "\t0.00 MB\n[ ]\t2\t" +
                         bp + "\t0.00 MB\nGroup 3 (0.00 MB)\n[ ]\t3\t" + aq +
                         "\t0.00 MB\n[ ]\t3\t" + bq + "\t0.00 MB\n");
    EXPECT_EQ(ReadWholeFile(csv),
              "\xEF\xBB\xBFGroup,Directory,Size\r\n\"1\",\"" + a + "\",\"0.00 MB\"\r\n\"1\",\"" +
                  b + "\",\"0.00 MB\"\r\n\"2\",\"" + ap + "\",\"0.00 MB\"\r\n\"2\",\"" + bp +
                  "\",\"0.00 MB\"\r\n\"3\",\"" + aq + "\",\"0.00 MB\"\r\n\"3\",\"" + bq +
                  "\",\"0.00 MB\"\r\n");
}

// A real tree copied twice, one file renamed deep inside the second copy: every directory
// pairs with its twin except those on the way down to the renamed file.
TEST(CliFolders, RealTreeCopiedTwiceWithOneFileRenamed) {
    fs::path tree;
#ifdef _WIN32
    // Under wine the host's root is a drive of its own; real Windows has no such tree.
    if (!fs::is_directory("/usr/share"))
        GTEST_SKIP() << "no /usr/share to copy";
#endif
    for (const auto& entry : fs::directory_iterator("/usr/share"))
        if (entry.path().filename().string().rfind("cmake-", 0) == 0 &&
            fs::is_directory(entry.path() / "Modules"))
            tree = entry.path() / "Modules";
    ASSERT_FALSE(tree.empty()) << "the build's cmake installs its modules under /usr/share";

    TTempTree temp;
    const fs::path one = temp.Path("one"), two = temp.Path("two");
    fs::copy(tree, one, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    fs::copy(tree, two, fs::copy_options::recursive | fs::copy_options::copy_symlinks);

    fs::path deepest;  // relative to a copy
    for (const auto& entry : fs::recursive_directory_iterator(two)) {
        const fs::path rel = fs::relative(entry.path(), two);
        if (entry.is_regular_file() &&
            std::distance(rel.begin(), rel.end()) > std::distance(deepest.begin(), deepest.end()))
            deepest = rel;
    }
    ASSERT_GE(std::distance(deepest.begin(), deepest.end()), 3);
    fs::rename(two / deepest, two / deepest.parent_path() / "renamed-by-the-test");

    const TProcessResult r = FolderClones({one.string(), two.string()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::map<std::string, int> groups = GroupsOf(r.Out);

    int paired = 0;
    std::vector<fs::path> dirs = {fs::path(".")};
    for (const auto& entry : fs::recursive_directory_iterator(one))
        if (entry.is_directory())
            dirs.push_back(fs::relative(entry.path(), one));
    for (const fs::path& rel : dirs) {
        SCOPED_TRACE(rel.string());
        const bool top = rel == ".";
        const auto a = groups.find(top ? one.string() : (one / rel).string());
        const auto b = groups.find(top ? two.string() : (two / rel).string());
        const bool onTheWay =
            top || deepest.generic_string().rfind(rel.generic_string() + "/", 0) == 0;
        if (onTheWay) {
            EXPECT_FALSE(a != groups.end() && b != groups.end() && a->second == b->second);
        } else {
            ASSERT_NE(a, groups.end());
            ASSERT_NE(b, groups.end());
            EXPECT_EQ(a->second, b->second);
            ++paired;
        }
    }
    EXPECT_GT(paired, 10);
}

}  // namespace
