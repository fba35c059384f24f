// The hashing phase with the cache of digests: what it takes from the cache, what it
// writes, and that the groups are those of a scan without it, whatever changed in between.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "core/ContentHash.h"
#include "core/DigestCache.h"
#include "core/FolderWalk.h"
#include "core/RemovalCheck.h"
#include "platform/FileStamp.h"
#include "support/EngineTest.h"

namespace {

namespace fs = std::filesystem;

// Every row of a list with its group, as one text.
std::string Dump(const TMemoryResultList& list) {
    std::string out;
    for (int g = 0; g < list.GroupCount(); ++g)
        out += "group " + std::to_string(list.GroupAt(g).GroupId) + " " +
               U8(list.GroupAt(g).Header) + "\n";
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        out += std::to_string(item.GroupId) + " " + U8(ItemText(item, 0));
        for (int c = 1; c < ItemColumnCount(item); ++c)
            out += "\t" + U8(ItemText(item, c));
        out += "\n";
    }
    return out;
}

// A file is kept only once its times lie two seconds before its reading.
void LetTheTreeSettle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
}

class HashCache : public TEngineTest {
protected:
    Text CachePath = Tree.TextPath("cache/twinseek/sha1-cache.bin");

    HashCache() {
        Host.Settings.Folders = {Tree.FolderText("t")};
        Host.Settings.MinSizeMB = 0;
        Host.Settings.MaxGroups = 0;
        Engine.SetDigestCachePath(CachePath);
    }

    // The File Clones list of a full scan, with the cache or without it.
    std::string ScanList(bool withCache) {
        Engine.SetDigestCachePath(withCache ? CachePath : Text());
        EXPECT_EQ(Engine.Scan(), TScanOutcome::soDone);
        Engine.SetDigestCachePath(CachePath);
        return Dump(Files);
    }

    std::size_t CachedEntries() {
        TDigestCache cache;
        cache.Load(CachePath);
        return cache.Count();
    }
};

std::string Name(int i) {
    return "t/d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".bin";
}

// Contents that make groups of about seven alike, of ten sizes (i + 10 has the same size);
// some of them unique.
std::string Content(int i, char salt = 'a') {
    const int kind = i % 30;
    std::string bytes(100 + i % 10, salt);
    bytes[0] = static_cast<char>('A' + kind);
    if (i % 11 == 0)
        bytes[1] = static_cast<char>(i);  // no clone of its own kind
    return bytes;
}

TEST_F(HashCache, ScansAfterEditsOfATenthEachGiveTheGroupsOfAScanWithoutIt) {
    constexpr int N = 200;
    for (int i = 0; i < N; ++i)
        Tree.File(Name(i), Content(i));
    LetTheTreeSettle();

    const std::string first = ScanList(true);
    EXPECT_EQ(Engine.DigestsFromCache(), 0u);
    EXPECT_EQ(CachedEntries(), static_cast<std::size_t>(N));
    EXPECT_NE(first.find("group 1 "), std::string::npos);
    for (const bool parallel : {false, true}) {
        SCOPED_TRACE(parallel);
        Host.Settings.ParallelHash = parallel;
        EXPECT_EQ(ScanList(true), first);
        EXPECT_EQ(Engine.DigestsFromCache(), static_cast<std::size_t>(N));  // nothing read
    }
    EXPECT_EQ(ScanList(false), first);

    // A tenth of the files each: new bytes of the same size; touched; new bytes of the same
    // size with the modification time set back (only the change time tells); renamed; and
    // replaced by a new file with the old one's bytes elsewhere.
    for (int i = 0; i < 20; ++i)
        Tree.File(Name(i), Content(i, 'b'));
    for (int i = 20; i < 40; ++i)
        fs::last_write_time(Tree.Path(Name(i)), fs::file_time_type::clock::now());
    for (int i = 40; i < 60; ++i) {
        const auto modified = fs::last_write_time(Tree.Path(Name(i)));
        Tree.File(Name(i), Content(i + 10));
        fs::last_write_time(Tree.Path(Name(i)), modified);
    }
    for (int i = 60; i < 80; ++i)
        fs::rename(Tree.Path(Name(i)), Tree.Path(Name(i) + ".moved"));
    for (int i = 80; i < 100; ++i) {
        Tree.Remove(Name(i));
        Tree.File(Name(i), Content(i + 5));
    }

    const std::string reference = ScanList(false);
    EXPECT_NE(reference, first);
    const std::string cached = ScanList(true);
    EXPECT_EQ(cached, reference);
    // The hundred untouched files at least came from the cache; the changed, touched and
    // replaced ones did not (a rename may count either way: it moves the change time).
    EXPECT_GE(Engine.DigestsFromCache(), 100u);
    EXPECT_LE(Engine.DigestsFromCache(), 120u);
    EXPECT_EQ(ScanList(true), reference);
}

TEST_F(HashCache, WithoutAPathNothingIsReadOrWritten) {
    Tree.File("t/a", "same");
    Tree.File("t/b", "same");
    Tree.File("cache/twinseek/sha1-cache.bin", "not a cache");
    LetTheTreeSettle();
    ScanList(false);
    EXPECT_EQ(Engine.DigestsFromCache(), 0u);
    EXPECT_EQ(ReadWholeFile(Tree.Path("cache/twinseek/sha1-cache.bin")), "not a cache");
    // With it, the junk is replaced without a word.
    ScanList(true);
    EXPECT_EQ(CachedEntries(), 2u);
    EXPECT_TRUE(Host.Messages.empty());
}

// Stopped after the first file of the sequential mode: that one is in the cache.
TEST_F(HashCache, AStoppedPhaseWritesWhatItHashed) {
    for (int i = 0; i < 30; ++i)
        Tree.File("t/f" + std::to_string(i), "same size " + std::to_string(i % 10));
    LetTheTreeSettle();
    Host.Settings.ParallelHash = false;
    Host.Settings.Folders = {Tree.FolderText("t")};
    CollectFiles(Host, Stop, State);
    const int keepsBefore = Host.KeepCalls;
    Host.OnKeep = [&](TTestHost& host) {
        // The first call is before any file; the second follows the first file.
        if (host.KeepCalls == keepsBefore + 2)
            Stop.Request();
    };
    TDigestCacheUse cache{.Path = CachePath};
    ComputeAllHashes(Host, Stop, State.Files, 0, &cache);
    std::size_t hashed = 0;
    for (const auto& f : State.Files)
        hashed += f->HasContentHash();
    EXPECT_EQ(hashed, 1u);
    EXPECT_EQ(CachedEntries(), 1u);
}

// A file that a partial check settles gets no digest and no entry. A file whose digest is
// known still takes part in the checks: gone since the walk, it may match any file, so a
// new copy of its bytes is hashed and grouped with it as hashing every file whole would.
TEST_F(HashCache, SettledFilesAreNotKeptAndAKnownDigestStillMeetsItsCopies) {
    const std::string bytes(DefaultPartialChecks.FirstBlock * 2, 'p');
    Tree.File("t/a", bytes);
    Tree.File("t/b", bytes);
    Tree.File("t/c", "q" + bytes.substr(1));  // differs in its first byte
    LetTheTreeSettle();
    const std::string first = ScanList(true);
    EXPECT_EQ(CachedEntries(), 2u);
    EXPECT_EQ(ScanList(true), first);
    EXPECT_EQ(Engine.DigestsFromCache(), 2u);

    Tree.Remove("t/b");
    Tree.File("t/d", bytes);
    CollectFiles(Host, Stop, State);
    Tree.Remove("t/a");
    TDigestCacheUse cache{.Path = CachePath};
    ComputeAllHashes(Host, Stop, State.Files, 0, &cache);
    EXPECT_EQ(cache.FromCache, 1u);
    std::vector<std::string> hashed;
    for (const auto& f : State.Files)
        if (f->HasContentHash())
            hashed.push_back(U8(f->Name()) + " " + U8(f->ContentHash()));
    const std::string digest = " " + U8(ComputeFileHash(Tree.TextPath("t/d")));
    // The whole group stays with a file that may match anything: c is hashed too.
    EXPECT_EQ(hashed,
              (std::vector<std::string>{
                  "a" + digest, "c " + U8(ComputeFileHash(Tree.TextPath("t/c"))), "d" + digest}));
}

TEST_F(HashCache, ClearRemovesTheFileAndAScanThatRunsMeanwhileWritesNone) {
    Tree.File("t/a", "same");
    Tree.File("t/b", "same");
    LetTheTreeSettle();
    ScanList(true);
    ASSERT_TRUE(fs::exists(Tree.Path("cache/twinseek/sha1-cache.bin")));
    Engine.ClearDigestCache();
    EXPECT_FALSE(fs::exists(Tree.Path("cache/twinseek/sha1-cache.bin")));
    EXPECT_TRUE(fs::exists(Tree.Path("cache/twinseek")));  // only the file goes

    ScanList(true);
    ASSERT_TRUE(fs::exists(Tree.Path("cache/twinseek/sha1-cache.bin")));
    bool cleared = false;
    Host.OnKeep = [&](TTestHost&) {
        if (!cleared && Engine.Scanning()) {
            Engine.ClearDigestCache();
            cleared = true;
        }
    };
    ScanList(true);
    EXPECT_TRUE(cleared);
    EXPECT_FALSE(fs::exists(Tree.Path("cache/twinseek/sha1-cache.bin")));
    Host.OnKeep = nullptr;
    ScanList(true);  // the next scan writes it again
    EXPECT_EQ(CachedEntries(), 2u);

    // What is not a plain file in its place is not removed.
    Tree.Remove("cache/twinseek/sha1-cache.bin");
    Tree.File("cache/twinseek/sha1-cache.bin/mine", "x");
    Engine.ClearDigestCache();
    EXPECT_EQ(ReadWholeFile(Tree.Path("cache/twinseek/sha1-cache.bin/mine")), "x");
}

// A cache that lies (altered by hand, or a file changed within one tick of the clock) can
// make a group of files that differ; the check before a removal reads them and keeps both.
TEST_F(HashCache, AWrongDigestFromTheCacheNeverLetsARemovalThrough) {
    Tree.File("t/a", "first");
    Tree.File("t/b", "other");
    TDigestCache lie;
    for (const char* rel : {"t/a", "t/b"}) {
        Platform::TFileStamp stamp;
        ASSERT_TRUE(Platform::QueryFileStamp(Tree.TextPath(rel), stamp));
        lie.Record(stamp, Platform::TSha1Digest{}, Platform::CurrentFileTime() + 60'000'000'000);
    }
    lie.Save(CachePath);
    ScanList(true);
    EXPECT_EQ(Engine.DigestsFromCache(), 2u);
    ASSERT_EQ(Files.ItemCount(), 2);  // the lie made a group
    ASSERT_TRUE(Files.ItemAt(1).Checked);

    TRemovalCheck check(Files, TItemPath::ipFileRecord, cmContent);
    TStopToken stop;
    ASSERT_TRUE(check.Run(Host, stop));
    ASSERT_EQ(check.Items().size(), 1u);
    EXPECT_FALSE(check.Items()[0].Verified());
    EXPECT_EQ(ReadWholeFile(Tree.Path("t/b")), "other");
}

}  // namespace
