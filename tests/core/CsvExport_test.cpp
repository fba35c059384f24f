#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include "core/CsvExport.h"
#include "platform/Console.h"
#include "support/Process.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

TEST(ExportListViewToCsv, BytesOfAFileWithQuotesAndCommas) {
    TTempTree tree;
    TMemoryResultList list{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    list.AddGroup(1, u"Group 1 (0.00 MB)");
    list.AddItem({u"1", {T("say \"hi\", ok.txt"), u"/tmp", u"0.00 MB"}, 1, false});
    list.AddItem({u"1", {u"b.txt", u"/tmp", u"0,50 MB"}, 1, true});
    list.AddItem({u"2", {T("caf\xc3\xa9")}, 2, true});  // fewer sub-items: not padded
    ExportListViewToCsv(list, tree.TextPath("out.csv"));
    EXPECT_EQ(ReadWholeFile(tree.Path("out.csv")),
              "\xEF\xBB\xBFGroup,File name,Directory,File size (MB)\r\n"
              "\"1\",\"say \"\"hi\"\", ok.txt\",\"/tmp\",\"0.00 MB\"\r\n"
              "\"1\",\"b.txt\",\"/tmp\",\"0,50 MB\"\r\n"
              "\"2\",\"caf\xc3\xa9\"\r\n");
}

TEST(ExportListViewToCsv, EmptyListTranslatedHeaderAndReplacedFile) {
    TTempTree tree;
    tree.File("out.csv", "old content that is longer than the new one");
    TMemoryResultList list{{u"Gruppe", u"Verzeichnis",
                            T("Gr\xc3\xb6\xc3\x9f"
                              "e, MB")}};
    ExportListViewToCsv(list, tree.TextPath("out.csv"));
    // Captions are written bare, a comma in one included.
    EXPECT_EQ(ReadWholeFile(tree.Path("out.csv")),
              "\xEF\xBB\xBFGruppe,Verzeichnis,Gr\xc3\xb6\xc3\x9f"
              "e, MB\r\n");
}

TEST(ExportListViewToCsv, NamesThatAreNotUtf8KeepTheirBytes) {
    TTempTree tree;
    TMemoryResultList list{{u"Group", u"Directory", u"Size"}};
    list.AddItem({u"1", {T("/x/caf\xe9"), u"0.00 MB"}, 1});
    ExportListViewToCsv(list, tree.TextPath("out.csv"));
    EXPECT_EQ(ReadWholeFile(tree.Path("out.csv")),
              "\xEF\xBB\xBFGroup,Directory,Size\r\n\"1\",\"/x/caf\xe9\",\"0.00 MB\"\r\n");
}

TEST(ExportListViewToCsv, APathThatCannotBeWrittenRaises) {
    TTempTree tree;
    tree.Folder("dir");
    TMemoryResultList list{{u"Group"}};
    EXPECT_THROW(ExportListViewToCsv(list, tree.TextPath("dir")), std::exception);
    EXPECT_THROW(ExportListViewToCsv(list, tree.TextPath("missing/out.csv")), std::exception);
}

#ifndef _WIN32
// The files of a folder other than the ones named, to show that no temporary file stayed.
std::vector<std::string> OtherFiles(const std::string& folder,
                                    std::initializer_list<std::string> known) {
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end())
            others.push_back(name);
    }
    return others;
}

TMemoryResultList LongList() {
    TMemoryResultList list{{u"Group", u"Directory", u"Size"}};
    for (int i = 0; i < 200; ++i)
        list.AddItem({u"1", {u"/some/longer/folder/name/to/fill/the/file", u"1.00 MB"}, 1});
    return list;
}

// A size limit below the new file's size: the export fails, or the process is ended by the
// limit's signal in the middle of the write; either way the old report is whole.
TEST(ExportListViewToCsv, AWriteThatFailsLeavesTheOldReportWhole) {
    const std::string old = "\xEF\xBB\xBFGroup,Directory,Size\r\n\"1\",\"/old\",\"5.00 MB\"\r\n";
    const TMemoryResultList list = LongList();
    ASSERT_GT(ListViewToCsv(list).size(), 4096u);
    const struct {
        const char* Name;
        bool IgnoreSignal;
        TChildEnd End;
    } cases[] = {{"the write fails", true, {true, 1, 0}},
                 {"the process ends", false, {false, -1, SIGXFSZ}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempTree tree;
        tree.File("report.csv", old);
        const Text target = tree.TextPath("report.csv");
        const TChildEnd end = RunForked([&] {
            if (c.IgnoreSignal)
                Platform::IgnoreOutputSignals();
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                ExportListViewToCsv(list, target);
            } catch (const std::exception&) {
                return 1;
            }
            return 0;
        });
        EXPECT_EQ(end.Exited, c.End.Exited);
        EXPECT_EQ(end.ExitStatus, c.End.ExitStatus);
        EXPECT_EQ(end.Signal, c.End.Signal);
        EXPECT_EQ(ReadWholeFile(tree.Path("report.csv")), old);
        const auto others = OtherFiles(tree.Root(), {"report.csv"});
        if (c.IgnoreSignal)
            EXPECT_TRUE(others.empty()) << others.front();  // the temporary file went
        else
            EXPECT_EQ(others.size(), 1u);  // a killed process leaves its temporary file only
    }
}

TEST(ExportListViewToCsv, TheReplacementKeepsPermissionsAndLinks) {
    TTempTree tree;
    TMemoryResultList list{{u"Group"}};
    const std::string csv = ListViewToCsv(list);
    tree.File("private.csv", "old");
    ASSERT_EQ(::chmod(tree.Path("private.csv").c_str(), 0600), 0);
    tree.File("real/report.csv", "old");
    tree.Link("link.csv", "real/report.csv");

    ExportListViewToCsv(list, tree.TextPath("private.csv"));
    ExportListViewToCsv(list, tree.TextPath("link.csv"));
    ExportListViewToCsv(list, tree.TextPath("new.csv"));

    struct stat info {};
    ASSERT_EQ(::stat(tree.Path("private.csv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadWholeFile(tree.Path("private.csv")), csv);
    ASSERT_EQ(::lstat(tree.Path("link.csv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadWholeFile(tree.Path("real/report.csv")), csv);
    EXPECT_EQ(ReadWholeFile(tree.Path("new.csv")), csv);
    EXPECT_TRUE(OtherFiles(tree.Root(), {"private.csv", "real", "link.csv", "new.csv"}).empty());
    EXPECT_TRUE(OtherFiles(tree.Path("real"), {"report.csv"}).empty());
}

// A pipe in the report's place is written into, not replaced by a file.
TEST(ExportListViewToCsv, APipeIsWrittenInto) {
    TTempTree tree;
    const std::string fifo = tree.Path("pipe.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string received;
    std::thread reader([&] { received = ReadWholeFile(fifo); });
    TMemoryResultList list{{u"Group"}};
    EXPECT_NO_THROW(ExportListViewToCsv(list, tree.TextPath("pipe.csv")));
    reader.join();
    EXPECT_EQ(received, ListViewToCsv(list));
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}
#endif

}  // namespace
