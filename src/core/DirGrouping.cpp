// Directory grouping: buckets of equal signature become groups, a directory is left out
// where one above it is already in its group (its clone is implied), largest group first.
#include <algorithm>

#include "core/CompareText.h"
#include "core/DirGrouping.h"
#include "core/SizeSum.h"

std::vector<TDirGroupRec> GroupDirectories(const TDirSignatures& signatures,
                                           std::int64_t minGroupSize, const TStopToken& stop) {
    minGroupSize = std::max<std::int64_t>(minGroupSize, 2);
    const auto tooSmall = [minGroupSize](std::size_t n) {
        return static_cast<std::uint64_t>(minGroupSize) > n;
    };
    std::vector<TDirGroupRec> groups;
    std::unordered_set<Text> acceptedKeys;
    std::vector<std::uint32_t> sorted;
    for (const std::vector<std::uint32_t>& bucket : signatures.Buckets) {
        if (stop.Requested())
            break;
        if (tooSmall(bucket.size()))
            continue;
        // A directory comes before every directory below it.
        sorted = bucket;
        std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
            return CompareTextLess(signatures.Dirs[a].Key, signatures.Dirs[b].Key);
        });
        acceptedKeys.clear();
        TDirGroupRec group;
        for (const std::uint32_t index : sorted) {
            const TDirRecord& dir = signatures.Dirs[index];
            if (HasAncestorInGroup(dir.Key, acceptedKeys))
                continue;
            acceptedKeys.insert(dir.Key);
            group.Dirs.push_back(dir.Key);
            group.Sizes.push_back(dir.Size);
            group.TotalSize = AddSizes(group.TotalSize, dir.Size);
        }
        if (tooSmall(group.Dirs.size()))
            continue;
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
