#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliTrash.h"
#include "support/EngineTest.h"
#include "support/Process.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

namespace fs = std::filesystem;

// The text written to a stream that the test reads back.
class TCapture {
public:
    TCapture() : FFile(std::tmpfile()) {}
    ~TCapture() { std::fclose(FFile); }
    std::FILE* File() { return FFile; }
    std::string Text() {
        std::fflush(FFile);
        std::rewind(FFile);
        std::string text;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, FFile)) > 0;)
            text.append(buffer, n);
        return text;
    }

private:
    std::FILE* FFile;
};

// a/x, b/x, c/x hold "same"; d/x the same size, other bytes. In name mode one group, its
// first row kept; in content mode d/x is in no group.
class CliTrash : public TEngineTest {
protected:
    CliTrash() {
        for (const char* rel : {"s/a/x", "s/b/x", "s/c/x"})
            Tree.File(rel, "same");
        Tree.File("s/d/x", "diff");
        Tree.Folder("trash");
    }

    void Scan(TCompareMode mode) {
        Host.Settings.Folders = {Tree.FolderText("s")};
        Host.Settings.CompareIndex = mode;
        Host.Settings.MinSizeMB = 0;
        ASSERT_EQ(Engine.Scan(), TScanOutcome::soDone);
        Host.Statuses.clear();
        Host.Messages.clear();
    }

    int Run(const TTrashOptions& options, const std::string& answers = "") {
        std::istringstream in(answers);
        TTrashContext context{
            Host,       Engine.StopToken(),
            in,         false,
            Out.File(), [this](const std::vector<Text>& paths) { return Trash(paths); }};
        return TrashCheckedFiles(Files, Engine.ListedCompareMode(), options, context);
    }

    // Moves into the tree's "trash" folder, except what it is told to refuse.
    std::vector<Platform::TRecycleOutcome> Trash(const std::vector<Text>& paths) {
        std::vector<Platform::TRecycleOutcome> outcomes;
        for (const Text& path : paths) {
            if (std::find(Refuse.begin(), Refuse.end(), path) != Refuse.end()) {
                outcomes.push_back({false, "refused by the test"});
                continue;
            }
            fs::rename(U8(path), Tree.Path("trash/" + std::to_string(++Moved)));
            outcomes.push_back({true, {}});
        }
        return outcomes;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> lines;
        for (const Text& message : Host.Messages)
            lines.push_back(U8(message));
        return lines;
    }
    std::string P(const std::string& rel) const { return Tree.Path("s/" + rel); }

    TCapture Out;
    std::vector<Text> Refuse;
    int Moved = 0;
};

TEST_F(CliTrash, OnlyAYesMovesAndTheCheckComesAfterTheAnswer) {
    struct TCase {
        const char* Answer;
        bool Yes;
    };
    const TCase cases[] = {{"y\n", true},           {"YES\n", true},   {"  yes  \n", true},
                           {"n\n", false},          {"\n", false},     {"", false},
                           {"yes please\n", false}, {"no\ny\n", false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Answer);
        Scan(cmContent);
        const std::string before = Out.Text();
        const int status = Run({.Requested = true}, c.Answer);
        EXPECT_EQ(Out.Text().substr(before.size()), "Move 2 items to the trash? [y/N] \n");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(!Host.StatusesStartingWith(u"Checking items before removal").empty(), c.Yes);
        if (c.Yes) {
            EXPECT_EQ(Messages(), (std::vector<std::string>{"Moved to the trash: " + P("b/x"),
                                                            "Moved to the trash: " + P("c/x")}));
            // Put back for the next case.
            fs::rename(Tree.Path("trash/" + std::to_string(Moved - 1)), P("b/x"));
            fs::rename(Tree.Path("trash/" + std::to_string(Moved)), P("c/x"));
        } else {
            EXPECT_EQ(Messages(), std::vector<std::string>{"Nothing was moved."});
        }
        for (const char* rel : {"a/x", "b/x", "c/x"})
            EXPECT_EQ(ReadWholeFile(P(rel)), "same") << rel;
    }
}

TEST_F(CliTrash, ExitStatusesTellWhatBecameOfTheCheckedFiles) {
    const std::string differ = "(Its group was found by name or size, and the contents differ.): ";
    struct TCase {
        const char* Name;
        TTrashOptions Options;
        std::vector<std::string> Refuse;
        int Status;
        std::vector<std::string> Report;
        std::vector<std::string> Stayed;
    };
    const TCase cases[] = {
        {"unverified files are kept",
         {.Requested = true, .Yes = true},
         {},
         3,
         {"Moved to the trash: " + P("b/x"), "Moved to the trash: " + P("c/x"),
          "Kept, not verified " + differ + P("d/x")},
         {"a/x", "d/x"}},
        {"--trash-unverified moves them too",
         {.Requested = true, .Yes = true, .TrashUnverified = true},
         {},
         0,
         {"Moved to the trash: " + P("b/x"), "Moved to the trash: " + P("c/x"),
          "Moved to the trash, not verified " + differ + P("d/x")},
         {"a/x"}},
        {"a file the trash refuses is an error",
         {.Requested = true, .Yes = true},
         {"c/x"},
         1,
         {"Moved to the trash: " + P("b/x"), "Not moved (refused by the test): " + P("c/x"),
          "Kept, not verified " + differ + P("d/x")},
         {"a/x", "c/x", "d/x"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempTree& tree = Tree;
        for (const char* rel : {"s/a/x", "s/b/x", "s/c/x"})
            tree.File(rel, "same");
        tree.File("s/d/x", "diff");
        Scan(cmName);
        Refuse.clear();
        for (const std::string& rel : c.Refuse)
            Refuse.push_back(tree.TextPath("s/" + rel));
        EXPECT_EQ(Run(c.Options), c.Status);
        EXPECT_EQ(Messages(), c.Report);
        for (const char* rel : {"a/x", "b/x", "c/x", "d/x"}) {
            const bool stayed = std::find(c.Stayed.begin(), c.Stayed.end(), rel) != c.Stayed.end();
            EXPECT_EQ(fs::exists(P(rel)), stayed) << rel;
        }
    }
    EXPECT_TRUE(Out.Text().empty());  // --yes asks nothing
}

TEST_F(CliTrash, AKeptFileChangedAfterTheScanKeepsItsCopies) {
    Scan(cmContent);
    Tree.File("s/a/x", "SAME");  // between the scan and the answer
    EXPECT_EQ(Run({.Requested = true}, "y\n"), 3);
    const std::string gone = "Kept, not verified (The kept copy is gone or differs now.): ";
    EXPECT_EQ(Messages(), (std::vector<std::string>{gone + P("b/x"), gone + P("c/x")}));
    EXPECT_EQ(Moved, 0);
    EXPECT_EQ(ReadWholeFile(P("b/x")), "same");
    EXPECT_EQ(ReadWholeFile(P("c/x")), "same");
}

TEST_F(CliTrash, NothingCheckedAndAStopMoveNothing) {
    Tree.Remove("s/b");
    Tree.Remove("s/c");
    Scan(cmContent);  // a/x alone: no group
    EXPECT_EQ(Run({.Requested = true}), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"No files selected."});
    EXPECT_TRUE(Out.Text().empty());

    // Ctrl+C while the check runs.
    for (int i = 0; i < 30; ++i)
        Tree.File("s/copy" + std::to_string(i), "same");
    Scan(cmContent);
    Host.OnKeep = [&](TTestHost& host) {
        if (host.LastStatus() == u"Checking items before removal (10/30)...")
            Engine.StopToken().Request();
    };
    EXPECT_EQ(Run({.Requested = true, .Yes = true}), 130);
    EXPECT_EQ(Host.LastStatus(), u"Removal check stopped. Nothing was moved.");
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Moved, 0);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(ReadWholeFile(P("copy" + std::to_string(i))), "same");
}

Platform::TFileId IdOf(const std::string& path) {
    Platform::TFileStatus status;
    EXPECT_TRUE(Platform::QueryFile(Platform::Utf8ToText(path), status)) << path;
    return status.Id;
}

TEST_F(CliTrash, KeepAndReferenceChooseTheFileThatStays) {
    struct TCase {
        const char* Name;
        TTrashOptions Options;
        std::vector<std::string> Moved;  // in list order
    };
    const TCase cases[] = {
        {"first", {.Requested = true, .Yes = true}, {"b/x", "c/x"}},
        {"newest", {.Requested = true, .Yes = true, .Keep = "newest"}, {"a/x", "b/x"}},
        {"oldest", {.Requested = true, .Yes = true, .Keep = "oldest"}, {"a/x", "c/x"}},
        {"a reference folder wins over the rule",
         {.Requested = true, .Yes = true, .Keep = "newest", .Reference = {"REF"}},
         {"b/x", "c/x"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const char* rel : {"s/a/x", "s/b/x", "s/c/x"})
            Tree.File(rel, "same");
        // b/x the oldest, c/x the newest.
        const auto now = fs::file_time_type::clock::now();
        fs::last_write_time(P("a/x"), now - std::chrono::seconds(200));
        fs::last_write_time(P("b/x"), now - std::chrono::seconds(300));
        fs::last_write_time(P("c/x"), now - std::chrono::seconds(100));
        Scan(cmContent);
        TTrashOptions options = c.Options;
        for (std::string& folder : options.Reference)
            folder = Tree.Path("s/a");
        ApplyKeepOptions(Files, options);
        EXPECT_EQ(Run(options), 0);
        std::vector<std::string> report;
        for (const std::string& rel : c.Moved)
            report.push_back("Moved to the trash: " + P(rel));
        EXPECT_EQ(Messages(), report);
        for (const std::string& rel : c.Moved)
            EXPECT_FALSE(fs::exists(P(rel))) << rel;
    }
}

TEST_F(CliTrash, ReferenceFilesCheckedByHandAreNeverMoved) {
    Scan(cmContent);
    Files.SetChecked(0, true);  // a/x, which is in the reference folder
    Files.SetChecked(1, false);
    EXPECT_EQ(Run({.Requested = true,
                   .Yes = true,
                   .TrashUnverified = true,
                   .Reference = {Tree.Path("s/a")}}),
              3);  // kept, whatever --trash-unverified says
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Kept, not verified (It lies in a reference folder.): " + P("a/x"),
                              "Moved to the trash: " + P("c/x")}));
    EXPECT_EQ(ReadWholeFile(P("a/x")), "same");
}

TEST_F(CliTrash, LinkReplacesVerifiedFilesAndSaysWhatItLeft) {
    Scan(cmContent);
    Tree.File("s/c/x", "SAME");  // changed after the scan
    EXPECT_EQ(Run({.Link = true}, "y\n"), 3);
    EXPECT_EQ(Out.Text(), "Replace 2 files with hard links? [y/N] \n");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  "Replaced with a hard link: " + P("b/x"),
                  "Kept, not verified (The kept copy is gone or differs now.): " + P("c/x")}));
    EXPECT_EQ(IdOf(P("b/x")), IdOf(P("a/x")));
    EXPECT_NE(IdOf(P("c/x")), IdOf(P("a/x")));
    EXPECT_EQ(ReadWholeFile(P("a/x")), "same");
    EXPECT_EQ(ReadWholeFile(P("c/x")), "SAME");
    EXPECT_EQ(Moved, 0);  // nothing went to the trash

    // Again, with b/x already a link of a/x.
    Host.Messages.clear();
    Files.SetChecked(2, false);
    EXPECT_EQ(Run({.Link = true, .Yes = true}), 0);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Already a hard link of its kept file: " + P("b/x")});
}

#ifndef _WIN32
// The program itself, with the trash of the freedesktop format inside the test's folder.
TEST(CliTrashProgram, TheRealTrashTheQuestionAndTheUsage) {
    TTempTree tree;
    for (const char* rel : {"s/a/x", "s/b/x"})
        tree.File(rel, "same");
    tree.File("s/a/y", "one!!");
    tree.File("s/b/y", "two!!");
    tree.Folder("data");
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + tree.Path("data")};
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "en", "-q", "--min-size-mb", "0"});
        args.push_back(tree.Path("s"));
        return RunProgram("twinseek-cli", args, env);
    };

    // No answer on standard input: nothing moves.
    TProcessResult r = cli({"--compare", "size", "--trash"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "Move 2 items to the trash? [y/N] \nNothing was moved.\n");
    EXPECT_FALSE(fs::exists(tree.Path("data/Trash")));

    // Size mode: b/x is a copy of a/x; the y files (the larger group, listed first) only
    // share a size.
    r = cli({"--compare", "size", "--trash", "--yes"});
    EXPECT_EQ(r.Status, 3) << r.Err;
    EXPECT_EQ(r.Err,
              "Kept, not verified (Its group was found by name or size, and the contents "
              "differ.): " +
                  tree.Path("s/b/y") + "\nMoved to the trash: " + tree.Path("s/b/x") + "\n");
    EXPECT_EQ(ReadWholeFile(tree.Path("data/Trash/files/x")), "same");
    EXPECT_NE(ReadWholeFile(tree.Path("data/Trash/info/x.trashinfo"))
                  .find("Path=" + tree.Path("s/b/x") + "\n"),
              std::string::npos);
    EXPECT_EQ(ReadWholeFile(tree.Path("s/a/x")), "same");
    EXPECT_EQ(ReadWholeFile(tree.Path("s/b/y")), "two!!");

    r = cli({"--compare", "size", "--trash", "--yes", "--trash-unverified"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadWholeFile(tree.Path("data/Trash/files/y")), "two!!");
    EXPECT_EQ(ReadWholeFile(tree.Path("s/a/y")), "one!!");

    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"--yes"}, std::vector<std::string>{"--trash-unverified"},
          std::vector<std::string>{"--trash", "--no-file-clones"},
          std::vector<std::string>{"--link", "--trash"},
          std::vector<std::string>{"--link", "--compare", "size"},
          std::vector<std::string>{"--keep", "biggest", "--trash"}}) {
        SCOPED_TRACE(usage[0]);
        r = cli(usage);
        EXPECT_EQ(r.Status, 2);
        EXPECT_TRUE(r.Out.empty());
    }
}
// A reference folder is scanned too, and its file is the one the others link to.
TEST(CliTrashProgram, LinkToAFileInAReferenceFolder) {
    TTempTree tree;
    tree.File("s/a/x", "same");
    tree.File("s/b/x", "same");
    tree.File("r/x", "same");
    const TProcessResult r =
        RunProgram("twinseek-cli", {"--lang", "en", "-q", "--min-size-mb", "0", "--link", "--yes",
                                    tree.Path("s"), "--reference", tree.Path("r")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "Replaced with a hard link: " + tree.Path("s/a/x") +
                         "\nReplaced with a hard link: " + tree.Path("s/b/x") + "\n");
    EXPECT_EQ(IdOf(tree.Path("s/a/x")), IdOf(tree.Path("r/x")));
    EXPECT_EQ(IdOf(tree.Path("s/b/x")), IdOf(tree.Path("r/x")));
}
#endif

}  // namespace
