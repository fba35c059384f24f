#include "core/FileGrouping.h"

#include <algorithm>
#include <optional>

#include "core/Buckets.h"
#include "core/ResultRows.h"
#include "core/SizeSum.h"
#include "platform/TextServices.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

template <typename TKey, typename TKeyOf>
TBuckets Bucket(const TFileList& files, TKeyOf keyOf) {
    std::vector<std::pair<TKey, std::uint32_t>> keyed;
    keyed.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::optional<TKey> key = keyOf(*files[i]);
        if (key)
            keyed.emplace_back(std::move(*key), static_cast<std::uint32_t>(i));
    }
    return MakeBuckets(std::move(keyed));
}

TBuckets BucketByMode(const TFileList& files, TCompareMode mode) {
    switch (mode) {
        case cmName:
            return Bucket<Text>(files, [](const TFileInfo& f) {
                return std::optional(Platform::LowerCase(f.Name()));
            });
        case cmSize:
            return Bucket<std::int64_t>(files,
                                        [](const TFileInfo& f) { return std::optional(f.Size); });
        case cmNameSize:
            return Bucket<Text>(files, [](const TFileInfo& f) {
                return std::optional(Platform::LowerCase(f.Name()) + u'|' +
                                     Platform::IntToText(f.Size));
            });
        case cmContent:
            break;
    }
    return Bucket<Platform::TSha1Digest>(
        files, [](const TFileInfo& f) -> std::optional<Platform::TSha1Digest> {
            if (!f.HasContentHash())
                return std::nullopt;  // unread, unique size or empty
            return f.Digest();
        });
}

}  // namespace

std::vector<TGroupRec> GroupFiles(const TFileList& files, TCompareMode mode,
                                  std::int64_t minGroupSize, std::int64_t maxGroups,
                                  std::size_t* found) {
    minGroupSize = std::max<std::int64_t>(minGroupSize, 2);
    std::vector<TGroupRec> groups;
    const TBuckets buckets = BucketByMode(files, mode);
    for (std::size_t b = 0; b < buckets.Count(); ++b) {
        const auto bucket = buckets.Bucket(b);
        if (static_cast<std::int64_t>(bucket.size()) < minGroupSize)
            continue;
        TGroupRec group;
        group.Files.reserve(bucket.size());
        for (const std::uint32_t i : bucket) {
            group.Files.push_back(files[i]);
            group.TotalSize = AddSizes(group.TotalSize, files[i]->Size);
        }
        groups.push_back(std::move(group));
    }
    std::stable_sort(groups.begin(), groups.end(), [](const TGroupRec& a, const TGroupRec& b) {
        return a.TotalSize > b.TotalSize;
    });
    if (found != nullptr)
        *found = groups.size();
    if (maxGroups > 0 && maxGroups < static_cast<std::int64_t>(groups.size()))
        groups.resize(static_cast<std::size_t>(maxGroups));
    return groups;
}

std::size_t FindFileDuplicates(TScanHost& host, const TStopToken& stop, const TFileList& files,
                               TResultList& list, TCompareMode& listedMode) {
    const TScanSettings settings = host.ReadSettings();
    listedMode = GetCompareMode(settings.CompareIndex);
    std::size_t found = 0;
    const std::vector<TGroupRec> groups =
        GroupFiles(files, listedMode, settings.MinGroupSize, settings.MaxGroups, &found);
    const std::size_t n = groups.size();

    std::size_t listed = 0;
    {
        TItemUpdateGuard items(list);
        list.ClearItems();
        ClearListGroups(list);
        host.SetProgressPosition(0);
        host.SetProgressMax(n == 0 ? 1 : ProgressCount(n));
        TListUpdateGuard update(list);

        int groupNo = 1;
        while (listed < n && !stop.Requested()) {
            AddFileGroup(list, groups[listed].Files, groups[listed].TotalSize, groupNo);
            ++listed;
            if (listed % 50 == 0) {
                host.SetProgressPosition(ProgressCount(listed));
                host.SetStatus(TranslateFormat(u"Listing file groups (%d/%d)...", {listed, n}));
                host.KeepResponsive();
            }
        }
        host.SetProgressPosition(ProgressCount(listed));
    }
    if (!stop.Requested())
        host.SetStatus(TranslateText(u"Duplicate file groups populated."));
    return found;
}
