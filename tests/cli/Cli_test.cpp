#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "support/Process.h"
#include "support/TempTree.h"
#include "support/TestHost.h"
#include "translation/Translation.h"

namespace {

TProcessResult Cli(const std::vector<std::string>& args) {
    // A fixed language, whatever the machine's session or stored choice says.
    std::vector<std::string> all{"--lang", "en"};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram("twinseek-cli", all);
}

TEST(Cli, UsageErrors) {
    struct TCase {
        std::vector<std::string> args;
        const char* why;
    } cases[] = {
        {{"--min-size-mb", "1048577", "/tmp"}, "above the range"},
        {{"--min-size-mb", "-1", "/tmp"}, "below the range"},
        {{"--min-group-size", "1", "/tmp"}, "group size below 2"},
        {{"--max-groups", "1000001", "/tmp"}, "too many groups"},
        {{"--compare", "colour", "/tmp"}, "unknown mode"},
        {{"--no-such-option", "/tmp"}, "unknown option"},
        {{"   "}, "blank folder"},
        {{"--min-size-mb", "x", "/tmp"}, "not a number"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.why);
        const TProcessResult r = Cli(c.args);
        EXPECT_EQ(r.Status, 2);
        EXPECT_FALSE(r.Err.empty());
        EXPECT_TRUE(r.Out.empty());
    }
}

TEST(Cli, EmptyFolderListIsAUsageErrorAndWritesNoCsv) {
    TTempTree tree;
    const TProcessResult r = Cli({"--files-csv", tree.Path("out.csv")});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, "Please add at least one folder.\n");
    EXPECT_NE(::access(tree.Path("out.csv").c_str(), F_OK), 0);
}

TEST(Cli, HelpExitsZero) {
    const TProcessResult r = Cli({"--help"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("--min-group-size"), std::string::npos);
}

TEST(Cli, WalkOnlyPrintsTheStatusTextsInOrder) {
    TTempTree tree;
    tree.File("a/one.txt", "1");
    tree.File("a/two.txt", "22");
    const TProcessResult r = Cli({"--no-file-clones", "--min-size-mb", "0", tree.Path("a")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "");
    const std::string folder = U8(tree.FolderText("a"));
    EXPECT_EQ(r.Err,
              "Scanning folders...\n"
              "Scanning folder list: " +
                  folder +
                  "   [*.*]\n"
                  "Scanning: " +
                  folder +
                  "one.txt (1/2)\n"
                  "Scanning: " +
                  folder +
                  "two.txt (2/2)\n"
                  "Found 2 files (after filters).\n"
                  "  Done.\n");
}

TEST(Cli, QuietPrintsNoStatus) {
    TTempTree tree;
    tree.File("a/one.txt", "1");
    const TProcessResult r = Cli({"-q", "--no-file-clones", tree.Path("a")});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
}

TEST(Cli, FoldersAreNormalisedAndListedOnce) {
    TTempTree tree;
    tree.File("a/one.txt", "1");
    const TProcessResult r = Cli({"--no-file-clones", "--min-size-mb", "0", tree.Path("a"),
                                  tree.Path("a") + "/", tree.Path("a") + "/../a"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '['), 1);  // one listing
}

}  // namespace
