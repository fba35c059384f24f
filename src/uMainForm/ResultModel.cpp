#include "uMainForm/ResultModel.h"

#include <QAbstractItemView>
#include <QFont>

#include "uMainForm/QtText.h"

TResultModel::TResultModel(std::vector<Text> columns, QObject* parent)
    : QAbstractItemModel(parent), TMemoryResultList(std::move(columns)), FSelection(this) {
    connect(&FSelection, &QItemSelectionModel::selectionChanged, this,
            [this] { SelectionChanged(); });
}

void TResultModel::SetColumnCaption(int column, const Text& caption) {
    TMemoryResultList::SetColumnCaption(column, caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int TResultModel::BucketOfGroupId(int groupId) const {
    const auto found = FGroupPosition.find(groupId);
    return found == FGroupPosition.end() ? PublishedGroups() : found->second;
}

void TResultModel::AddGroup(int groupId, const Text& header) {
    const int g = PublishedGroups();
    // Only an append in front of no loose items can be announced as one inserted row.
    if (FUpdateDepth > 0 || FChanged || BucketSize(g) > 0) {
        TMemoryResultList::AddGroup(groupId, header);
        MarkChanged();
        return;
    }
    beginInsertRows(QModelIndex(), g, g);
    TMemoryResultList::AddGroup(groupId, header);
    FBucketStart.insert(FBucketStart.begin() + g + 1, FBucketStart[g]);
    FGroupPosition.try_emplace(groupId, g);
    endInsertRows();
}

void TResultModel::AddItem(TListItem item) {
    const int n = ItemCount();
    const int g = PublishedGroups();
    const int bucket = FUpdateDepth > 0 || FChanged ? -1 : BucketOfGroupId(item.GroupId);
    // Cheap only when the item goes to the end of the published index.
    const bool atEnd = bucket == g || (bucket == g - 1 && BucketSize(g) == 0);
    if (bucket < 0 || !atEnd) {
        TMemoryResultList::AddItem(std::move(item));
        MarkChanged();
        return;
    }
    const int row = BucketSize(bucket);
    if (bucket == g)
        beginInsertRows(QModelIndex(), g + row, g + row);
    else
        beginInsertRows(IndexOfGroup(bucket), row, row);
    TMemoryResultList::AddItem(std::move(item));
    FBucketItems.push_back(n);
    FItemBucket.push_back(bucket);
    FItemRow.push_back(row);
    if (bucket == g - 1)
        ++FBucketStart[g];
    ++FBucketStart[g + 1];
    endInsertRows();
}

void TResultModel::DeleteGroup(int index) {
    TMemoryResultList::DeleteGroup(index);
    MarkChanged();
}

void TResultModel::ClearItems() {
    TMemoryResultList::ClearItems();
    MarkChanged();
}

void TResultModel::DeleteItem(int index) {
    TMemoryResultList::DeleteItem(index);
    MarkChanged();
}

void TResultModel::SetChecked(int index, bool checked) {
    TMemoryResultList::SetChecked(index, checked);
    if (FUpdateDepth > 0 || FChanged) {
        MarkChanged();
        return;
    }
    const QModelIndex row = IndexOfItem(index);
    emit dataChanged(row, row, {Qt::CheckStateRole});
}

void TResultModel::BeginUpdate() {
    TMemoryResultList::BeginUpdate();
}

void TResultModel::EndUpdate() {
    TMemoryResultList::EndUpdate();
    if (FUpdateDepth == 0)
        Publish();
}

void TResultModel::SetRedraw(bool on) {
    TMemoryResultList::SetRedraw(on);
    if (FView)
        FView->setUpdatesEnabled(on);
}

void TResultModel::Invalidate() {
    if (FView)
        FView->viewport()->update();
}

void TResultModel::SetView(QAbstractItemView* view) {
    FView = view;
}

void TResultModel::MarkChanged() {
    FChanged = true;
    if (FUpdateDepth > 0 || FPublishPosted)
        return;
    FPublishPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FPublishPosted = false;
            Publish();
        },
        Qt::QueuedConnection);
}

void TResultModel::Publish() {
    if (FUpdateDepth > 0 || !FChanged)
        return;
    beginResetModel();
    Rebuild();
    FChanged = false;
    endResetModel();
    // The selection model forgets its rows on a reset; the list still knows the item.
    if (FSelected >= 0) {
        FRestoring = true;
        FSelection.setCurrentIndex(IndexOfItem(FSelected),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        FRestoring = false;
    }
}

void TResultModel::Rebuild() {
    const int groups = GroupCount();
    const int n = ItemCount();
    FGroupPosition.clear();
    FGroupPosition.reserve(static_cast<std::size_t>(groups));
    for (int g = 0; g < groups; ++g)
        FGroupPosition.try_emplace(FGroups[g].GroupId, g);
    // Counting sort of the items by bucket; rows keep the order of addition.
    FBucketStart.assign(static_cast<std::size_t>(groups) + 2, 0);
    FItemBucket.resize(static_cast<std::size_t>(n));
    FItemRow.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto found = FGroupPosition.find(FItems[i].GroupId);
        const int bucket = found == FGroupPosition.end() ? groups : found->second;
        FItemBucket[i] = bucket;
        FItemRow[i] = FBucketStart[bucket + 1]++;
    }
    for (int b = 0; b <= groups; ++b)
        FBucketStart[b + 1] += FBucketStart[b];
    FBucketItems.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        FBucketItems[FBucketStart[FItemBucket[i]] + FItemRow[i]] = i;
}

void TResultModel::SelectionChanged() {
    if (FRestoring || FChanged)
        return;
    const QModelIndexList selected = FSelection.selectedIndexes();
    SetSelectedIndex(selected.isEmpty() ? -1 : ItemIndexOf(selected.first()));
}

int TResultModel::ItemOfRow(int bucket, int row) const {
    if (bucket < 0 || bucket >= Buckets() || row < 0 || row >= BucketSize(bucket))
        return -1;
    const int item = FBucketItems[FBucketStart[bucket] + row];
    return item < ItemCount() ? item : -1;
}

int TResultModel::ItemIndexOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return -1;
    if (index.internalId() != 0)
        return ItemOfRow(static_cast<int>(index.internalId()) - 1, index.row());
    const int groups = PublishedGroups();
    return index.row() < groups ? -1 : ItemOfRow(groups, index.row() - groups);
}

QModelIndex TResultModel::IndexOfItem(int itemIndex) const {
    if (FChanged || itemIndex < 0 || itemIndex >= static_cast<int>(FItemBucket.size()))
        return {};
    const int bucket = FItemBucket[itemIndex];
    const int row = FItemRow[itemIndex];
    const int groups = PublishedGroups();
    if (bucket == groups)
        return createIndex(groups + row, 0, quintptr(0));
    return createIndex(row, 0, quintptr(bucket + 1));
}

QModelIndex TResultModel::IndexOfGroup(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= PublishedGroups())
        return {};
    return createIndex(groupIndex, 0, quintptr(0));
}

QModelIndex TResultModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= ColumnCount())
        return {};
    const int groups = PublishedGroups();
    if (!parent.isValid()) {
        if (row >= groups + BucketSize(groups))
            return {};
        return createIndex(row, column, quintptr(0));
    }
    if (parent.internalId() != 0 || parent.column() != 0 || parent.row() >= groups)
        return {};
    if (row >= BucketSize(parent.row()))
        return {};
    return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex TResultModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(static_cast<int>(child.internalId()) - 1, 0, quintptr(0));
}

int TResultModel::rowCount(const QModelIndex& parent) const {
    const int groups = PublishedGroups();
    if (!parent.isValid())
        return groups + BucketSize(groups);
    if (parent.internalId() != 0 || parent.column() != 0 || parent.row() >= groups)
        return 0;
    return BucketSize(parent.row());
}

int TResultModel::columnCount(const QModelIndex&) const {
    return ColumnCount();
}

bool TResultModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant TResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int groups = PublishedGroups();
    if (index.internalId() == 0 && index.row() < groups) {
        if (role == GroupRowRole)
            return true;
        if (index.column() != 0)
            return {};
        if (role == Qt::DisplayRole && index.row() < GroupCount())
            return Q(FGroups[index.row()].Header);
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    const int item = ItemIndexOf(index);
    if (item < 0)
        return {};
    const TListItem& listItem = FItems[item];
    switch (role) {
        case GroupRowRole:
            return false;
        case Qt::DisplayRole:
            if (index.column() == 0)
                return Q(listItem.Caption);
            if (index.column() - 1 < static_cast<int>(listItem.SubItems.size()))
                return Q(listItem.SubItems[index.column() - 1]);
            return {};
        case Qt::CheckStateRole:
            if (index.column() != 0)
                return {};
            return static_cast<int>(listItem.Checked ? Qt::Checked : Qt::Unchecked);
        default:
            return {};
    }
}

bool TResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0)
        return false;
    // A click on a row of an outdated structure could hit another item.
    if (FChanged || FUpdateDepth > 0)
        return false;
    const int item = ItemIndexOf(index);
    if (item < 0)
        return false;
    SetChecked(item, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TResultModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.internalId() == 0 && index.row() < PublishedGroups())
        return Qt::ItemIsEnabled;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

QVariant TResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section < 0 || section >= ColumnCount())
        return {};
    return Q(FColumns[section]);
}
