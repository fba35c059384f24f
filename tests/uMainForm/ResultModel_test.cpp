#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>

#include "core/FileInfo.h"
#include "core/ResultList.h"
#include "core/ResultRows.h"
#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uMainForm/GroupTitle.h"
#include "uMainForm/ListSummary.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/RowOrder.h"

namespace {

// A row with texts of its own.
TListItem Item(int groupId, std::u16string name, bool checked = false) {
    return TListItem(groupId < 0 ? u"" : std::u16string(1, char16_t(u'0' + groupId)),
                     {name, u"/dir", u"0.00 MB"}, groupId, checked);
}

// A row of a record, as AddFileGroup makes it.
TListItem FileItem(int groupId, const TFileInfo* record, bool checked = false) {
    TListItem item;
    item.GroupId = groupId;
    item.Checked = checked;
    item.Data = record;
    return item;
}

class ResultModelTest : public testing::Test {
protected:
    TResultModel Model{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    QAbstractItemModelTester Tester{&Model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    // Two groups inside one update bracket, as the listings write them.
    void FillTwoGroups() {
        TListUpdateGuard update(Model);
        Model.AddGroup(1, u"Group 1 (3.00 MB)");
        Model.AddItem(Item(1, u"a.bin"));
        Model.AddItem(Item(1, u"b.bin", true));
        Model.AddItem(Item(1, u"c.bin", true));
        Model.AddGroup(2, u"Group 2 (1.00 MB)");
        Model.AddItem(Item(2, u"d.bin"));
        Model.AddItem(Item(2, u"e.bin", true));
    }
    QString Name(int group, int row) const {
        return Model.index(row, 1, Model.index(group, 0)).data().toString();
    }
};

TEST_F(ResultModelTest, GroupsAreHeaderRowsWithTheirItemsAsChildren) {
    FillTwoGroups();
    ASSERT_EQ(Model.rowCount(), 2);
    const QModelIndex first = Model.index(0, 0);
    EXPECT_EQ(first.data().toString(), "Group 1 (3.00 MB)");
    EXPECT_TRUE(first.data(TResultModel::GroupRowRole).toBool());
    EXPECT_FALSE(Model.flags(first) & Qt::ItemIsSelectable);
    ASSERT_EQ(Model.rowCount(first), 3);
    ASSERT_EQ(Model.rowCount(Model.index(1, 0)), 2);
    EXPECT_EQ(Name(0, 2), "c.bin");
    EXPECT_EQ(Name(1, 0), "d.bin");
    const QModelIndex e = Model.index(1, 0, Model.index(1, 0));
    EXPECT_EQ(e.data().toString(), "2");
    EXPECT_EQ(Model.index(1, 2, Model.index(1, 0)).data().toString(), "/dir");
    EXPECT_EQ(Model.parent(e), Model.index(1, 0));
    EXPECT_EQ(e.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(Model.flags(e) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(Model.ItemIndexOf(e), 4);
    EXPECT_EQ(Model.ItemIndexOf(first), -1);
    EXPECT_EQ(Model.IndexOfItem(4), e);
    EXPECT_EQ(Model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "File size (MB)");
}

TEST_F(ResultModelTest, AnUpdateBracketShowsNothingUntilItsOutermostEndThenOneReset) {
    QSignalSpy resets(&Model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&Model, &QAbstractItemModel::rowsInserted);
    Model.BeginUpdate();
    {
        TListUpdateGuard inner(Model);
        Model.AddGroup(1, u"Group 1");
        for (int i = 0; i < 1000; ++i)
            Model.AddItem(Item(1, u"x"));
    }
    EXPECT_EQ(Model.rowCount(), 0);
    EXPECT_EQ(resets.count(), 0);
    Model.EndUpdate();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_EQ(Model.rowCount(Model.index(0, 0)), 1000);
}

TEST_F(ResultModelTest, AppendsOutsideABracketAreAnnouncedAsInsertedRows) {
    FillTwoGroups();
    QSignalSpy inserts(&Model, &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(&Model, &QAbstractItemModel::modelReset);
    Model.AddItem(Item(2, u"f.bin"));
    Model.AddGroup(3, u"Group 3");
    Model.AddItem(Item(3, u"g.bin"));
    EXPECT_EQ(inserts.count(), 3);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(Name(1, 2), "f.bin");
    EXPECT_EQ(Name(2, 0), "g.bin");
    // An item for an earlier group lands among that group's rows.
    Model.AddItem(Item(1, u"h.bin"));
    QCoreApplication::processEvents();
    EXPECT_EQ(Name(0, 3), "h.bin");
    EXPECT_EQ(Model.ItemIndexOf(Model.index(3, 0, Model.index(0, 0))), 7);
}

TEST_F(ResultModelTest, RemovalsOutsideABracketArePublishedOnceAtTheNextEventLoopTurn) {
    FillTwoGroups();
    QSignalSpy resets(&Model, &QAbstractItemModel::modelReset);
    for (int i = Model.ItemCount() - 1; i >= 0; --i)
        if (Model.ItemAt(i).Checked)
            Model.DeleteItem(i);
    EXPECT_TRUE(Model.Pending());
    // A click on a check box of the outdated rows must not hit another item.
    EXPECT_FALSE(
        Model.setData(Model.index(0, 0, Model.index(0, 0)), Qt::Checked, Qt::CheckStateRole));
    QCoreApplication::processEvents();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_FALSE(Model.Pending());
    ASSERT_EQ(Model.rowCount(), 2);
    EXPECT_EQ(Model.rowCount(Model.index(0, 0)), 1);
    EXPECT_EQ(Model.rowCount(Model.index(1, 0)), 1);
    EXPECT_EQ(Name(1, 0), "d.bin");

    // Emptying the list the way a new scan does: items, then every group.
    Model.ClearItems();
    ClearListGroups(Model);
    QCoreApplication::processEvents();
    EXPECT_EQ(resets.count(), 2);
    EXPECT_EQ(Model.rowCount(), 0);
}

TEST_F(ResultModelTest, AGroupLeftEmptyKeepsItsHeader) {
    FillTwoGroups();
    Model.DeleteItem(4);
    Model.DeleteItem(3);
    Model.Publish();
    ASSERT_EQ(Model.rowCount(), 2);
    EXPECT_EQ(Model.index(1, 0).data().toString(), "Group 2 (1.00 MB)");
    EXPECT_EQ(Model.rowCount(Model.index(1, 0)), 0);
}

TEST_F(ResultModelTest, ACheckBoxClickChangesTheItemAndAProgramChangeShowsAtOnce) {
    FillTwoGroups();
    QSignalSpy changes(&Model, &QAbstractItemModel::dataChanged);
    const QModelIndex a = Model.index(0, 0, Model.index(0, 0));
    ASSERT_TRUE(Model.setData(a, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(Model.ItemAt(0).Checked);
    Model.SetChecked(1, false);
    EXPECT_EQ(Model.index(1, 0, Model.index(0, 0)).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[1][0].value<QModelIndex>(), Model.index(1, 0, Model.index(0, 0)));
    // Only the first column carries the box.
    EXPECT_FALSE(
        Model.setData(Model.index(0, 1, Model.index(0, 0)), Qt::Checked, Qt::CheckStateRole));
}

TEST_F(ResultModelTest, TheSelectedItemIsAnItemIndexAndFollowsDeletions) {
    FillTwoGroups();
    QItemSelectionModel* selection = Model.SelectionModel();
    selection->setCurrentIndex(Model.index(0, 0, Model.index(1, 0)),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(Model.SelectedIndex(), 3);
    Model.DeleteItem(1);  // an item before it
    EXPECT_EQ(Model.SelectedIndex(), 2);
    Model.Publish();
    // The view's selection is put back on the same item.
    const QModelIndexList rows = selection->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(Model.ItemIndexOf(rows.first()), 2);
    selection->clearSelection();
    EXPECT_EQ(Model.SelectedIndex(), -1);
    Model.DeleteItem(2);
    EXPECT_EQ(Model.SelectedIndex(), -1);
}

TEST_F(ResultModelTest, ItemsOfNoListedGroupAreTopLevelRowsAfterTheHeaders) {
    FillTwoGroups();
    Model.AddItem(Item(-1, u"loose.bin"));
    Model.AddItem(Item(9, u"other.bin"));
    ASSERT_EQ(Model.rowCount(), 4);
    EXPECT_EQ(Model.index(2, 1).data().toString(), "loose.bin");
    EXPECT_EQ(Model.index(3, 1).data().toString(), "other.bin");
    EXPECT_FALSE(Model.index(3, 0).data(TResultModel::GroupRowRole).toBool());
    EXPECT_EQ(Model.ItemIndexOf(Model.index(3, 0)), 6);
    // Once its group exists, the item moves under it.
    Model.AddGroup(9, u"Group 9");
    QCoreApplication::processEvents();
    ASSERT_EQ(Model.rowCount(), 4);
    EXPECT_EQ(Model.rowCount(Model.index(2, 0)), 1);
    EXPECT_EQ(Name(2, 0), "other.bin");
    EXPECT_EQ(Model.index(3, 1).data().toString(), "loose.bin");
}

// Three groups of files with their records, as a scan lists them: the names in every group
// out of order, so that a sort has something to do.
class SortAndFilterTest : public ResultModelTest {
protected:
    SortAndFilterTest() {
        const std::vector<std::vector<const char*>> groups = {
            {"/Photos/img10.jpg", "/photos/IMG2.jpg", "/Backup/img1.jpg"},
            {"/docs/b.txt", "/mail/a.txt"},
            {"/x/c.bin", "/y/C.bin", "/z/a.bin"},
        };
        TListUpdateGuard update(Model);
        int id = 1;
        for (const auto& paths : groups) {
            Model.AddGroup(id, u"Group");
            for (const char* path : paths) {
                Records.Add(Platform::Utf8ToText(path));
                Model.AddItem(FileItem(id, Records.back(), path != paths.front()));
            }
            ++id;
        }
    }
    // The names of each group as shown, "|" between groups.
    std::string Shown() const {
        std::string shown;
        for (int g = 0; g < Model.rowCount(); ++g) {
            if (g > 0)
                shown += '|';
            for (int r = 0; r < Model.rowCount(Model.index(g, 0)); ++r)
                shown += (r > 0 ? " " : "") + Name(g, r).toStdString();
        }
        return shown;
    }
    std::string Marks() const {
        std::string marks;
        for (int g = 0; g < Model.rowCount(); ++g)
            for (int r = 0; r < Model.rowCount(Model.index(g, 0)); ++r)
                marks += Model.index(r, 0, Model.index(g, 0)).data(Qt::CheckStateRole).toInt() ==
                                 Qt::Checked
                             ? 'x'
                             : '.';
        return marks;
    }
    TFileList Records;
};

TEST_F(SortAndFilterTest, RowsSortInsideTheirGroupsAndTheItemsKeepTheirOrder) {
    const std::string listed = "img10.jpg IMG2.jpg img1.jpg|b.txt a.txt|c.bin C.bin a.bin";
    EXPECT_EQ(Shown(), listed);
    struct TCase {
        int Column;
        Qt::SortOrder Order;
        const char* Shown;
        const char* Marks;
    } cases[] = {
        // Numbers by value, letters without case, equal texts by their code units.
        {1, Qt::AscendingOrder, "img1.jpg IMG2.jpg img10.jpg|a.txt b.txt|a.bin C.bin c.bin",
         "xx.x.xx."},
        {1, Qt::DescendingOrder, "img10.jpg IMG2.jpg img1.jpg|b.txt a.txt|c.bin C.bin a.bin",
         ".xx.x.xx"},
        {0, Qt::AscendingOrder, listed.c_str(), ".xx.x.xx"},
        // The records' directories; "/Photos" and "/photos" by their code units.
        {2, Qt::AscendingOrder, "img1.jpg img10.jpg IMG2.jpg|b.txt a.txt|c.bin C.bin a.bin",
         "x.x.x.xx"},
        {2, Qt::DescendingOrder, "IMG2.jpg img10.jpg img1.jpg|a.txt b.txt|a.bin C.bin c.bin",
         "x.xx.xx."},
        {-1, Qt::AscendingOrder, listed.c_str(), ".xx.x.xx"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Column << " " << c.Order);
        Model.sort(c.Column, c.Order);
        EXPECT_EQ(Shown(), c.Shown);
        EXPECT_EQ(Marks(), c.Marks);  // marks go with their rows
        EXPECT_EQ(Model.index(0, 0).data().toString(), "Group");
    }
    // The list itself, which the commands and the export read, keeps the listing order.
    EXPECT_EQ(ItemText(Model.ItemAt(0), 1), u"img10.jpg");
    EXPECT_EQ(ItemText(Model.ItemAt(2), 1), u"img1.jpg");
}

TEST_F(SortAndFilterTest, TheSelectionFollowsItsRowsThroughASortAndAFilter) {
    QItemSelectionModel* selection = Model.SelectionModel();
    // IMG2.jpg (item 1) current, img1.jpg (item 2) selected with it.
    selection->select(Model.IndexOfItem(2),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(Model.IndexOfItem(1),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(Model.SelectedIndex(), 1);
    EXPECT_EQ(Model.SelectedItems(), (std::vector<int>{1, 2}));
    Model.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(Model.ItemIndexOf(selection->currentIndex()), 1);
    EXPECT_EQ(Model.SelectedItems(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Model.SelectedIndex(), 1);

    Model.SetFilter(QStringLiteral("photos"));
    EXPECT_EQ(Model.SelectedItems(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Model.SelectedIndex(), 1);
    Model.SetFilter(QStringLiteral("mail"));  // hides both
    EXPECT_TRUE(Model.SelectedItems().empty());
    EXPECT_EQ(Model.SelectedIndex(), -1);
}

TEST_F(SortAndFilterTest, TheFilterShowsWholeGroupsWithARowWhosePathHoldsTheText) {
    struct TCase {
        const char* Filter;
        const char* Shown;
    } cases[] = {
        {"PHOTOS", "img10.jpg IMG2.jpg img1.jpg"},  // letter case ignored
        {"/mail/", "b.txt a.txt"},
        {"a.", "b.txt a.txt|c.bin C.bin a.bin"},
        {"dir", ""},  // the Directory column is not the path
        {"", "img10.jpg IMG2.jpg img1.jpg|b.txt a.txt|c.bin C.bin a.bin"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Filter);
        Model.SetFilter(QString::fromUtf8(c.Filter));
        EXPECT_EQ(Shown(), c.Shown);
    }

    // With a filter and a sort, a mark on a hidden item changes it and nothing shown; items
    // removed and added meanwhile show as the filter and the sort say.
    Model.SetFilter(QStringLiteral("/x/"));
    Model.sort(1, Qt::AscendingOrder);
    EXPECT_EQ(Shown(), "a.bin C.bin c.bin");
    EXPECT_FALSE(Model.IsShown(0));
    EXPECT_EQ(Model.ShownGroupCount(), 1);
    Model.SetChecked(0, true);
    EXPECT_TRUE(Model.ItemAt(0).Checked);
    Model.DeleteItem(7);  // a.bin
    Records.Add(u"/x/b.bin");
    Model.AddItem(FileItem(3, Records.back()));
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(), "b.bin C.bin c.bin");
}

TEST_F(ResultModelTest, HeadersAreWrittenAgainInTheLanguageThatIsCurrent) {
    TranslationTable = {{u"English", u"en", u"Group %d (%s)", u" MB"},
                        {u"Magyar", u"hu", u"%d. csoport (%s)", u" MB"},
                        {u"Fran\u00E7ais", u"fr", u"Groupe %d (%s)", u" Mo"}};
    CurrentLanguageIndex = 1;
    Model.AddGroup(1, u"1. csoport (2.50 MB)");
    Model.AddGroup(2, u"not a header of ours");
    Model.AddItem(Item(1, u"a.bin"));
    CurrentLanguageIndex = 2;
    Model.AddGroup(3, u"Groupe 3 (0,01 Mo)");
    Model.RetitleGroups();
    QCoreApplication::processEvents();
    EXPECT_EQ(Model.index(0, 0).data().toString(), "Groupe 1 (2.50 Mo)");
    EXPECT_EQ(Model.index(1, 0).data().toString(), "not a header of ours");
    EXPECT_EQ(Model.index(2, 0).data().toString(), "Groupe 3 (0,01 Mo)");
    CurrentLanguageIndex = 0;
    Model.RetitleGroups();
    EXPECT_EQ(Model.GroupAt(0).Header, u"Group 1 (2.50 MB)");
    EXPECT_EQ(Model.GroupAt(2).Header, u"Group 3 (0,01 MB)");

    // Right to left, sizes and paths are left-to-right runs; the list keeps the bare texts.
    Model.SetLeftToRightData(true);
    EXPECT_EQ(Model.index(0, 0).data().toString(), "Group 1 (\u20662.50 MB\u2069)");
    EXPECT_EQ(Model.index(0, 2, Model.index(0, 0)).data().toString(), "\u2066/dir\u2069");
    EXPECT_EQ(ItemText(Model.ItemAt(0), 2), u"/dir");
    ResetTranslations();
}

// Rows listed in one language show their sizes in the language switched to, as their headers
// do: file rows because they make their texts when shown, folder rows rewritten in place.
TEST(ResultModelLanguage, ListedSizesFollowALiveSwitch) {
    TranslationTable = {{u"English", u"en", u"Group %d (%s)", u" MB"},
                        {u"Fran\u00E7ais", u"fr", u"Groupe %d (%s)", u" Mo"}};
    CurrentLanguageIndex = 0;
    TFileList records;
    TResultModel files({u"Group", u"File name", u"Directory", u"File size (MB)"});
    TResultModel dirs({u"Group", u"Directory", u"Size"}, TItemPath::ipFirstSubItem);
    int groupNo = 1;
    AddFileGroup(files, {records.Add(u"/a/x.bin", 1572864), records.Add(u"/b/x.bin", 1572864)},
                 3145728, groupNo);
    groupNo = 1;
    AddDirGroup(dirs, {u"/a", u"/b MB"}, {1572864, 1572864}, 3145728, groupNo);
    dirs.AddItem({u"1", {u"/c", u"not a size MB"}, 1});
    QCoreApplication::processEvents();
    const auto sizes = [](const TResultModel& list) {
        std::vector<QString> shown;
        const QModelIndex header = list.index(0, 0);
        for (int r = 0; r < list.rowCount(header); ++r)
            shown.push_back(list.index(r, list.columnCount() - 1, header).data().toString());
        return shown;
    };
    // 1.5 MB as the lists write it with a unit, and the locale's separator.
    const QString sep = Q(FormatSizeMB(0)).mid(1, 1);
    const QString size = "1" + sep + "50";
    const auto both = [&](const char* unit) {
        return std::vector<QString>{size + unit, size + unit};
    };
    const auto withOther = [&](const char* unit) {
        return std::vector<QString>{size + unit, size + unit, "not a size MB"};
    };
    EXPECT_EQ(sizes(files), both(" MB"));
    EXPECT_EQ(sizes(dirs), withOther(" MB"));

    CurrentLanguageIndex = 1;
    files.RetitleGroups();
    dirs.RetitleGroups();
    EXPECT_EQ(files.index(0, 0).data().toString(), "Groupe 1 (3" + sep + "00 Mo)");
    EXPECT_EQ(sizes(files), both(" Mo"));
    // Only the size column, and only a size: a path or another text keeps its letters.
    EXPECT_EQ(sizes(dirs), withOther(" Mo"));
    EXPECT_EQ(ItemText(dirs.ItemAt(1), 1), u"/b MB");
    // The export and the listing read the same texts.
    EXPECT_EQ(ItemText(files.ItemAt(0), 3), ToText(sizes(files)[0]));

    CurrentLanguageIndex = 0;
    dirs.RetitleGroups();
    EXPECT_EQ(sizes(dirs), withOther(" MB"));
    ResetTranslations();
}

TEST(GroupTitle, ParsedOnlyWhenTheTextIsMadeOfThePattern) {
    struct TCase {
        const char* Header;
        const char* Pattern;
        const char* Unit;
        bool Parsed;
        std::int64_t Number;
        const char* Size;
    } cases[] = {
        {"Group 12 (3.45 MB)", "Group %d (%s)", " MB", true, 12, "3.45"},
        {"7. csoport (0.01 MB)", "%d. csoport (%s)", " MB", true, 7, "0.01"},
        {"(1,50 Mo) groupe 3", "(%s) groupe %d", " Mo", false, 0, ""},  // the listings' order
        {"Group 1 (%d MB)", "Group %d (%s)", " MB", true, 1, "%d"},
        {"Group 12 (3.45 MB)", "Group %d (%s)", " Mo", false, 0, ""},  // another unit
        {"Group x (3.45 MB)", "Group %d (%s)", " MB", false, 0, ""},
        {"Gruppe 1 (3.45 MB)", "Group %d (%s)", " MB", false, 0, ""},
        {"Group 1 (3.45 MB)", "Group %d", " MB", false, 0, ""},  // a broken pattern
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Header + std::string(" / ") + c.Pattern);
        const TTitleTexts texts{Platform::Utf8ToText(c.Pattern), Platform::Utf8ToText(c.Unit)};
        const auto title = ParseGroupTitle(Platform::Utf8ToText(c.Header), texts);
        ASSERT_EQ(title.has_value(), c.Parsed);
        if (!title)
            continue;
        EXPECT_EQ(title->Number, c.Number);
        EXPECT_EQ(title->Size, Platform::Utf8ToText(c.Size));
        EXPECT_EQ(FormatGroupTitle(*title, texts), Platform::Utf8ToText(c.Header));
    }
}

TEST(NaturalCompare, NumbersByValueLettersWithoutCase) {
    struct TCase {
        const char16_t* A;
        const char16_t* B;
        int Order;
    } cases[] = {
        {u"img2", u"img10", -1},       {u"IMG2", u"img10", -1},     {u"a", u"B", -1},
        {u"4.11 MB", u"12.00 MB", -1}, {u"0.50 MB", u"0.05 MB", 1}, {u"x007", u"x7", -1},
        {u"abc", u"abc", 0},           {u"ab", u"abc", -1},         {u"A", u"a", -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(Platform::TextToUtf8(c.A) + " " + Platform::TextToUtf8(c.B));
        EXPECT_EQ(NaturalCompare(c.A, c.B), c.Order);
        EXPECT_EQ(NaturalCompare(c.B, c.A), -c.Order);
    }
}

TEST(ListSummary, SpaceToFreeCountsEachFileOnceAndFoldersWithoutWhatTheyHold) {
    TFileList records;
    TFileInfo& big = *records.Add(u"/a/big", 3 * 1048576);
    TFileInfo& small = *records.Add(u"/b/small", 1000);
    TResultModel files({u"Group", u"File name", u"Directory", u"File size (MB)"});
    const auto file = FileItem;
    files.AddGroup(1, u"Group 1");
    files.AddItem(file(1, &big, false));
    files.AddItem(file(1, &big, true));  // the same record twice counts once
    files.AddItem(file(1, &big, true));
    files.AddGroup(2, u"Group 2");
    files.AddItem(file(2, &small, true));  // every row of the group checked
    QCoreApplication::processEvents();
    TListSummary summary = SummarizeList(files, 5);
    EXPECT_EQ(summary.Groups, 2);
    EXPECT_EQ(summary.Rows, 4);
    EXPECT_EQ(summary.Checked, 3);
    EXPECT_EQ(summary.BytesToFree, 3 * 1048576 + 1000);
    EXPECT_EQ(summary.GroupsAllChecked, 1);
    EXPECT_EQ(SummaryText(summary),
              u"2 of 5 groups shown  \u00B7  Rows: 4  \u00B7  Checked: 3 (3.00 MB to free)  "
              u"\u00B7  Groups with every row checked: 1");
    files.SetFilter(QStringLiteral("/a/"));
    summary = SummarizeList(files, 2);
    EXPECT_EQ(summary.CheckedHidden, 1);
    EXPECT_EQ(SummaryText(summary),
              u"Groups: 2  \u00B7  Rows: 4  \u00B7  Groups matching the filter: 1  \u00B7  "
              u"Checked: 3 (3.00 MB to free)  \u00B7  Groups with every row checked: 1  "
              u"\u00B7  Checked rows hidden by the filter: 1");

    TResultModel dirs({u"Group", u"Directory", u"Size"}, TItemPath::ipFirstSubItem);
    dirs.AddGroup(1, u"Group 1");
    dirs.AddItem({u"1", {u"/r/p", u"2.00 MB"}, 1, true});
    dirs.AddItem({u"1", {u"/r/p/sub", u"1.50 MB"}, 1, true});  // inside /r/p
    dirs.AddItem({u"1", {u"/r/q", u"0.25 MB"}, 1, true});
    dirs.AddItem({u"1", {u"/r/s", u"9.00 MB"}, 1, false});
    QCoreApplication::processEvents();
    EXPECT_EQ(SummarizeList(dirs, 0).BytesToFree, 2 * 1048576 + 1048576 / 4);
    EXPECT_EQ(SummaryText(TListSummary{}), u"");
}

TEST(ListSummary, SizeTextsReadBackAsTheBytesTheyStandFor) {
    EXPECT_EQ(SizeTextBytes(u"12.34 MB"), 12 * 1048576 + 34 * 1048576 / 100);
    EXPECT_EQ(SizeTextBytes(u"0,50 Mo"), 1048576 / 2);
    EXPECT_EQ(SizeTextBytes(u""), 0);
    // Listed and read back, a size is the same text again.
    for (std::int64_t bytes : {0LL, 1LL, 5242LL, 5243LL, 1048576LL, 123456789012LL}) {
        SCOPED_TRACE(bytes);
        const Text text = FormatSizeMB(bytes, u'.');
        EXPECT_EQ(FormatSizeMB(SizeTextBytes(text), u'.'), text);
    }
}

TEST_F(ResultModelTest, ColumnCaptionsChangeInPlace) {
    QSignalSpy headers(&Model, &QAbstractItemModel::headerDataChanged);
    Model.SetColumnCaption(1, u"Dateiname");
    EXPECT_EQ(Model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Dateiname");
    EXPECT_EQ(headers.count(), 1);
}

}  // namespace
