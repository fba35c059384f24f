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
#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QPointer>
#include <unordered_map>

#include "core/ResultList.h"

class QAbstractItemView;

class TResultModel : public QAbstractItemModel, public TMemoryResultList {
    Q_OBJECT

public:
    // True on group header rows.
    static constexpr int GroupRowRole = Qt::UserRole + 1;

    explicit TResultModel(std::vector<Text> columns, QObject* parent = nullptr);

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

    // The view that the redraw bracket and Invalidate act on.
    void SetView(QAbstractItemView* view);
    // Shared with the view, so that the selected item survives a republish.
    QItemSelectionModel* SelectionModel() { return &FSelection; }

    // The item index of a row; -1 for a header row or an invalid index.
    int ItemIndexOf(const QModelIndex& index) const;
    // The row of an item, of a group header (by position); invalid while a change is pending.
    QModelIndex IndexOfItem(int itemIndex) const;
    QModelIndex IndexOfGroup(int groupIndex) const;

    // Publishes pending changes now (outside an update bracket).
    void Publish();
    bool Pending() const { return FChanged; }

private:
    int Buckets() const { return static_cast<int>(FBucketStart.size()) - 1; }  // groups + 1
    int PublishedGroups() const { return Buckets() - 1; }
    int BucketSize(int bucket) const { return FBucketStart[bucket + 1] - FBucketStart[bucket]; }
    // The item of a row, or -1 when the row is a header or outside the published index.
    int ItemOfRow(int bucket, int row) const;
    int BucketOfGroupId(int groupId) const;
    void Rebuild();
    void MarkChanged();
    void SelectionChanged();

    // Bucket g < groups: items of group position g; the last bucket: items in no group,
    // shown as top-level rows after the headers.
    std::vector<int> FBucketStart{0, 0};
    std::vector<int> FBucketItems;
    std::vector<int> FItemBucket;                 // item index to bucket
    std::vector<int> FItemRow;                    // item index to row within its bucket
    std::unordered_map<int, int> FGroupPosition;  // group id to its first position

    bool FChanged = false;  // base data differs from what is published
    bool FPublishPosted = false;
    bool FRestoring = false;
    QItemSelectionModel FSelection;
    QPointer<QAbstractItemView> FView;
};
