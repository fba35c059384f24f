#include "uMainForm/ResultModel.h"

#include <QAbstractItemView>
#include <QFont>
#include <algorithm>

#include "core/FileInfo.h"
#include "core/ResultRows.h"
#include "qtcommon/QtText.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"
#include "uMainForm/GroupTitle.h"
#include "uMainForm/RowOrder.h"

namespace {

// A size as FormatSizeMB writes it with that unit: "-12.34 MB", any decimal separator.
bool IsSizeText(TextView text, TextView unit) {
    if (!text.ends_with(unit))
        return false;
    TextView number = text.substr(0, text.size() - unit.size());
    if (number.starts_with(u'-'))
        number.remove_prefix(1);
    if (number.size() < 4)
        return false;
    const std::size_t separator = number.size() - 3;
    for (std::size_t i = 0; i < number.size(); ++i)
        if ((number[i] >= u'0' && number[i] <= u'9') == (i == separator))
            return false;
    return true;
}

}  // namespace

TResultModel::TResultModel(std::vector<Text> columns, TItemPath pathSource, QObject* parent)
    : QAbstractItemModel(parent),
      TMemoryResultList(std::move(columns)),
      FPathSource(pathSource),
      FSelection(this) {
    connect(&FSelection, &QItemSelectionModel::selectionChanged, this,
            [this] { SelectionChanged(); });
    connect(&FSelection, &QItemSelectionModel::currentChanged, this,
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

bool TResultModel::Incremental() const {
    return FUpdateDepth == 0 && !FChanged && FFilter.isEmpty() && FSortColumn <= 0;
}

void TResultModel::AddGroup(int groupId, const Text& header) {
    FHeaderLanguage[groupId] = CurrentLanguageIndex;
    const int g = PublishedGroups();
    // Only an append in front of no loose items can be announced as one inserted row.
    if (!Incremental() || BucketSize(g) > 0) {
        TMemoryResultList::AddGroup(groupId, header);
        MarkChanged();
        return;
    }
    beginInsertRows(QModelIndex(), g, g);
    TMemoryResultList::AddGroup(groupId, header);
    FBucketStart.insert(FBucketStart.begin() + g + 1, FBucketStart[g]);
    FBucketGroup.push_back(GroupCount() - 1);
    FGroupPosition.try_emplace(groupId, g);
    FOrderCurrent = false;
    endInsertRows();
}

void TResultModel::AddItem(TListItem item) {
    const int n = ItemCount();
    const int g = PublishedGroups();
    const int bucket = Incremental() ? BucketOfGroupId(item.GroupId) : -1;
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
    FOrderCurrent = false;
    endInsertRows();
}

void TResultModel::DeleteGroup(int index) {
    if (index >= 0 && index < GroupCount())
        FHeaderLanguage.erase(FGroups[index].GroupId);
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
    if (row.isValid())
        emit dataChanged(row, row, {Qt::CheckStateRole});
}

void TResultModel::SetCheckedItems(const std::vector<int>& items, bool checked) {
    for (const int item : items)
        if (item >= 0 && item < ItemCount() && ItemAt(item).Checked != checked &&
            !(checked && CheckRefused(item)))
            SetChecked(item, checked);
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
    FOrderCurrent = false;
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
    RestoreSelection(FSelected >= 0 ? std::vector<int>{FSelected} : std::vector<int>{});
}

bool TResultModel::Matches(int itemIndex) const {
    const Text path = PathOf(itemIndex);
    return QStringView(reinterpret_cast<const QChar*>(path.data()),
                       static_cast<qsizetype>(path.size()))
        .contains(FFilter, Qt::CaseInsensitive);
}

void TResultModel::Rebuild() {
    RebuildOrder();
    Select(false);
}

void TResultModel::RebuildOrder() {
    const int groups = GroupCount();
    const int n = ItemCount();
    std::unordered_map<int, int> groupOfId;  // the first group of an id takes its items
    groupOfId.reserve(static_cast<std::size_t>(groups));
    for (int g = 0; g < groups; ++g)
        groupOfId.try_emplace(FGroups[g].GroupId, g);
    // Counting sort of the items by group; rows keep the order of addition.
    FOrderStart.assign(static_cast<std::size_t>(groups) + 2, 0);
    FItemGroup.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto found = groupOfId.find(FItems[i].GroupId);
        FItemGroup[i] = found == groupOfId.end() ? groups : found->second;
        ++FOrderStart[FItemGroup[i] + 1];
    }
    for (int g = 0; g <= groups; ++g)
        FOrderStart[g + 1] += FOrderStart[g];
    FOrderItems.resize(static_cast<std::size_t>(n));
    std::vector<int> next(FOrderStart.begin(), FOrderStart.end() - 1);
    for (int i = 0; i < n; ++i)
        FOrderItems[next[FItemGroup[i]]++] = i;
    SortOrder();
    FOrderCurrent = true;
}

void TResultModel::SortOrder() {
    const int column = FSortColumn;
    const bool descending = FSortOrder == Qt::DescendingOrder;
    // ItemText may make a row's text when asked: each group's are made once, not per
    // comparison.
    std::vector<std::pair<Text, int>> keyed;  // text and item
    // Equal texts keep the listing order, in either direction.
    const auto before = [descending](const std::pair<Text, int>& a, const std::pair<Text, int>& b) {
        const int order = NaturalCompare(a.first, b.first);
        if (order != 0)
            return descending ? order > 0 : order < 0;
        return a.second < b.second;
    };
    for (std::size_t g = 0; g + 1 < FOrderStart.size(); ++g) {
        int* first = FOrderItems.data() + FOrderStart[g];
        int* last = FOrderItems.data() + FOrderStart[g + 1];
        if (column <= 0) {
            std::sort(first, last);
            continue;
        }
        keyed.clear();
        for (const int* item = first; item != last; ++item)
            keyed.emplace_back(ItemText(FItems[*item], column), *item);
        std::sort(keyed.begin(), keyed.end(), before);
        for (const auto& [text, item] : keyed)
            *first++ = item;
    }
}

void TResultModel::Select(bool narrowing) {
    const int groups = static_cast<int>(FOrderStart.size()) - 2;
    const int n = static_cast<int>(FOrderItems.size());
    const bool filtered = !FFilter.isEmpty();
    // The same text again (after a sort) shows the same rows.
    const bool same = narrowing && FFilter == FOrderShown;
    // Narrowing the text only ever hides more: the groups shown now are the candidates.
    std::vector<int> candidates;
    if (narrowing) {
        candidates.swap(FBucketGroup);
    } else {
        candidates.resize(static_cast<std::size_t>(groups));
        for (int g = 0; g < groups; ++g)
            candidates[g] = g;
    }
    std::vector<char> looseShown(
        static_cast<std::size_t>(FOrderStart[groups + 1] - FOrderStart[groups]));
    for (std::size_t k = 0; k < looseShown.size(); ++k) {
        const int item = FOrderItems[FOrderStart[groups] + static_cast<int>(k)];
        const bool candidate = !narrowing || FItemBucket[item] >= 0;
        looseShown[k] = !filtered || (candidate && (same || Matches(item)));
    }
    FBucketGroup.clear();
    for (const int g : candidates) {
        bool shown = !filtered || same;
        for (int k = FOrderStart[g]; k < FOrderStart[g + 1] && !shown; ++k)
            shown = Matches(FOrderItems[k]);
        if (shown)
            FBucketGroup.push_back(g);
    }

    const int buckets = static_cast<int>(FBucketGroup.size());
    FBucketStart.resize(static_cast<std::size_t>(buckets) + 2);
    FBucketItems.clear();
    FItemBucket.assign(static_cast<std::size_t>(n), -1);
    FItemRow.resize(static_cast<std::size_t>(n));
    const auto publish = [this](int item, int bucket) {
        FItemBucket[item] = bucket;
        FItemRow[item] = static_cast<int>(FBucketItems.size()) - FBucketStart[bucket];
        FBucketItems.push_back(item);
    };
    for (int b = 0; b < buckets; ++b) {
        FBucketStart[b] = static_cast<int>(FBucketItems.size());
        const int g = FBucketGroup[b];
        for (int k = FOrderStart[g]; k < FOrderStart[g + 1]; ++k)
            publish(FOrderItems[k], b);
    }
    FBucketStart[buckets] = static_cast<int>(FBucketItems.size());
    for (std::size_t k = 0; k < looseShown.size(); ++k)
        if (looseShown[k])
            publish(FOrderItems[FOrderStart[groups] + static_cast<int>(k)], buckets);
    FBucketStart[buckets + 1] = static_cast<int>(FBucketItems.size());

    // Only unfiltered appends go straight into the index, and they look their group up here.
    FGroupPosition.clear();
    if (!filtered) {
        FGroupPosition.reserve(static_cast<std::size_t>(buckets));
        for (int b = 0; b < buckets; ++b)
            FGroupPosition.try_emplace(FGroups[FBucketGroup[b]].GroupId, b);
    }
    FOrderShown = FFilter;
}

void TResultModel::sort(int column, Qt::SortOrder order) {
    if (column == FSortColumn && order == FSortOrder)
        return;
    FSortColumn = column;
    FSortOrder = order;
    if (FUpdateDepth > 0 || FChanged || !FOrderCurrent) {
        MarkChanged();
        return;
    }
    // Groups stay where they are; the rows move inside them, and so do their persistent
    // indexes (the selection, the current row).
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> items;
    items.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        items.push_back(ItemIndexOf(index));
    SortOrder();
    Select(true);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype k = 0; k < before.size(); ++k) {
        if (items[k] < 0) {
            after.push_back(before[k]);
            continue;
        }
        const QModelIndex row = IndexOfItem(items[k]);
        after.push_back(row.sibling(row.row(), before[k].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TResultModel::SetFilter(const QString& text) {
    if (text == FFilter)
        return;
    // Read while the rows still tell their items.
    const std::vector<int> selected = SelectedItems();
    const bool narrowing =
        !FOrderShown.isEmpty() && text.contains(FOrderShown, Qt::CaseInsensitive);
    FFilter = text;
    if (FUpdateDepth > 0 || FChanged) {
        MarkChanged();
        return;
    }
    beginResetModel();
    if (FOrderCurrent)
        Select(narrowing);
    else
        Rebuild();
    endResetModel();
    RestoreSelection(selected);
}

void TResultModel::RestoreSelection(const std::vector<int>& items) {
    const int current = FSelected;
    FRestoring = true;
    // Rows next to each other under one parent become one range.
    QItemSelection selection;
    QModelIndex first;
    QModelIndex last;
    const auto flush = [&] {
        if (first.isValid())
            selection.select(first, last);
    };
    std::vector<QModelIndex> rows;
    rows.reserve(items.size());
    for (const int item : items) {
        const QModelIndex row = IndexOfItem(item);
        if (row.isValid())
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.internalId() != b.internalId() ? a.internalId() < b.internalId()
                                                : a.row() < b.row();
    });
    for (const QModelIndex& row : rows) {
        if (first.isValid() && row.internalId() == last.internalId() &&
            row.row() == last.row() + 1) {
            last = row;
            continue;
        }
        flush();
        first = last = row;
    }
    flush();
    FSelection.select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QModelIndex currentRow = IndexOfItem(current);
    if (currentRow.isValid())
        FSelection.setCurrentIndex(currentRow, QItemSelectionModel::NoUpdate);
    FRestoring = false;
    SelectionChanged();
}

std::vector<int> TResultModel::SelectedItems() const {
    std::vector<int> items;
    // The rows of an outdated structure could name other items.
    if (FChanged)
        return items;
    for (const QItemSelectionRange& range : FSelection.selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const int item = ItemIndexOf(index(row, 0, range.parent()));
            if (item >= 0)
                items.push_back(item);
        }
    }
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

void TResultModel::SelectionChanged() {
    if (FRestoring || FChanged)
        return;
    // Of several selected rows the current one is the selected item.
    const QModelIndex current = FSelection.currentIndex();
    int selected = -1;
    if (current.isValid() && FSelection.isRowSelected(current.row(), current.parent()))
        selected = ItemIndexOf(current);
    if (selected < 0) {
        const QItemSelection selection = FSelection.selection();
        for (qsizetype r = 0; r < selection.size() && selected < 0; ++r)
            for (int row = selection[r].top(); row <= selection[r].bottom() && selected < 0; ++row)
                selected = ItemIndexOf(index(row, 0, selection[r].parent()));
    }
    SetSelectedIndex(selected);
}

Text TResultModel::PathOf(int itemIndex) const {
    if (itemIndex < 0 || itemIndex >= ItemCount())
        return {};
    const TListItem& item = FItems[itemIndex];
    if (FPathSource == TItemPath::ipFileRecord)
        return item.Data != nullptr ? item.Data->FullPath() : Text();
    return ItemText(item, 1);
}

bool TResultModel::IsShown(int itemIndex) const {
    return IndexOfItem(itemIndex).isValid();
}

void TResultModel::RetitleGroups() {
    const int current = CurrentLanguageIndex;
    const TTitleTexts now = TitleTextsIn(current);
    std::unordered_map<int, TTitleTexts> made;  // by language
    const auto textsIn = [&made](int language) -> const TTitleTexts& {
        auto texts = made.find(language);
        if (texts == made.end())
            texts = made.emplace(language, TitleTextsIn(language)).first;
        return texts->second;
    };
    // File rows write their sizes in the current language whenever they are shown; rows that
    // keep their texts wrote theirs in their group's language, and get the current unit.
    for (TListItem& item : FItems) {
        if (item.Texts == nullptr || item.Texts->SubItems.empty())
            continue;
        const auto language = FHeaderLanguage.find(item.GroupId);
        if (language == FHeaderLanguage.end() || language->second == current)
            continue;
        Text& size = item.Texts->SubItems.back();
        const Text& unit = textsIn(language->second).Unit;
        if (IsSizeText(size, unit))
            size.replace(size.size() - unit.size(), unit.size(), now.Unit);
    }
    bool changed = false;
    for (TListGroup& group : FGroups) {
        const auto language = FHeaderLanguage.find(group.GroupId);
        if (language == FHeaderLanguage.end() || language->second == current)
            continue;
        if (const std::optional<TGroupTitle> title =
                ParseGroupTitle(group.Header, textsIn(language->second))) {
            try {
                group.Header = FormatGroupTitle(*title, now);
                changed = true;
            } catch (const EFormatError&) {
                // A broken row of the table: the header keeps its language.
            }
        }
        language->second = current;
    }
    if (changed && !FChanged && PublishedGroups() > 0)
        emit dataChanged(index(0, 0), index(PublishedGroups() - 1, 0), {Qt::DisplayRole});
    // The rows' sizes: one repaint rather than a signal per group.
    if (FView)
        FView->viewport()->update();
}

void TResultModel::SetLeftToRightData(bool on) {
    if (on == FLeftToRightData)
        return;
    FLeftToRightData = on;
    if (FView)
        FView->viewport()->update();
}

QVariant TResultModel::HeaderText(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= GroupCount())
        return {};
    const TListGroup& group = FGroups[groupIndex];
    if (FLeftToRightData) {
        const auto language = FHeaderLanguage.find(group.GroupId);
        const TTitleTexts texts = TitleTextsIn(
            language == FHeaderLanguage.end() ? CurrentLanguageIndex : language->second);
        if (const std::optional<TGroupTitle> title = ParseGroupTitle(group.Header, texts))
            return Q(FormatGroupTitle(*title, texts, true));
    }
    return Q(group.Header);
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
    if (bucket < 0)
        return {};
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
        if (role == Qt::DisplayRole)
            return HeaderText(FBucketGroup[index.row()]);
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
        case Qt::DisplayRole: {
            if (index.column() >= ItemColumnCount(listItem))
                return {};
            const Text text = ItemText(listItem, index.column());
            if (FLeftToRightData && index.column() > 0)
                return Q(LeftToRightRun(text));
            return Q(text);
        }
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
    const bool checked = value.toInt() == Qt::Checked;
    if (item < 0 || (checked && CheckRefused(item)))
        return false;
    SetChecked(item, checked);
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
