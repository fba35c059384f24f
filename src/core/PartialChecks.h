#pragma once
// Narrowing same-size files by small parts of their content before the full digest.
//
// Files of one size start as one group. Each check reads one block of every file still in a
// group (the first block, then the last, then for large files one from the middle) and
// splits the group by a key of those bytes; a file that no other file of its group matches
// is settled: it cannot have a clone. Equal keys only mean "may be equal": the full digest
// of the survivors decides, so a collision of keys costs a reading and never a wrong group.
// This part is pure: which blocks a check reads and who survives it, given the keys.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// How much each check reads, chosen by benchmark: with 64 KiB rather than 4 KiB, a clone of
// up to 64 KiB (most of a tree of documents) is opened once instead of three times, near
// clones that differ a few KiB from either end are settled, and a cold disk answers a
// 64 KiB read about as fast as a 4 KiB one.
struct TPartialCheckPlan {
    // 0: no partial checks, every same-size file is hashed whole. A file no larger than
    // this is hashed whole from the first check's one read.
    std::size_t FirstBlock = 64 * 1024;
    std::size_t LastBlock = 64 * 1024;
    std::size_t MiddleBlock = 64 * 1024;
    // Files at least this large also get the middle check.
    std::int64_t MiddleFrom = 1024 * 1024;

    bool Enabled() const { return FirstBlock > 0; }
    // Whether the first check's read is the whole file.
    bool WholeInFirst(std::int64_t size) const {
        return !Enabled() || size <= static_cast<std::int64_t>(FirstBlock);
    }
};

inline constexpr TPartialCheckPlan DefaultPartialChecks{};

enum class TPartialCheck { pcFirst, pcLast, pcMiddle };
inline constexpr TPartialCheck AllPartialChecks[] = {TPartialCheck::pcFirst, TPartialCheck::pcLast,
                                                     TPartialCheck::pcMiddle};

// One read: Length bytes from Offset; Length 0 when the check does not apply to the size.
struct TBlockRange {
    std::int64_t Offset = 0;
    std::size_t Length = 0;
    bool operator==(const TBlockRange&) const = default;
};

// The block a check reads of a file of this size. The last block leaves out what the first
// one covered; the middle one starts at a multiple of 4 KiB, the common page size.
TBlockRange CheckBlock(const TPartialCheckPlan& plan, TPartialCheck check, std::int64_t size);

// A fast 64-bit key of a block's bytes (not cryptographic: equal bytes, equal keys).
std::uint64_t BlockKey(const void* data, std::size_t size);

// The group of a file that is settled (or not in any check).
inline constexpr std::uint32_t SettledGroup = 0xFFFFFFFFu;

// One file at one check.
struct TCheckEntry {
    std::uint32_t Group = SettledGroup;  // files that may still be equal share it
    std::uint64_t Key = 0;               // the key of this check's block
    // The block's key is unknown (a file whose digest is known already but which could not
    // be read): it may match any file, so its group is kept whole.
    bool Wild = false;
};

// The group of each entry after the check: entries of one group with one key share a new
// group, numbered in the order of their first entry; an entry that no other entry of its
// group matches, and every settled one, gets SettledGroup. A group with a wild entry stays
// one group, all of its entries in it.
std::vector<std::uint32_t> RefineGroups(std::span<const TCheckEntry> entries);
