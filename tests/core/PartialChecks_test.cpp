#include "core/PartialChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr TPartialCheckPlan Plan{
    .FirstBlock = 4096, .LastBlock = 1024, .MiddleBlock = 512, .MiddleFrom = 100000};

TEST(CheckBlock, WhatEachCheckReadsOfASize) {
    using enum TPartialCheck;
    const struct {
        TPartialCheck Check;
        std::int64_t Size;
        TBlockRange Block;
    } cases[] = {
        {pcFirst, 1, {0, 1}},
        {pcFirst, 4096, {0, 4096}},  // read whole: no other check applies
        {pcLast, 4096, {0, 0}},
        {pcMiddle, 4096, {0, 0}},
        {pcFirst, 4097, {0, 4096}},
        {pcLast, 4097, {4096, 1}},  // only what the first block left out
        {pcLast, 5120, {4096, 1024}},
        {pcLast, 99999, {98975, 1024}},
        {pcMiddle, 99999, {0, 0}},  // too small for the middle check
        {pcMiddle, 100000, {49152, 512}},
        {pcMiddle, std::int64_t{1} << 40, {std::int64_t{1} << 39, 512}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.Check)) + " of " + std::to_string(c.Size));
        EXPECT_EQ(CheckBlock(Plan, c.Check, c.Size), c.Block);
    }
    EXPECT_TRUE(Plan.WholeInFirst(4096));
    EXPECT_FALSE(Plan.WholeInFirst(4097));
}

TEST(CheckBlock, NoChecksReadNothingAndEveryFileIsHashedWhole) {
    const TPartialCheckPlan off{.FirstBlock = 0};
    for (const TPartialCheck check : AllPartialChecks)
        EXPECT_EQ(CheckBlock(off, check, 1 << 30), TBlockRange{});
    EXPECT_TRUE(off.WholeInFirst(std::int64_t{1} << 40));
}

TEST(BlockKey, EqualBytesEqualKeysAndOneChangedByteAnywhereChangesIt) {
    for (const std::size_t size : {1u, 7u, 8u, 31u, 32u, 33u, 4096u, 4099u}) {
        SCOPED_TRACE(size);
        const std::string bytes(size, '\x5a');
        const std::uint64_t key = BlockKey(bytes.data(), size);
        EXPECT_EQ(BlockKey(std::string(bytes).data(), size), key);
        for (std::size_t at = 0; at < size; ++at) {
            std::string changed = bytes;
            changed[at] ^= 1;
            ASSERT_NE(BlockKey(changed.data(), size), key) << "byte " << at;
        }
    }
    // Zero bytes of other lengths differ too (a block cut short by a file that shrank).
    const std::string zeros(64, '\0');
    EXPECT_NE(BlockKey(zeros.data(), 32), BlockKey(zeros.data(), 40));
}

TEST(RefineGroups, WhoSurvivesACheck) {
    constexpr std::uint32_t S = SettledGroup;
    const struct {
        const char* Name;
        std::vector<TCheckEntry> Entries;
        std::vector<std::uint32_t> Groups;
    } cases[] = {
        {"nothing", {}, {}},
        {"a lone file is settled", {{0, 1}}, {S}},
        {"equal keys stay together", {{0, 1}, {0, 1}}, {0, 0}},
        {"every key different: all settled", {{0, 1}, {0, 2}, {0, 3}}, {S, S, S}},
        {"a group splits, groups numbered by first entry",
         {{0, 2}, {0, 1}, {0, 2}, {0, 1}, {0, 3}},
         {0, 1, 0, 1, S}},
        {"equal keys of different groups never match", {{0, 1}, {1, 1}}, {S, S}},
        {"settled entries stay settled and match nothing", {{S, 1}, {0, 1}, {S, 1}}, {S, S, S}},
        {"groups apart keep apart", {{5, 9}, {3, 9}, {5, 9}, {3, 9}}, {0, 1, 0, 1}},
        {"a wild entry keeps its group whole",
         {{0, 1}, {0, 2}, {.Group = 0, .Wild = true}, {1, 1}, {1, 2}},
         {0, 0, 0, S, S}},
        {"a wild entry alone is settled", {{0, 1}, {.Group = 1, .Wild = true}, {0, 1}}, {0, S, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(RefineGroups(c.Entries), c.Groups);
    }
}

}  // namespace
