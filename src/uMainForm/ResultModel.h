#pragma once
// A result list as an item model: each list group is a header row spanning the columns, its
// items are the header's child rows, in the order they were added.
//
// The items live in TMemoryResultList; the model publishes an index over them (for each group
// the indexes of its items, CSR style) that is rebuilt in one pass. Inside an update bracket
// nothing is published until the outermost end (one model reset). Outside a bracket, an item
// or group appended at the end is announced as an insertion, a check mark as a data change,
// and every other change (deleting items or groups, clearing) is published once, at the next
// turn of the event loop: one signal per removed row would make a Recycle Bin run over
// 100,000 rows quadratic, since every expanded group header is a persistent index that Qt
// moves on each removal. Until then the views keep the previous structure and clicks on
// check boxes are ignored.
//
// Sorting and the filter live only in that index: rows are sorted inside their group (groups
// keep the order they were listed in, largest first), and the filter leaves out the groups
// without a row whose path holds its text. The items keep the order of their listing, which
// the commands and the CSV export work in.
#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QPointer>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "core/CheckMarks.h"
#include "core/ResultList.h"

class QAbstractItemView;

class TResultModel : public QAbstractItemModel, public TMemoryResultList {
    Q_OBJECT

public:
    // True on group header rows.
    static constexpr int GroupRowRole = Qt::UserRole + 1;

    // The path of an item, for the filter and the commands, is where pathSource says.
    explicit TResultModel(std::vector<Text> columns, TItemPath pathSource = TItemPath::ipFileRecord,
                          QObject* parent = nullptr);

    void SetColumnCaption(int column, const Text& caption) override;
    void AddGroup(int groupId, const Text& header) override;
    void DeleteGroup(int index) override;
    void ClearItems() override;
    void AddItem(TListItem item) override;
    void SetChecked(int index, bool checked) override;
    void DeleteItem(int index) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void SetRedraw(bool on) override;
    void Invalidate() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sorts the rows of every group by the column; column 0 (or -1) is the listing order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The view that the redraw bracket and Invalidate act on.
    void SetView(QAbstractItemView* view);
    // Shared with the view, so that the selected item survives a republish.
    QItemSelectionModel* SelectionModel() { return &FSelection; }

    // The item index of a row; -1 for a header row or an invalid index.
    int ItemIndexOf(const QModelIndex& index) const;
    // The row of an item, of a group header (by position); invalid while a change is pending
    // and for an item the filter hides.
    QModelIndex IndexOfItem(int itemIndex) const;
    QModelIndex IndexOfGroup(int groupIndex) const;

    // Publishes pending changes now (outside an update bracket).
    void Publish();
    bool Pending() const { return FChanged; }

    // Shows only the groups (and loose items) with a row whose path contains the text,
    // letter case ignored; an empty text shows everything.
    void SetFilter(const QString& text);
    const QString& Filter() const { return FFilter; }
    // The item's path (its file record's, or its first sub-item); empty when it has none.
    Text PathOf(int itemIndex) const;
    // Whether the item has a row in the published index.
    bool IsShown(int itemIndex) const;
    // Group headers shown: every group without a filter.
    int ShownGroupCount() const { return PublishedGroups(); }
    // The items of the selected rows, in item order.
    std::vector<int> SelectedItems() const;
    // Sets the mark of each item given; an item the refusal names is never checked.
    void SetCheckedItems(const std::vector<int>& items, bool checked);
    // Items that the check box and SetCheckedItems may not check (copies in reference
    // folders); the listing and the commands set marks through SetChecked, unasked.
    void SetCheckRefusal(std::function<bool(int itemIndex)> refused) {
        FCheckRefused = std::move(refused);
    }
    bool CheckRefused(int itemIndex) const { return FCheckRefused && FCheckRefused(itemIndex); }
    // Files replaced by a hard link to their kept copy: still listed, but checking them
    // again frees nothing. Forgotten with the records at the next scan.
    void MarkReplaced(const TFileInfo* record) { FReplaced.insert(record); }
    bool Replaced(const TFileInfo* record) const { return FReplaced.contains(record); }
    void ForgetReplaced() { FReplaced.clear(); }

    // Writes every group header made in another language again in the current one, and the
    // size unit of the rows that keep their own texts (file rows follow by themselves).
    void RetitleGroups();
    // Paths, names and sizes shown as left-to-right runs (for a right-to-left window).
    void SetLeftToRightData(bool on);

private:
    int Buckets() const { return static_cast<int>(FBucketStart.size()) - 1; }  // groups + 1
    int PublishedGroups() const { return Buckets() - 1; }
    int BucketSize(int bucket) const { return FBucketStart[bucket + 1] - FBucketStart[bucket]; }
    // The item of a row, or -1 when the row is a header or outside the published index.
    int ItemOfRow(int bucket, int row) const;
    int BucketOfGroupId(int groupId) const;
    // Appends go straight into the published index only in listing order and unfiltered.
    bool Incremental() const;
    bool Matches(int itemIndex) const;
    // The published index: the order of every group's rows, then the groups the filter
    // shows taken from it. Narrowing selects from the groups shown now.
    void Rebuild();
    void RebuildOrder();
    void SortOrder();
    void Select(bool narrowing);
    void MarkChanged();
    void SelectionChanged();
    // Puts the selection back on the items after a reset.
    void RestoreSelection(const std::vector<int>& items);
    QVariant HeaderText(int groupIndex) const;

    TItemPath FPathSource;
    // Bucket b < groups: items of group FBucketGroup[b]; the last bucket: items in no group,
    // shown as top-level rows after the headers.
    std::vector<int> FBucketStart{0, 0};
    std::vector<int> FBucketGroup;  // published bucket to its index in FGroups
    std::vector<int> FBucketItems;
    // The rows of every group in sorted order (the last bucket: items in no group), whatever
    // the filter; current while FOrderCurrent.
    std::vector<int> FOrderStart;
    std::vector<int> FOrderItems;
    std::vector<int> FItemGroup;  // item index to its group's index in FGroups
    bool FOrderCurrent = false;
    QString FOrderShown;           // the filter the published index was selected with
    std::vector<int> FItemBucket;  // item index to bucket; -1: filtered out
    std::vector<int> FItemRow;     // item index to row within its bucket
    std::unordered_map<int, int> FGroupPosition;  // group id to its bucket
    // Group id to the language its header was written in.
    std::unordered_map<int, int> FHeaderLanguage;

    int FSortColumn = -1;
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
    QString FFilter;
    bool FLeftToRightData = false;
    std::function<bool(int)> FCheckRefused;
    std::unordered_set<const TFileInfo*> FReplaced;

    bool FChanged = false;  // base data differs from what is published
    bool FPublishPosted = false;
    bool FRestoring = false;
    QItemSelectionModel FSelection;
    QPointer<QAbstractItemView> FView;
};
