// Directory grouping: buckets of equal signature become groups, a directory is left out
// where one above it is already in its group (its clone is implied), largest group first.
#include <algorithm>

#include "core/CompareText.h"
#include "core/DirGrouping.h"
#include "core/SizeSum.h"

std::vector<TDirGroupRec> GroupDirectories(TDirSignatures& signatures, std::int64_t minGroupSize,
                                           const TStopToken& stop) {
    minGroupSize = std::max<std::int64_t>(minGroupSize, 2);
    const auto tooSmall = [minGroupSize](std::size_t n) {
        return static_cast<std::uint64_t>(minGroupSize) > n;
    };
    std::vector<TDirGroupRec> groups;
    std::unordered_set<Text> acceptedKeys;
    for (std::vector<Text>& bucket : signatures.Buckets) {
        if (stop.Requested())
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
            group.TotalSize = AddSizes(group.TotalSize, DirSize(signatures.Sizes, dir));
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
