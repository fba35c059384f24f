#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

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
TEST_F(CliClones, CtrlCStopsAndStillPrintsAndExports) {
    // Two large sparse files of one size: hashing them takes long enough to interrupt.
    for (const char* name : {"big/one", "big/two"})
        Tree.SparseFile(name, 1LL << 30);
    const TProcessResult r = RunProgram(
        "twinseek-cli",
        {"--lang", "en", "--min-size-mb", "0", "--files-csv", Tree.Path("c.csv"), Tree.Path("big")},
        {}, 400);
    EXPECT_EQ(r.Status, 130);
    EXPECT_NE(r.Err.find("Stopping...\n"), std::string::npos) << r.Err;
    EXPECT_EQ(ReadWholeFile(Tree.Path("c.csv")),
              "\xEF\xBB\xBFGroup,File name,Directory,File size (MB)\r\n");
}
#endif

}  // namespace
