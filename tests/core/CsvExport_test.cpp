#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/CsvExport.h"
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

}  // namespace
