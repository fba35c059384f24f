#pragma once
// Items of equal key, bucket by bucket: buckets in the order their first item was met,
// items in their own order. Sorting (key, index) pairs costs one flat vector, where a hash
// map of vectors would cost a node and a vector for every bucket, most of them of one item.
#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

struct TBuckets {
    std::vector<std::uint32_t> Items;   // item indexes, bucket by bucket
    std::vector<std::uint32_t> Starts;  // where each bucket begins in Items, and the end

    std::size_t Count() const { return Starts.empty() ? 0 : Starts.size() - 1; }
    std::span<const std::uint32_t> Bucket(std::size_t b) const {
        return std::span<const std::uint32_t>(Items).subspan(Starts[b], Starts[b + 1] - Starts[b]);
    }
};

// keyed: (key, item index) for every item that has a key, indexes rising.
template <typename TKey>
TBuckets MakeBuckets(std::vector<std::pair<TKey, std::uint32_t>> keyed) {
    std::sort(keyed.begin(), keyed.end());
    struct TRun {
        std::uint32_t First;  // the run's first item: the smallest index, as pairs are sorted
        std::uint32_t Begin;
        std::uint32_t End;
    };
    std::vector<TRun> runs;
    for (std::size_t i = 0; i < keyed.size();) {
        std::size_t j = i + 1;
        while (j < keyed.size() && keyed[j].first == keyed[i].first)
            ++j;
        runs.push_back(
            {keyed[i].second, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j)});
        i = j;
    }
    std::sort(runs.begin(), runs.end(),
              [](const TRun& a, const TRun& b) { return a.First < b.First; });
    TBuckets buckets;
    buckets.Items.reserve(keyed.size());
    buckets.Starts.reserve(runs.size() + 1);
    for (const TRun& run : runs) {
        buckets.Starts.push_back(static_cast<std::uint32_t>(buckets.Items.size()));
        for (std::uint32_t k = run.Begin; k < run.End; ++k)
            buckets.Items.push_back(keyed[k].second);
    }
    buckets.Starts.push_back(static_cast<std::uint32_t>(buckets.Items.size()));
    return buckets;
}
