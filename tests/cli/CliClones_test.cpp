#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "support/Process.h"
#include "support/TempTree.h"

namespace {

TProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "en", "-q"});
    return RunProgram("twinseek-cli", args);
}

// a/x.txt and b/x.txt: same content; a/y.txt: same size, other content; b/Y.TXT: other size.
class CliClones : public ::testing::Test {
protected:
    TTempTree Tree;
    std::string A, B;
    CliClones() {
        Tree.File("a/x.txt", "hello");
        Tree.File("b/x.txt", "hello");
        Tree.File("a/y.txt", "world");
        Tree.File("b/Y.TXT", "other size");
        A = Tree.Path("a");
        B = Tree.Path("b");
    }
};

TEST_F(CliClones, EachModeFindsItsGroups) {
    struct TCase {
        const char* mode;
        std::string out;
    } cases[] = {
        {"content", "Group 1 (0.00 MB)\n[ ]\t1\tx.txt\t" + A + "\t0.00 MB\n[x]\t1\tx.txt\t" + B +
                        "\t0.00 MB\n"},
        {"name", "Group 1 (0.00 MB)\n[ ]\t1\ty.txt\t" + A + "\t0.00 MB\n[x]\t1\tY.TXT\t" + B +
                     "\t0.00 MB\nGroup 2 (0.00 MB)\n[ ]\t2\tx.txt\t" + A +
                     "\t0.00 MB\n[x]\t2\tx.txt\t" + B + "\t0.00 MB\n"},
        {"name-size", "Group 1 (0.00 MB)\n[ ]\t1\tx.txt\t" + A + "\t0.00 MB\n[x]\t1\tx.txt\t" + B +
                          "\t0.00 MB\n"},
        {"size", "Group 1 (0.00 MB)\n[ ]\t1\tx.txt\t" + A + "\t0.00 MB\n[x]\t1\ty.txt\t" + A +
                     "\t0.00 MB\n"
                     "[x]\t1\tx.txt\t" +
                     B + "\t0.00 MB\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.mode);
        const TProcessResult r = Cli({"--compare", c.mode, "--min-size-mb", "0", A, B});
        EXPECT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(r.Out, c.out);
    }
}

TEST_F(CliClones, CsvIsByteExactAndTheFoldersListIsWrittenEvenWhenNotFilled) {
    const TProcessResult r = Cli({"--min-size-mb", "0", "--files-csv", Tree.Path("f.csv"),
                                  "--folders-csv", Tree.Path("d.csv"), A, B});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadWholeFile(Tree.Path("f.csv")),
              "\xEF\xBB\xBFGroup,File name,Directory,File size (MB)\r\n"
              "\"1\",\"x.txt\",\"" +
                  A +
                  "\",\"0.00 MB\"\r\n"
                  "\"1\",\"x.txt\",\"" +
                  B + "\",\"0.00 MB\"\r\n");
    EXPECT_EQ(ReadWholeFile(Tree.Path("d.csv")), "\xEF\xBB\xBFGroup,Directory,Size\r\n");
}

TEST_F(CliClones, ACsvPathThatCannotBeWrittenIsAnError) {
    const TProcessResult r =
        Cli({"--min-size-mb", "0", "--files-csv", Tree.Path("no/such/f.csv"), A});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("Error: ", 0), 0u);
}

TEST_F(CliClones, SequentialAndParallelHashingGiveIdenticalOutput) {
    for (int i = 0; i < 60; ++i) {
        Tree.File("many/d" + std::to_string(i % 7) + "/f" + std::to_string(i),
                  std::string(50 + i % 5, 'a' + i % 3));
    }
    const std::string many = Tree.Path("many");
    const TProcessResult parallel = Cli(
        {"--min-size-mb", "0", "--max-groups", "0", "--files-csv", Tree.Path("p.csv"), many, A, B});
    const TProcessResult sequential = Cli({"--sequential", "--min-size-mb", "0", "--max-groups",
                                           "0", "--files-csv", Tree.Path("s.csv"), many, A, B});
    EXPECT_EQ(parallel.Status, 0);
    EXPECT_EQ(sequential.Status, 0);
    EXPECT_FALSE(parallel.Out.empty());
    EXPECT_EQ(parallel.Out, sequential.Out);
    EXPECT_EQ(ReadWholeFile(Tree.Path("p.csv")), ReadWholeFile(Tree.Path("s.csv")));
}

TEST_F(CliClones, NamesAreWrittenWithTheirOwnBytes) {
    const char* names[] = {
        "caf\xc3\xa9 \xf0\x9f\x93\xb7.bin",  // UTF-8, with a character beyond 16 bits
#ifndef _WIN32
        // Not UTF-8. Windows names are UTF-16; an unpaired surrogate, the counterpart there,
        // is a name wine cannot create.
        "caf\xe9.bin",
#endif
    };
    for (const std::string name : names) {
        SCOPED_TRACE(name);
        Tree.File("n/" + name, "same bytes");
        Tree.File("n/copy/" + name, "same bytes");
        const TProcessResult r = Cli({"--min-size-mb", "0", Tree.Path("n")});
        EXPECT_EQ(r.Status, 0);
        EXPECT_NE(r.Out.find("\t" + name + "\t" + Tree.Path("n/copy") + "\t"), std::string::npos)
            << r.Out;
        Tree.Remove("n");
    }
}

// Windows: a child gets Ctrl+C only through a console it shares; wine, run without one,
// cannot make one here, and its GenerateConsoleCtrlEvent fails.
#ifndef _WIN32
// "Stopping..." comes when Ctrl+C sets the flag, before the phase's own stopping text.
TEST_F(CliClones, CtrlCStopsAndStillPrintsAndExports) {
    // Two large sparse files of one size: hashing them takes far longer than the wait.
    for (const char* name : {"big/one", "big/two"})
        Tree.SparseFile(name, std::uint64_t{64} << 30);
    for (const bool sequential : {false, true}) {
        SCOPED_TRACE(sequential ? "sequential" : "parallel");
        std::vector<std::string> args{
            "--lang",        "en", "--min-size-mb", "0", "--files-csv", Tree.Path("c.csv"),
            Tree.Path("big")};
        if (sequential)
            args.push_back("--sequential");
        const TProcessResult r = RunProgram("twinseek-cli", args, {}, 400);
        EXPECT_EQ(r.Status, 130);
        const std::size_t stopping = r.Err.find("Stopping...\n");
        ASSERT_NE(stopping, std::string::npos) << r.Err;
        EXPECT_EQ(r.Err.find("Stopping...\n", stopping + 1), std::string::npos) << r.Err;
        if (!sequential) {
            const std::size_t own = r.Err.find("Stopping SHA-1 hashing... ");
            ASSERT_NE(own, std::string::npos) << r.Err;
            EXPECT_LT(stopping, own) << r.Err;
        }
        EXPECT_EQ(ReadWholeFile(Tree.Path("c.csv")),
                  "\xEF\xBB\xBFGroup,File name,Directory,File size (MB)\r\n");
    }
}

// A file name with a line break and tabs cannot forge a checked row, and escape sequences
// in names do not reach the terminal; the CSV keeps the real names.
TEST_F(CliClones, NamesCannotForgeRowsOrReachTheTerminalRaw) {
    const std::string forged = "x\n[x]\t1\timportant.doc\t.\t1.43 MB";
    const std::string folder = "e\x1b[2J";
    for (const std::string& name :
         {forged, std::string("red\x1b[31m"), std::string("back\\slash")}) {
        Tree.File(folder + "/" + name, "1");
        Tree.File(folder + "/copy/" + name, "2");
    }
    // The folder as printed, with and without its trailing separator.
    const std::string e = Tree.Path("e") + "\\x1b[2J", copy = e + "/copy";
    const TProcessResult r =
        RunProgram("twinseek-cli", {"--lang", "en", "--compare", "name", "--min-size-mb", "0",
                                    "--files-csv", Tree.Path("e.csv"), Tree.Path(folder)});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out,
              "Group 1 (0.00 MB)\n"
              "[ ]\t1\tback\\\\slash\t" +
                  e +
                  "\t0.00 MB\n"
                  "[x]\t1\tback\\\\slash\t" +
                  copy +
                  "\t0.00 MB\n"
                  "Group 2 (0.00 MB)\n"
                  "[ ]\t2\tred\\x1b[31m\t" +
                  copy +
                  "\t0.00 MB\n"
                  "[x]\t2\tred\\x1b[31m\t" +
                  e +
                  "\t0.00 MB\n"
                  "Group 3 (0.00 MB)\n"
                  "[ ]\t3\tx\\n[x]\\t1\\timportant.doc\\t.\\t1.43 MB\t" +
                  copy +
                  "\t0.00 MB\n"
                  "[x]\t3\tx\\n[x]\\t1\\timportant.doc\\t.\\t1.43 MB\t" +
                  e + "\t0.00 MB\n");
    EXPECT_EQ(r.Err,
              "Scanning folders...\n"
              "Scanning folder list: " +
                  e +
                  "/   [*.*]\n"
                  "Scanning: " +
                  e +
                  "/back\\\\slash (1/6)\n"
                  "Scanning: " +
                  e +
                  "/x\\n[x]\\t1\\timportant.doc\\t.\\t1.43 MB (6/6)\n"
                  "Found 6 files (after filters).\n"
                  "Duplicate file groups populated.\n"
                  "  Done.\n");
    const std::string csv = ReadWholeFile(Tree.Path("e.csv"));
    EXPECT_NE(csv.find("\"" + forged + "\",\"" + Tree.Path(folder) + "\""), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\"red\x1b[31m\""), std::string::npos) << csv;
}

// A scan that ends in an error leaves the reports of an earlier run as they were. The
// error: as the user nobody with a limit of one process, no hashing worker can start.
TEST_F(CliClones, AScanThatFailsLeavesTheCsvFilesAlone) {
    if (!RunningAsRoot())
        GTEST_SKIP() << "needs root to run as nobody";
    ASSERT_EQ(::chmod(Tree.Root().c_str(), 0777), 0);
    for (const char* name : {"f.csv", "d.csv"}) {
        Tree.File(name, "old report");
        ASSERT_EQ(::chmod(Tree.Path(name).c_str(), 0666), 0);
    }
    const std::string cli = BinFolder() + "/twinseek-cli";
    const std::vector<std::string> args{cli,
                                        "--lang",
                                        "en",
                                        "-q",
                                        "--min-size-mb",
                                        "0",
                                        "--files-csv",
                                        Tree.Path("f.csv"),
                                        "--folders-csv",
                                        Tree.Path("d.csv"),
                                        A,
                                        B};
    const std::string err = Tree.Path("err.txt");
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 2);
        const rlimit one{1, 1};
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0 ||
            ::setrlimit(RLIMIT_NPROC, &one) != 0)
            ::_exit(99);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(cli.c_str(), argv.data());
        ::_exit(98);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << ReadWholeFile(err);
    EXPECT_EQ(ReadWholeFile(err).rfind("Error: ", 0), 0u) << ReadWholeFile(err);
    EXPECT_EQ(ReadWholeFile(Tree.Path("f.csv")), "old report");
    EXPECT_EQ(ReadWholeFile(Tree.Path("d.csv")), "old report");
}
#endif

}  // namespace
