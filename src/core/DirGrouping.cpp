// Directory grouping and listing: buckets of equal signature become groups, a directory is
// left out where one above it is already in its group (its clone is implied), and the
// groups are listed largest first.
#include <algorithm>
#include <limits>

#include "core/CompareText.h"
#include "core/DirectoryClones.h"
#include "core/FileListing.h"
#include "core/ScanEngine.h"
#include "core/SizeSum.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

int ClampInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

std::int64_t SizeOf(const TDirSizes& sizes, const Text& key) {
    const auto it = sizes.find(key);
    return it == sizes.end() ? 0 : it->second;
}

void ListDirGroups(TScanEngine& engine, const std::vector<TDirGroupRec>& groups,
                   const TDirSizes& sizes, std::int64_t maxGroups) {
    TScanHost& host = engine.Host;
    std::size_t count = groups.size();
    if (maxGroups > 0 && static_cast<std::uint64_t>(maxGroups) < count)
        count = static_cast<std::size_t>(maxGroups);
    host.SetProgressPosition(0);
    host.SetProgressMax(count == 0 ? 1 : ClampInt(count));
    host.SetStatus(TranslateText(u"Listing directory groups..."));
    host.KeepResponsive();

    TListUpdateGuard update(engine.lvDirs);
    int groupNo = 1;
    std::size_t listed = 0;
    while (listed < count) {
        if (engine.StopRequested())
            break;
        const TDirGroupRec& group = groups[listed];
        AddDirGroup(engine.lvDirs, group.Dirs, sizes, group.TotalSize, groupNo);
        ++listed;
        host.SetProgressPosition(ClampInt(listed));
        if (listed % 5 == 0) {
            host.SetStatus(
                TranslateFormat(u"Listing directory groups (%d/%d)...", {listed, count}));
            host.KeepResponsive();
        }
    }
}

}  // namespace

bool HasAncestorInGroup(TextView key, const std::unordered_set<Text>& acceptedKeys,
                        Platform::TPathSyntax syntax) {
    Text current(key);
    for (;;) {
        const TextView path = current;
        const TextView last = Platform::LastComponent(path, syntax);
        const TextView upToLast = path.substr(0, path.size() - last.size());
        if (upToLast.empty())
            return false;
        Text parent = Platform::ExcludeTrailingSeparator(upToLast, syntax);
        // A root keeps its separator, as in a key: "/", "C:\", "\\server\share\".
        if (CompareText(parent, Platform::DrivePart(path, syntax)) == 0)
            parent += Platform::PathSeparator(syntax);
        if (CompareText(parent, path) == 0)
            return false;  // the root has no parent
        if (acceptedKeys.count(parent) != 0)
            return true;
        current = std::move(parent);
    }
}

std::vector<TDirGroupRec> GroupDirectories(TScanEngine& engine, TDirSignatures& signatures,
                                           std::int64_t minGroupSize) {
    minGroupSize = std::max<std::int64_t>(minGroupSize, 2);
    const auto tooSmall = [minGroupSize](std::size_t n) {
        return static_cast<std::uint64_t>(minGroupSize) > n;
    };
    std::vector<TDirGroupRec> groups;
    std::unordered_set<Text> acceptedKeys;
    for (std::vector<Text>& bucket : signatures.Buckets) {
        if (engine.StopRequested())
            break;
        if (tooSmall(bucket.size()))
            continue;
        // A directory comes before every directory below it.
        std::sort(bucket.begin(), bucket.end(),
                  [](const Text& a, const Text& b) { return CompareTextLess(a, b); });
        acceptedKeys.clear();
        TDirGroupRec group;
        for (Text& dir : bucket) {
            if (HasAncestorInGroup(dir, acceptedKeys))
                continue;
            acceptedKeys.insert(dir);
            group.Dirs.push_back(std::move(dir));
        }
        if (tooSmall(group.Dirs.size()))
            continue;
        for (const Text& dir : group.Dirs)
            group.TotalSize = AddSizes(group.TotalSize, SizeOf(signatures.Sizes, dir));
        groups.push_back(std::move(group));
    }
    // Equal totals by their first directory, so every run lists the same order.
    std::sort(groups.begin(), groups.end(), [](const TDirGroupRec& a, const TDirGroupRec& b) {
        if (a.TotalSize != b.TotalSize)
            return a.TotalSize > b.TotalSize;
        return CompareTextLess(a.Dirs.front(), b.Dirs.front());
    });
    return groups;
}

void AddDirGroup(TResultList& lvDirs, const std::vector<Text>& dirs, const TDirSizes& sizes,
                 std::int64_t totalSize, int& groupNo) {
    lvDirs.AddGroup(groupNo, TranslateFormat(u"Group %d (%s)", {groupNo, FormatSizeMB(totalSize)}));
    const int groupId = lvDirs.GroupAt(lvDirs.GroupCount() - 1).GroupId;
    const Text caption = Platform::IntToText(groupNo);
    for (const Text& dir : dirs) {
        TListItem item;
        item.Caption = caption;
        item.SubItems = {dir, FormatSizeMB(SizeOf(sizes, dir))};
        item.GroupId = groupId;
        item.Checked = false;
        lvDirs.AddItem(std::move(item));
    }
    ++groupNo;
}

void FindDirectoryDuplicates(TScanEngine& engine) {
    TScanHost& host = engine.Host;
    {
        // Item updates stay suspended for the whole phase, whichever way it ends.
        TItemUpdateGuard items(engine.lvDirs);
        engine.lvDirs.ClearItems();
        ClearListGroups(engine.lvDirs);

        TDirSignatures signatures;
        if (!ComputeDirSignatures(engine, signatures))
            return;

        host.SetStatus(TranslateText(u"Grouping duplicate directories..."));
        host.KeepResponsive();
        const TScanSettings settings = host.ReadSettings();
        const std::vector<TDirGroupRec> groups =
            GroupDirectories(engine, signatures, settings.MinGroupSize);
        engine.FDirGroupsFound = groups.size();
        ListDirGroups(engine, groups, signatures.Sizes, settings.MaxGroups);
    }
    host.SetStatus(engine.StopRequested() ? TranslateText(u"Directory scan cancelled.")
                                          : TranslateText(u"Duplicate directory groups listed."));
    host.SetProgressPosition(0);
}
