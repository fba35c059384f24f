#include "core/PartialChecks.h"

#include <algorithm>
#include <cstring>

TBlockRange CheckBlock(const TPartialCheckPlan& plan, TPartialCheck check, std::int64_t size) {
    if (!plan.Enabled() || size <= 0)
        return {};
    const auto first = static_cast<std::int64_t>(plan.FirstBlock);
    switch (check) {
        case TPartialCheck::pcFirst:
            return {.Offset = 0, .Length = static_cast<std::size_t>(std::min(size, first))};
        case TPartialCheck::pcLast: {
            if (size <= first)
                return {};
            const auto length = std::min(static_cast<std::int64_t>(plan.LastBlock), size - first);
            return {.Offset = size - length, .Length = static_cast<std::size_t>(length)};
        }
        case TPartialCheck::pcMiddle: {
            if (size < plan.MiddleFrom || size <= first)
                return {};
            const std::int64_t offset = std::max(first, size / 2 / 4096 * 4096);
            const auto length =
                std::min(static_cast<std::int64_t>(plan.MiddleBlock), size - offset);
            return {.Offset = offset, .Length = static_cast<std::size_t>(length)};
        }
    }
    return {};
}

namespace {

constexpr std::uint64_t P1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t P2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t P3 = 0x165667B19E3779F9ull;

std::uint64_t Rotl(std::uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

std::uint64_t Word(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

std::uint64_t Round(std::uint64_t acc, std::uint64_t word) {
    return Rotl(acc + word * P2, 31) * P1;
}

}  // namespace

std::uint64_t BlockKey(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    // Four independent lanes over 32-byte strides, so the multiplications overlap.
    std::uint64_t lanes[4] = {P1 + P2, P2, 0, 0 - P1};
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32)
        for (int l = 0; l < 4; ++l)
            lanes[l] = Round(lanes[l], Word(p + i + 8 * l));
    std::uint64_t h =
        Rotl(lanes[0], 1) + Rotl(lanes[1], 7) + Rotl(lanes[2], 12) + Rotl(lanes[3], 18) + size * P3;
    for (; i + 8 <= size; i += 8)
        h = Rotl(h ^ Round(0, Word(p + i)), 27) * P1 + P3;
    if (i < size) {
        unsigned char tail[8] = {};
        std::memcpy(tail, p + i, size - i);
        h = Rotl(h ^ Round(0, Word(tail)), 27) * P1 + P3;
    }
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    return h ^ (h >> 32);
}

std::vector<std::uint32_t> RefineGroups(std::span<const TCheckEntry> entries) {
    std::vector<std::uint32_t> order;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Group != SettledGroup)
            order.push_back(static_cast<std::uint32_t>(i));
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const TCheckEntry &x = entries[a], &y = entries[b];
        if (x.Group != y.Group)
            return x.Group < y.Group;
        if (x.Key != y.Key)
            return x.Key < y.Key;
        return a < b;
    });
    // Provisional numbers first, then renumbered by each group's first entry.
    std::vector<std::uint32_t> result(entries.size(), SettledGroup);
    std::uint32_t provisional = 0;
    auto assign = [&](std::size_t begin, std::size_t end) {
        if (end - begin < 2)
            return;
        for (std::size_t k = begin; k < end; ++k)
            result[order[k]] = provisional;
        ++provisional;
    };
    for (std::size_t a = 0; a < order.size();) {
        std::size_t b = a;
        bool wild = false;
        for (; b < order.size() && entries[order[b]].Group == entries[order[a]].Group; ++b)
            wild = wild || entries[order[b]].Wild;
        if (wild) {
            assign(a, b);
        } else {
            for (std::size_t k = a; k < b;) {
                std::size_t e = k + 1;
                while (e < b && entries[order[e]].Key == entries[order[k]].Key)
                    ++e;
                assign(k, e);
                k = e;
            }
        }
        a = b;
    }
    std::vector<std::uint32_t> final(provisional, SettledGroup);
    std::uint32_t next = 0;
    for (std::uint32_t& group : result) {
        if (group == SettledGroup)
            continue;
        if (final[group] == SettledGroup)
            final[group] = next++;
        group = final[group];
    }
    return result;
}
