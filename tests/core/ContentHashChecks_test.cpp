// The hashing phase with its partial checks lists exactly what hashing every same-size file
// whole lists: the same groups in the same order, every row the same, in both modes.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/ContentHash.h"
#include "core/CsvExport.h"
#include "core/FileGrouping.h"
#include "core/FolderWalk.h"
#include "support/EngineTest.h"

namespace {

constexpr TPartialCheckPlan NoChecks{.FirstBlock = 0};
// Blocks of a few bytes, so that small fixtures reach every check.
constexpr TPartialCheckPlan TinyBlocks{
    .FirstBlock = 16, .LastBlock = 16, .MiddleBlock = 16, .MiddleFrom = 64};

class ContentHashChecks : public TEngineTest {
protected:
    ContentHashChecks() {
        Host.Settings.Folders = {Tree.FolderText("t")};
        Host.Settings.MinSizeMB = 0;
        Host.Settings.MaxGroups = 0;
    }

    // The File Clones list as CSV after a walk and a hashing phase with these checks.
    std::string Listed(const TPartialCheckPlan& checks, bool parallel) {
        State.Clear();
        Host.Statuses.clear();
        Host.Settings.ParallelHash = parallel;
        CollectFiles(Host, Stop, State);
        ComputeAllHashes(Host, Stop, State.Files, 2, nullptr, checks);
        FindFileDuplicates(Host, Stop, State.Files, Files, ListedMode);
        return ListViewToCsv(Files);
    }

    int Digests() const {
        int n = 0;
        for (const auto& f : State.Files)
            n += f->HasContentHash();
        return n;
    }

    // Every way with checks lists what the way without them lists, which has groups; the
    // tiny blocks settle settled files (no digest) where any file can be settled.
    void ExpectTheSameListEveryWay(int groups, bool settles) {
        const std::string reference = Listed(NoChecks, false);
        EXPECT_EQ(Files.GroupCount(), groups);
        const int hashedWhole = Digests();
        for (const bool parallel : {false, true}) {
            SCOPED_TRACE(parallel ? "parallel" : "sequential");
            EXPECT_EQ(Listed(NoChecks, parallel), reference);
            EXPECT_EQ(Listed(DefaultPartialChecks, parallel), reference);
            EXPECT_EQ(Listed(TinyBlocks, parallel), reference);
            if (settles)
                EXPECT_LT(Digests(), hashedWhole);
            else
                EXPECT_EQ(Digests(), hashedWhole);
            // The count reached the end: every candidate was settled or hashed.
            const auto counts =
                Host.StatusesStartingWith(u"Computing SHA-1 hashes (size filtered)... ");
            ASSERT_FALSE(counts.empty());
            const std::string last = U8(counts.back());
            const std::size_t slash = last.find(" / ");
            ASSERT_NE(slash, std::string::npos);
            EXPECT_EQ(
                last.substr(last.rfind(' ', slash - 1) + 1, slash - last.rfind(' ', slash - 1) - 1),
                last.substr(slash + 3))
                << last;
        }
    }

    // Writes one byte into an existing file.
    void Poke(std::string_view rel, std::int64_t offset, char byte) {
        std::fstream f(Tree.Path(rel), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(offset);
        f.put(byte);
    }
};

std::string Flipped(std::string bytes, std::size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x40);
    return bytes;
}

TEST_F(ContentHashChecks, SmallFixturesListTheSameEveryWay) {
    const std::string big(200000, 'b');  // tiny blocks: its middle check reads from 98304
    const std::size_t block = DefaultPartialChecks.FirstBlock;
    const std::string mid(70000, 'm');  // past the default first block
    const struct {
        const char* Name;
        std::vector<std::pair<const char*, std::string>> Files;
        int Groups;
        bool Settles;  // some file is settled by a check of the tiny blocks
    } cases[] = {
        {"small clones and a small other", {{"a", "same"}, {"b", "same"}, {"c", "diff"}}, 1, false},
        {"only the first byte differs", {{"a", mid}, {"b", Flipped(mid, 0)}, {"c", mid}}, 1, true},
        {"only the last byte differs", {{"a", mid}, {"b", Flipped(mid, 69999)}}, 0, true},
        {"only the middle differs", {{"a", big}, {"b", Flipped(big, 98304)}, {"c", big}}, 1, true},
        {"a byte no check reads differs", {{"a", big}, {"b", Flipped(big, 150001)}}, 0, false},
        {"a shared prefix", {{"a", big + "x"}, {"b", big + "y"}, {"c", big + "y"}}, 1, true},
        {"a shared suffix", {{"a", "x" + big}, {"b", "y" + big}, {"c", "x" + big}}, 1, true},
        {"three sizes of clones",
         {{"a", big}, {"b", big}, {"c", mid}, {"d", mid}, {"e", "tiny"}, {"f", "tiny"}},
         3,
         false},
        {"the size of a block and one more",
         {{"a", std::string(block, 'k')},
          {"b", std::string(block, 'k')},
          {"c", std::string(block + 1, 'k')},
          {"d", std::string(block + 1, 'k')},
          {"e", Flipped(std::string(block + 1, 'k'), block)}},
         2,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Tree.Remove("t");
        for (const auto& [name, bytes] : c.Files)
            Tree.File(std::string("t/") + name, bytes);
        ExpectTheSameListEveryWay(c.Groups, c.Settles);
    }
}

// Clones, and near clones of the same size that differ in one byte at the start, the end,
// the middle or anywhere, or share a long prefix or suffix with each other.
TEST_F(ContentHashChecks, ASeededRandomTreeListsTheSameEveryWay) {
    std::mt19937 rng(20261211);
    auto bytes = [&](std::size_t size) {
        std::string s(size, '\0');
        for (char& c : s)
            c = static_cast<char>(rng() & 0xFF);
        return s;
    };
    const std::size_t sizes[] = {1, 3, 16, 17, 100, 4096, 65536, 65537, 140000, 1100000};
    int n = 0;
    auto add = [&](const std::string& content) {
        Tree.File("t/d" + std::to_string(n % 5) + "/f" + std::to_string(n) + ".bin", content);
        ++n;
    };
    for (const std::size_t size : sizes) {
        for (int base = 0; base < 3; ++base) {
            const std::string original = bytes(size);
            add(original);
            for (int k = 0; k < 5; ++k) {
                const std::size_t r = rng() % 7;
                const std::size_t at = r == 0   ? 0
                                       : r == 1 ? size - 1
                                       : r == 2 ? size / 2
                                                : rng() % size;
                add(r >= 5 ? original : Flipped(original, at));
            }
            if (size > 32) {
                const std::string half = bytes(size / 2);
                add(half + bytes(size - size / 2));  // a shared prefix
                add(half + bytes(size - size / 2));
                add(bytes(size - size / 2) + half);  // a shared suffix
                add(bytes(size - size / 2) + half);
            }
        }
    }
    Listed(NoChecks, false);
    ASSERT_GE(Files.GroupCount(), 10);
    ExpectTheSameListEveryWay(Files.GroupCount(), true);
}

// Files of 64 MB (sparse: they read as zeros at the speed of memory): a pair of clones, one
// that differs in the byte the middle check reads and one that differs where none reads.
TEST_F(ContentHashChecks, LargeFilesDifferingInOneMiddleByteListTheSameEveryWay) {
    constexpr std::int64_t Size = 64 << 20;
    for (const char* name : {"t/a", "t/b", "t/c", "t/d"})
        Tree.SparseFile(name, Size);
    Poke("t/c", Size / 2, 'c');
    Poke("t/d", Size / 2 + 100000, 'd');
    const std::string reference = Listed(NoChecks, true);
    EXPECT_EQ(Files.GroupCount(), 1);
    EXPECT_EQ(Files.ItemCount(), 2);
    for (const bool parallel : {false, true}) {
        SCOPED_TRACE(parallel ? "parallel" : "sequential");
        EXPECT_EQ(Listed(DefaultPartialChecks, parallel), reference);
        const auto& files = State.Files;
        ASSERT_EQ(files.size(), 4u);
        EXPECT_FALSE(files[2]->HasContentHash());  // settled by the middle check, never read
        EXPECT_TRUE(files[3]->HasContentHash());   // only its whole digest tells it apart
    }
}

}  // namespace
