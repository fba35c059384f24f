// The cache of digests between scans: what an entry serves, what is kept, and the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "core/DigestCache.h"
#include "platform/FileSystem.h"
#include "platform/FileWrite.h"
#include "support/TempTree.h"

namespace {

constexpr std::int64_t Second = 1'000'000'000;
// The moment the test's files were read; their times lie well before it.
constexpr std::int64_t ReadTime = 1'700'000'000 * Second;

Platform::TFileStamp Stamp(std::uint64_t inode, std::int64_t size = 100) {
    return Platform::TFileStamp{.Id = {.Volume = 7, .IndexHigh = 0, .IndexLow = inode},
                                .Size = size,
                                .ModifiedTime = ReadTime - 3600 * Second,
                                .ChangeTime = ReadTime - 3000 * Second};
}

Platform::TSha1Digest Digest(std::uint8_t fill) {
    Platform::TSha1Digest d;
    d.fill(fill);
    return d;
}

TDigestCache CacheOf(std::initializer_list<std::uint64_t> inodes) {
    TDigestCache cache;
    for (const std::uint64_t i : inodes)
        cache.Record(Stamp(i), Digest(static_cast<std::uint8_t>(i)), ReadTime);
    return cache;
}

TEST(DigestCache, AnEntryServesOnlyTheSameIdentitySizeAndTimes) {
    const TDigestCache cache = CacheOf({1});
    ASSERT_NE(cache.Find(Stamp(1)), nullptr);
    EXPECT_EQ(*cache.Find(Stamp(1)), Digest(1));
    const std::pair<const char*, std::function<void(Platform::TFileStamp&)>> changes[] = {
        {"size", [](auto& s) { s.Size += 1; }},
        {"modification time", [](auto& s) { s.ModifiedTime += 1; }},
        {"change time", [](auto& s) { s.ChangeTime += 1; }},
        {"volume", [](auto& s) { s.Id.Volume += 1; }},
        {"file index", [](auto& s) { s.Id.IndexLow += 1; }},
        {"file index, high part", [](auto& s) { s.Id.IndexHigh += 1; }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        Platform::TFileStamp other = Stamp(1);
        change(other);
        EXPECT_EQ(cache.Find(other), nullptr);
    }
}

TEST(DigestCache, TimesWithinTwoSecondsOfTheReadingAreNotTrusted) {
    const struct {
        const char* Name;
        std::int64_t Modified, Changed;  // relative to the moment the reading began
        bool Kept;
    } cases[] = {
        {"both well before", -3 * Second, -3 * Second, true},
        {"just beyond two seconds", -2 * Second - 1, -2 * Second - 1, true},
        {"modified two seconds before", -2 * Second, -3 * Second, false},
        {"modified a second before", -Second, -3 * Second, false},
        {"changed a second before", -3 * Second, -Second, false},
        {"modified in the future", 5 * Second, -3 * Second, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDigestCache cache;
        Platform::TFileStamp stamp = Stamp(1);
        stamp.ModifiedTime = ReadTime + c.Modified;
        stamp.ChangeTime = ReadTime + c.Changed;
        cache.Record(stamp, Digest(1), ReadTime);
        EXPECT_EQ(cache.Find(stamp) != nullptr, c.Kept);
        EXPECT_EQ(cache.Count(), c.Kept ? 1u : 0u);
        // What the file holds is what the next scan finds.
        TDigestCache next;
        ASSERT_TRUE(next.Parse(cache.Serialize()));
        EXPECT_EQ(next.Find(stamp) != nullptr, c.Kept);
    }
}

TEST(DigestCache, ARecordReplacesTheEntryOfItsFileAndAFreshOneDropsIt) {
    TDigestCache cache = CacheOf({1, 2});
    Platform::TFileStamp changed = Stamp(1, 200);
    cache.Record(changed, Digest(9), ReadTime);
    EXPECT_EQ(cache.Find(Stamp(1)), nullptr);
    ASSERT_NE(cache.Find(changed), nullptr);
    EXPECT_EQ(*cache.Find(changed), Digest(9));
    EXPECT_EQ(cache.Count(), 2u);

    Platform::TFileStamp fresh = Stamp(1, 300);
    fresh.ModifiedTime = ReadTime;
    cache.Record(fresh, Digest(8), ReadTime);
    EXPECT_EQ(cache.Find(changed), nullptr);
    EXPECT_EQ(cache.Find(fresh), nullptr);
    EXPECT_EQ(cache.Count(), 1u);
    TDigestCache next;
    ASSERT_TRUE(next.Parse(cache.Serialize()));
    EXPECT_EQ(next.Count(), 1u);
    EXPECT_NE(next.Find(Stamp(2)), nullptr);
}

// The file's bytes; nothing when it cannot be opened at all (Windows opens no file while
// another takes its place).
std::optional<std::string> BytesOf(const Text& path) {
    try {
        Platform::TFileReader file(path, Platform::TLinkRule::lrRefuse);
        std::string bytes;
        char block[65536];
        while (const std::size_t n = file.Read(block, sizeof block))
            bytes.append(block, n);
        return bytes;
    } catch (const Platform::EPlatformError&) {
        return std::nullopt;
    }
}

class TCacheFile : public ::testing::Test {
protected:
    TTempTree Tree;
    Text Path = Tree.TextPath("cache/sha1-cache.bin");
};

TEST_F(TCacheFile, SavedAndLoadedItHoldsWhatWasRecorded) {
    CacheOf({1, 2, 3}).Save(Path);  // its folder is made
    TDigestCache loaded;
    loaded.Load(Path);
    EXPECT_EQ(loaded.Count(), 3u);
    for (std::uint64_t i : {1, 2, 3}) {
        ASSERT_NE(loaded.Find(Stamp(i)), nullptr);
        EXPECT_EQ(*loaded.Find(Stamp(i)), Digest(static_cast<std::uint8_t>(i)));
    }
    EXPECT_EQ(std::filesystem::file_size(Tree.Path("cache/sha1-cache.bin")),
              32u + 3 * 72 + 20);  // header, 72 bytes an entry, check sum
}

// The header's fields: magic (8 bytes), version, order mark, entry size, scan number (4
// each), entry count (8); then the entries and the SHA-1 of all before it.
void Resum(std::string& bytes) {
    Platform::TSha1 sha;
    sha.Update(bytes.data(), bytes.size() - 20);
    const Platform::TSha1Digest sum = sha.Final();
    std::memcpy(bytes.data() + bytes.size() - 20, sum.data(), 20);
}

template <typename T>
void Poke(std::string& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
    Resum(bytes);
}

template <typename T>
void Swap(std::string& bytes, std::size_t at) {
    std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes.begin() + static_cast<std::ptrdiff_t>(at + sizeof(T)));
}

TEST_F(TCacheFile, ABrokenFileIsIgnoredAndReplacedByTheNextWrite) {
    const std::string good = CacheOf({1, 2, 3}).Serialize();
    using TMake = std::function<void(TTempTree&, const std::string&)>;
    const auto bytes = [&](std::function<void(std::string&)> change) -> TMake {
        return [change, good](TTempTree& tree, const std::string& rel) {
            std::string b = good;
            change(b);
            tree.File(rel, b);
        };
    };
    const std::pair<const char*, TMake> cases[] = {
        {"missing", [](TTempTree& tree, const std::string&) { tree.Folder("cache"); }},
        {"empty", bytes([](std::string& b) { b.clear(); })},
        {"cut inside the header", bytes([](std::string& b) { b.resize(20); })},
        {"cut inside an entry", bytes([](std::string& b) { b.resize(b.size() - 50); })},
        {"its check sum cut", bytes([](std::string& b) { b.pop_back(); })},
        {"a byte more", bytes([](std::string& b) { b += 'x'; })},
        {"a digest byte changed", bytes([](std::string& b) { b[32 + 72 + 50] ^= 1; })},
        {"another magic", bytes([](std::string& b) { b[0] = 'X', Resum(b); })},
        {"another version", bytes([](std::string& b) { Poke<std::uint32_t>(b, 8, 2); })},
        {"another entry size", bytes([](std::string& b) { Poke<std::uint32_t>(b, 16, 64); })},
        {"more entries than bytes", bytes([](std::string& b) { Poke<std::uint64_t>(b, 24, 4); })},
        {"no scan number", bytes([](std::string& b) { Poke<std::uint32_t>(b, 20, 0); })},
        {"the other byte order",
         bytes([](std::string& b) {
             for (std::size_t at : {8, 12, 16, 20})
                 Swap<std::uint32_t>(b, at);
             Swap<std::uint64_t>(b, 24);
             Resum(b);
         })},
        {"junk", [](TTempTree& tree, const std::string& rel) {
             std::string junk;
             for (int i = 0; i < 5000; ++i)
                 junk += static_cast<char>(i * 7919 % 251);
             tree.File(rel, junk);
         }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        TTempTree tree;
        make(tree, "cache/sha1-cache.bin");
        const Text path = tree.TextPath("cache/sha1-cache.bin");
        TDigestCache cache;
        cache.Load(path);
        EXPECT_EQ(cache.Count(), 0u);
        EXPECT_EQ(cache.Find(Stamp(1)), nullptr);
        cache.Record(Stamp(5), Digest(5), ReadTime);
        cache.Save(path);
        TDigestCache again;
        again.Load(path);
        EXPECT_EQ(again.Count(), 1u);
        EXPECT_NE(again.Find(Stamp(5)), nullptr);
    }
}

TEST_F(TCacheFile, WhatIsNoPlainFileInItsPlaceIsNeitherReadNorReplaced) {
    Tree.File("cache/sha1-cache.bin/inside", "mine");
    TDigestCache cache = CacheOf({1});
    cache.Load(Path);
    EXPECT_EQ(cache.Count(), 0u);
    cache.Record(Stamp(1), Digest(1), ReadTime);
    cache.Save(Path);
    EXPECT_EQ(ReadWholeFile(Tree.Path("cache/sha1-cache.bin/inside")), "mine");
#ifndef _WIN32
    // A link, even to a whole cache: the file it leads to is no business of ours.
    const std::string good = CacheOf({1, 2}).Serialize();
    Tree.File("elsewhere.bin", good);
    Tree.Link("cache2/sha1-cache.bin", "../elsewhere.bin");
    const Text linked = Tree.TextPath("cache2/sha1-cache.bin");
    cache.Load(linked);
    EXPECT_EQ(cache.Count(), 0u);
    CacheOf({3}).Save(linked);
    EXPECT_EQ(ReadWholeFile(Tree.Path("elsewhere.bin")), good);
    EXPECT_TRUE(std::filesystem::is_symlink(Tree.Path("cache2/sha1-cache.bin")));
#endif
}

// Entry A is met in the first scan only, B in every one: A is in the files of the first ten
// scans and gone from the eleventh.
TEST_F(TCacheFile, EntriesNotMetInTheLastTenScansAreDropped) {
    CacheOf({1, 2}).Save(Path);  // scan 1
    for (std::uint32_t scan = 2; scan <= CacheScansKept + 1; ++scan) {
        SCOPED_TRACE(scan);
        TDigestCache cache;
        cache.Load(Path);
        ASSERT_NE(cache.Find(Stamp(1)), nullptr);
        cache.Keep(Stamp(2));
        cache.Save(Path);
    }
    TDigestCache last;
    last.Load(Path);
    EXPECT_EQ(last.Find(Stamp(1)), nullptr);
    EXPECT_NE(last.Find(Stamp(2)), nullptr);
    EXPECT_EQ(last.Count(), 1u);
}

TEST_F(TCacheFile, BeyondTheLimitTheMostRecentlyMetStay) {
    CacheOf({1, 2, 3, 4, 5}).Save(Path);
    TDigestCache cache;
    cache.Load(Path);
    cache.Keep(Stamp(4));
    for (std::uint64_t i : {6, 7})
        cache.Record(Stamp(i), Digest(static_cast<std::uint8_t>(i)), ReadTime);
    TDigestCache next;
    ASSERT_TRUE(next.Parse(cache.Serialize(3)));
    EXPECT_EQ(next.Count(), 3u);
    for (std::uint64_t i : {4, 6, 7})
        EXPECT_NE(next.Find(Stamp(i)), nullptr) << i;
}

// Two programs writing at once, a third reading meanwhile: every read finds one whole cache
// or the other, never a mixture or a half-written file.
TEST_F(TCacheFile, WritersAtOnceLeaveOneWholeCache) {
    TDigestCache small, large;
    for (std::uint64_t i = 1; i <= 3000; ++i) {
        const auto d = Digest(static_cast<std::uint8_t>(i));
        if (i <= 1000)
            small.Record(Stamp(i), d, ReadTime);
        large.Record(Stamp(i + 5000), d, ReadTime);
    }
    small.Save(Path);
    std::atomic<bool> writing{true};
    auto writer = [&](const TDigestCache& cache) {
        for (int i = 0; i < 40; ++i) {
            try {
                cache.Save(Path);
            } catch (const Platform::EPlatformError&) {
                // Windows replaces no file that a reader holds open: this write is lost.
            }
        }
    };
    std::thread a(writer, std::cref(small)), b(writer, std::cref(large));
    std::thread done([&] {
        a.join();
        b.join();
        writing = false;
    });
    int reads = 0, unopened = 0;
    std::vector<std::size_t> wrong;
    while (writing || reads == 0) {
        const std::optional<std::string> bytes = BytesOf(Path);
        if (!bytes) {
            ++unopened;
            continue;
        }
        TDigestCache read;
        const bool whole = read.Parse(*bytes);
        const std::size_t n = read.Count();
        if (!whole || (n != 1000 && n != 3000) ||
            read.Find(n == 1000 ? Stamp(1) : Stamp(5001)) == nullptr)
            wrong.push_back(n);
        ++reads;
    }
    done.join();
    EXPECT_EQ(wrong, std::vector<std::size_t>()) << "of " << reads << " reads";
#ifndef _WIN32
    EXPECT_EQ(unopened, 0);  // a rename replaces the file in one step
#endif
    // No temporary file is left beside it.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(Tree.Path("cache")))
        ++files;
    EXPECT_EQ(files, 1u);
}

}  // namespace
