#include "core/CheckMarks.h"

#include "core/FileInfo.h"
#include "core/ResultRows.h"
#include "platform/PathProbe.h"

namespace {

// Only items whose mark changes are written: the window repaints each written row.
void SetMark(TResultList& list, int index, bool checked) {
    if (list.ItemAt(index).Checked != checked)
        list.SetChecked(index, checked);
}

// The key a path is compared by: letter case as the file system treats it, no trailing
// separator unless the path is a root.
Text CompareKey(TextView path, Platform::TPathSyntax syntax) {
    Text key = PathKey(path, syntax);
    while (!Platform::IsRootPath(key, syntax) && Platform::EndsWithSeparator(key, syntax))
        key.pop_back();
    return key;
}

}  // namespace

void CheckAllButOneInGroup(TResultList& list) {
    std::unordered_set<int> seenGroupIds;
    for (int i = 0; i < list.ItemCount(); ++i) {
        const int groupId = list.ItemAt(i).GroupId;
        if (groupId < 0)
            continue;
        SetMark(list, i, !seenGroupIds.insert(groupId).second);
    }
}

void SetAllChecked(TResultList& list, bool checked) {
    for (int i = 0; i < list.ItemCount(); ++i)
        SetMark(list, i, checked);
}

Text ItemPath(const TListItem& item, TItemPath source) {
    if (source == TItemPath::ipFileRecord)
        return item.Data != nullptr ? item.Data->FullPath() : Text();
    return ItemText(item, 1);
}

std::vector<Text> CheckedPaths(const TResultList& list, TItemPath source) {
    std::vector<Text> paths;
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        if (!item.Checked)
            continue;
        Text path = ItemPath(item, source);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

TPathSet::TPathSet(const std::vector<Text>& paths, Platform::TPathSyntax syntax) : FSyntax(syntax) {
    for (const Text& path : paths)
        Add(path);
}

void TPathSet::Add(TextView path) {
    Text key = CompareKey(path, FSyntax);
    if (!key.empty())
        FKeys.insert(std::move(key));
}

bool TPathSet::HoldsKeyInside(const Text& key) const {
    // An ancestor ends just before a separator, or with it when it is a root ("/", "C:\").
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (!Platform::IsPathSeparator(key[i], FSyntax))
            continue;
        if ((i > 0 && FKeys.contains(key.substr(0, i))) ||
            (i + 1 < key.size() && FKeys.contains(key.substr(0, i + 1))))
            return true;
    }
    return false;
}

bool TPathSet::Covers(TextView path) const {
    const Text key = CompareKey(path, FSyntax);
    return !key.empty() && (FKeys.contains(key) || HoldsKeyInside(key));
}

bool TPathSet::HoldsInside(TextView path) const {
    const Text key = CompareKey(path, FSyntax);
    return !key.empty() && HoldsKeyInside(key);
}

std::vector<Text> OutermostPaths(const std::vector<Text>& paths, Platform::TPathSyntax syntax) {
    const TPathSet all(paths, syntax);
    std::unordered_set<Text> taken;
    std::vector<Text> outermost;
    for (const Text& path : paths) {
        const Text key = CompareKey(path, syntax);
        if (key.empty() || !taken.insert(key).second)
            continue;
        if (!all.HoldsInside(path))
            outermost.push_back(path);
    }
    return outermost;
}

void DeleteItems(TResultList& list, const std::function<bool(const TListItem&)>& doomed) {
    // The list is rebuilt from the items that stay: deleting one item at a time moves every
    // later item each time, which took seconds for 50,000 of 100,000 rows.
    std::vector<TListItem> kept;
    int selected = -1;
    for (int i = 0; i < list.ItemCount(); ++i) {
        if (doomed(list.ItemAt(i)))
            continue;
        if (i == list.SelectedIndex())
            selected = static_cast<int>(kept.size());
        kept.push_back(list.ItemAt(i));
    }
    if (kept.size() == static_cast<std::size_t>(list.ItemCount()))
        return;
    list.BeginUpdate();
    try {
        list.ClearItems();
        for (TListItem& item : kept)
            list.AddItem(std::move(item));
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    // Clearing forgets the selection; an item that stays keeps it.
    if (auto* memoryList = dynamic_cast<TMemoryResultList*>(&list))
        memoryList->SetSelectedIndex(selected);
    list.EndUpdate();
}

void DeleteGoneItems(TResultList& list, TItemPath source, const std::vector<Text>& sent) {
    const TPathSet request(sent);
    DeleteItems(list, [&](const TListItem& item) {
        const Text path = ItemPath(item, source);
        return !path.empty() && request.Covers(path) && Platform::PathIsGone(path);
    });
}
