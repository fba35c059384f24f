#pragma once
// An open-addressing hash table of small values (pointers, identities) for the hundreds of
// thousands of records of a scan: one slot and one 32-bit hash per entry, no node per
// entry. The caller hashes and compares, so a key may live inside the value it finds.
#include <cstddef>
#include <cstdint>
#include <vector>

template <typename T>
class TFlatTable {
public:
    // The value whose hash is hash and which equal(value) accepts, or nullptr.
    template <typename Equal>
    const T* Find(std::size_t hash, Equal equal) const {
        if (FCount == 0)
            return nullptr;
        const std::uint32_t h = Stored(hash);
        for (std::size_t i = h & FMask;; i = (i + 1) & FMask) {
            if (FHashes[i] == 0)
                return nullptr;
            if (FHashes[i] == h && equal(FSlots[i]))
                return &FSlots[i];
        }
    }

    // Adds value unless an equal one is there; true when added.
    template <typename Equal>
    bool Insert(std::size_t hash, const T& value, Equal equal) {
        if (Find(hash, equal))
            return false;
        if (Full(FCount + 1))
            Grow(FCount + 1);
        Place(Stored(hash), value);
        ++FCount;
        return true;
    }

    void Reserve(std::size_t count) {
        if (Full(count))
            Grow(count);
    }

    void Clear() {
        std::vector<std::uint32_t>().swap(FHashes);
        std::vector<T>().swap(FSlots);
        FMask = 0;
        FCount = 0;
    }

    std::size_t Count() const { return FCount; }

private:
    // Never 0, which marks an empty slot; the low bits that pick the slot are kept.
    static std::uint32_t Stored(std::size_t hash) {
        return static_cast<std::uint32_t>(hash ^ (hash >> 32)) | 0x80000000u;
    }

    void Place(std::uint32_t h, const T& value) {
        std::size_t i = h & FMask;
        while (FHashes[i] != 0)
            i = (i + 1) & FMask;
        FHashes[i] = h;
        FSlots[i] = value;
    }

    // Filled to at most 7/8: the stored hashes keep long probe runs cheap.
    static bool Over(std::size_t count, std::size_t capacity) { return count * 8 > capacity * 7; }
    bool Full(std::size_t count) const { return Over(count, FHashes.size()); }

    void Grow(std::size_t count) {
        std::size_t capacity = 16;
        while (Over(count, capacity))
            capacity *= 2;
        std::vector<std::uint32_t> hashes(capacity, 0);
        // Not "slots": Qt defines it as a macro, and the window includes this header.
        std::vector<T> values(capacity);
        hashes.swap(FHashes);
        values.swap(FSlots);
        FMask = capacity - 1;
        for (std::size_t i = 0; i < hashes.size(); ++i)
            if (hashes[i] != 0)
                Place(hashes[i], values[i]);
    }

    std::vector<std::uint32_t> FHashes;  // 0: empty
    std::vector<T> FSlots;
    std::size_t FMask = 0;
    std::size_t FCount = 0;
};
