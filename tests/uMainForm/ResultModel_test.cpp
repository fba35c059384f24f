#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>

#include "core/FileListing.h"
#include "uMainForm/ResultModel.h"

namespace {

TListItem Item(int groupId, std::u16string name, bool checked = false) {
    TListItem item;
    item.Caption = groupId < 0 ? u"" : std::u16string(1, char16_t(u'0' + groupId));
    item.SubItems = {name, u"/dir", u"0.00 MB"};
    item.GroupId = groupId;
    item.Checked = checked;
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

TEST_F(ResultModelTest, ColumnCaptionsChangeInPlace) {
    QSignalSpy headers(&Model, &QAbstractItemModel::headerDataChanged);
    Model.SetColumnCaption(1, u"Dateiname");
    EXPECT_EQ(Model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Dateiname");
    EXPECT_EQ(headers.count(), 1);
}

}  // namespace
