#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <fstream>
#include <functional>
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

// Nothing is scanned and no CSV file is made when a folder argument is no folder.
TEST(Cli, AFolderArgumentThatIsNoFolderEndsBeforeScanning) {
    TTempTree tree;
    tree.File("a/one.txt", "1");
    tree.File("plain.txt", "x");
    const std::string csv = tree.Path("out.csv");
    const struct {
        const char* Why;
        std::string Argument;
    } cases[] = {
        {"a plain file", tree.Path("plain.txt")},
        {"a missing folder", tree.Path("typo")},
        {"a file below a file", tree.Path("plain.txt/a")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        const TProcessResult r = Cli({"--files-csv", csv, tree.Path("a"), c.Argument});
        EXPECT_EQ(r.Status, 2);
        EXPECT_EQ(r.Err, "Not a folder: " + c.Argument + "\n");
        EXPECT_EQ(r.Out, "");
        EXPECT_NE(::access(csv.c_str(), F_OK), 0);
    }
}

TEST(Cli, OneFileForBothListsIsAUsageError) {
    TTempTree tree;
    tree.File("a/one.txt", "1");
    tree.File("f.csv", "old");
    tree.Folder("sub");
    struct TCase {
        const char* Why;
        std::string Files, Folders;
    };
    std::vector<TCase> cases = {
        {"the same text", tree.Path("f.csv"), tree.Path("f.csv")},
        {"the same once normalised", tree.Path("sub/../f.csv"), tree.Path("./f.csv")},
        {"the same new file", tree.Path("new.csv"), tree.Path("sub/../new.csv")},
    };
#ifndef _WIN32
    tree.Link("link.csv", "f.csv");
    tree.HardLink("hard.csv", "f.csv");
    cases.push_back({"a link to the file", tree.Path("f.csv"), tree.Path("link.csv")});
    cases.push_back({"a hard link", tree.Path("hard.csv"), tree.Path("f.csv")});
#endif
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Why);
        const TProcessResult r =
            Cli({"--files-csv", c.Files, "--folders-csv", c.Folders, tree.Path("a")});
        EXPECT_EQ(r.Status, 2);
        EXPECT_NE(r.Err.find("--files-csv and --folders-csv name the same file"), std::string::npos)
            << r.Err;
        EXPECT_EQ(ReadWholeFile(tree.Path("f.csv")), "old");
        EXPECT_NE(::access(tree.Path("new.csv").c_str(), F_OK), 0);
    }
}

#ifndef _WIN32
// Runs a bash script with $CLI naming the program; its output goes to files of the tree,
// and its exit status is the script's.
TProcessResult Bash(const TTempTree& tree, const std::string& script) {
    const std::string file = tree.Path("script.sh");
    std::ofstream(file) << script;
    const std::string line = "CLI='" + BinFolder() + "/twinseek-cli' bash '" + file + "' >'" +
                             tree.Path("script.out") + "' 2>'" + tree.Path("script.err") + "'";
    const int status = std::system(line.c_str());
    TProcessResult r;
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = ReadWholeFile(tree.Path("script.out"));
    r.Err = ReadWholeFile(tree.Path("script.err"));
    return r;
}

TEST(Cli, ARelativeFolderAfterTheCurrentFolderWentIsAnErrorMessage) {
    TTempTree tree;
    const TProcessResult r =
        Bash(tree, "mkdir '" + tree.Path("gone") + "' && cd '" + tree.Path("gone") +
                       "' && rmdir '" + tree.Path("gone") + "' && \"$CLI\" --lang en x\n");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("Cannot read the current folder"), std::string::npos) << r.Err;
}

// A thousand groups, far more than a pipe holds: "| head -1" closes the pipe while the list
// is written. The error is reported, the status is 1, and both CSV files are written.
TEST(Cli, OutputErrorsAreErrorsAndTheCsvFilesAreWrittenAnyway) {
    TTempTree tree;
    for (int i = 0; i < 1000; ++i) {
        tree.File("scan/a/f" + std::to_string(i), "1");
        tree.File("scan/b/f" + std::to_string(i), "2");
    }
    // The list and the status lines, each to a stream that fails.
    const std::string run =
        "\"$CLI\" --lang en --compare name --min-size-mb 0 --max-groups 0 --files-csv '" +
        tree.Path("f.csv") + "' --folders-csv '" + tree.Path("d.csv") + "' '" + tree.Path("scan") +
        "'";
    const std::string listError = "Error: Cannot write the list to standard output: ";
    const struct {
        const char* Why;
        std::string Script;
        std::string Err;
    } cases[] = {
        {"a pipe closed early", run + " -q | head -1 >/dev/null; exit ${PIPESTATUS[0]}\n",
         listError + "Broken pipe\n"},
        {"a full disk", run + " -q >/dev/full\n", listError + "No space left on device\n"},
        {"status lines to a full disk", run + " >/dev/null 2>/dev/full\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        const TProcessResult r = Bash(tree, c.Script);
        EXPECT_EQ(r.Status, 1);
        EXPECT_EQ(r.Err, c.Err);
        const std::string files = ReadWholeFile(tree.Path("f.csv"));
        EXPECT_EQ(std::count(files.begin(), files.end(), '\n'), 2001);
        EXPECT_EQ(ReadWholeFile(tree.Path("d.csv")), "\xEF\xBB\xBFGroup,Directory,Size\r\n");
        tree.Remove("f.csv");
        tree.Remove("d.csv");
    }
}
#endif

}  // namespace
