#include "core/CheckMarks.h"

#include <unordered_set>

#include "core/FileInfo.h"

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

std::vector<Text> CheckedPaths(const TResultList& list, TItemPath source) {
    std::vector<Text> paths;
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        if (!item.Checked)
            continue;
        if (source == TItemPath::ipFileRecord) {
            if (item.Data != nullptr)
                paths.push_back(item.Data->FullPath);
        } else if (!item.SubItems.empty()) {
            paths.push_back(item.SubItems.front());
        }
    }
    return paths;
}

std::vector<Text> OutermostPaths(const std::vector<Text>& paths, Platform::TPathSyntax syntax) {
    std::vector<Text> keys;
    keys.reserve(paths.size());
    std::unordered_set<Text> all;
    for (const Text& path : paths) {
        keys.push_back(CompareKey(path, syntax));
        all.insert(keys.back());
    }
    std::unordered_set<Text> taken;
    std::vector<Text> outermost;
    for (std::size_t p = 0; p < paths.size(); ++p) {
        const Text& key = keys[p];
        if (key.empty() || !taken.insert(key).second)
            continue;
        // An ancestor ends just before a separator, or with it when it is a root ("/", "C:\").
        bool covered = false;
        for (std::size_t i = 0; i < key.size() && !covered; ++i) {
            if (!Platform::IsPathSeparator(key[i], syntax))
                continue;
            covered = (i > 0 && all.contains(key.substr(0, i))) ||
                      (i + 1 < key.size() && all.contains(key.substr(0, i + 1)));
        }
        if (!covered)
            outermost.push_back(paths[p]);
    }
    return outermost;
}

void DeleteCheckedItems(TResultList& list) {
    // The list is rebuilt from the items that stay: deleting one item at a time moves every
    // later item each time, which took seconds for 50,000 of 100,000 rows.
    std::vector<TListItem> kept;
    int selected = -1;
    for (int i = 0; i < list.ItemCount(); ++i) {
        if (list.ItemAt(i).Checked)
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
