#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/ContentHash.h"
#include "core/FileGrouping.h"
#include "core/FolderWalk.h"
#include "platform/FileSystem.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

namespace {

TEST(ComputeFileHash, StandardDigestsInLowerCase) {
    TTempTree tree;
    tree.File("abc", "abc");
    tree.File("empty", "");
    tree.SizedFile("million", 1000000, 'a');  // spans several read blocks
    EXPECT_EQ(U8(ComputeFileHash(tree.TextPath("abc"))),
              "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(U8(ComputeFileHash(tree.TextPath("empty"))),
              "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(U8(ComputeFileHash(tree.TextPath("million"))),
              "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(ComputeFileHash, NoFileGivesTheEmptyTextAnUnreadableOneRaises) {
    TTempTree tree;
    tree.Folder("dir");
    tree.File("locked", "secret");
    EXPECT_EQ(ComputeFileHash(tree.TextPath("missing")), u"");
    EXPECT_EQ(ComputeFileHash(tree.TextPath("dir")), u"");
    tree.Deny("locked");
    const Text locked = tree.TextPath("locked");
    EXPECT_EQ(RunWhereDenied([&] {
                  try {
                      ComputeFileHash(locked);
                  } catch (const std::exception&) {
                      return 1;
                  }
                  return 0;
              }),
              1);
}

// A file that shrinks or grows while it is read: the reader hands out the bytes that are
// there when each block is read, ends at the end it then finds, and never fails for it.
TEST(ComputeFileHash, AFileThatChangesWhileReadGivesTheDigestOfTheBytesRead) {
    TTempTree tree;
    const std::string block(HashBlockSize, 'x');
    for (const bool grows : {false, true}) {
        SCOPED_TRACE(grows ? "grows" : "shrinks");
        tree.File("changing", block + block);
        Platform::TFileReader reader(tree.TextPath("changing"));
        std::string buffer(HashBlockSize, '\0'), read;
        std::size_t n = reader.Read(buffer.data(), buffer.size());
        read.append(buffer, 0, n);
        if (grows)
            tree.File("changing", block + block + "tail");
        else
            ASSERT_EQ(::truncate(tree.Path("changing").c_str(), 10), 0);
        while ((n = reader.Read(buffer.data(), buffer.size())) != 0)
            read.append(buffer, 0, n);
        EXPECT_EQ(read, grows ? block + block + "tail" : block);
    }
}

class ComputeAllHashes_ : public ::testing::Test {
protected:
    TTempTree Tree;
    TTestHost Host;
    TMemoryResultList Files;
    TStopToken Stop;
    TScanState State;
    TCompareMode ListedMode = cmContent;

    ComputeAllHashes_() { Host.Settings.MinSizeMB = 0; }

    void Collect(std::string_view folder) {
        Host.Settings.Folders = {Tree.FolderText(folder)};
        CollectFiles(Host, Stop, State);
        Host.Statuses.clear();
        Host.Events.clear();
        Host.KeepCalls = 0;
    }
    const TFileInfo& File(std::string_view rel) {
        for (const auto& f : State.Files)
            if (f->FullPath() == Tree.TextPath(rel))
                return *f;
        throw std::runtime_error("not collected");
    }
};

TEST_F(ComputeAllHashes_, NothingCollectedChangesNothing) {
    ComputeAllHashes(Host, Stop, State.Files);
    EXPECT_TRUE(Host.Statuses.empty());
    EXPECT_TRUE(Host.Events.empty());
}

TEST_F(ComputeAllHashes_, OnlyFilesThatShareTheirSizeAreHashed) {
    Tree.File("h/a5", "12345");
    Tree.File("h/b5", "12345");
    Tree.File("h/c3", "abc");  // unique size
    Collect("h");
    for (bool parallel : {false, true}) {
        SCOPED_TRACE(parallel);
        for (const auto& f : State.Files)
            f->ClearContentHash();
        Host.Settings.ParallelHash = parallel;
        ComputeAllHashes(Host, Stop, State.Files);
        EXPECT_EQ(U8(File("h/a5").ContentHash()), "8cb2237d0679ca88db6464eac60da96345513964");
        EXPECT_EQ(File("h/a5").ContentHash(), File("h/b5").ContentHash());
        EXPECT_TRUE(File("h/c3").ContentHash().empty());
        EXPECT_EQ(Host.ProgressPosition, 0);
    }
}

TEST_F(ComputeAllHashes_, AllSizesDistinctOpensNothing) {
    Tree.File("d/a", "1");
    Tree.File("d/b", "22");
    Collect("d");
    ComputeAllHashes(Host, Stop, State.Files);
    EXPECT_EQ(Host.Statuses, (std::vector<Text>{u"Computing SHA-1 hashes (size filtered)..."}));
    EXPECT_EQ(Host.ProgressPosition, 0);
    for (const auto& f : State.Files)
        EXPECT_FALSE(f->HasContentHash());
}

// Small files are counted one by one as they are hashed; large ones that differ in their
// first block all at once when the check settles them, and the count shows every ten passed.
TEST_F(ComputeAllHashes_, SequentialProgressEveryTenFilesAndTheLast) {
    for (const bool settled : {false, true}) {
        SCOPED_TRACE(settled ? "settled by the first check" : "hashed");
        State.Clear();
        Tree.Remove("s");
        for (int i = 0; i < 25; ++i)
            Tree.File(
                "s/f" + std::to_string(100 + i),
                (settled ? std::string(DefaultPartialChecks.FirstBlock + 100, 'l') : "same size ") +
                    std::to_string(10 + i));
        Collect("s");
        Host.Settings.ParallelHash = false;
        ComputeAllHashes(Host, Stop, State.Files);
        EXPECT_EQ(Host.StatusesStartingWith(u"Computing SHA-1 hashes (size filtered)... "),
                  (std::vector<Text>{u"Computing SHA-1 hashes (size filtered)... 1 / 25",
                                     u"Computing SHA-1 hashes (size filtered)... 11 / 25",
                                     u"Computing SHA-1 hashes (size filtered)... 21 / 25",
                                     u"Computing SHA-1 hashes (size filtered)... 25 / 25"}));
        std::vector<std::string> positions;
        for (const auto& e : Host.Events)
            if (e.rfind("pos ", 0) == 0)
                positions.push_back(e);
        // Reset, one per file or one for all settled, back to 0.
        EXPECT_EQ(positions.size(), settled ? 3u : 1u + 25u + 1u);
        EXPECT_EQ(positions[positions.size() - 2], "pos 25");
    }
}

TEST_F(ComputeAllHashes_, WorkerCountsGiveTheSameDigests) {
    for (int i = 0; i < 40; ++i)
        Tree.File("w/f" + std::to_string(i), std::string(100, static_cast<char>('a' + i % 3)));
    Collect("w");
    Host.Settings.ParallelHash = false;
    ComputeAllHashes(Host, Stop, State.Files);
    std::vector<Text> sequential;
    for (const auto& f : State.Files)
        sequential.push_back(f->ContentHash());
    for (unsigned workers : {1u, 2u, 16u, 64u}) {  // more workers than files too
        SCOPED_TRACE(workers);
        for (const auto& f : State.Files)
            f->ClearContentHash();
        Host.Settings.ParallelHash = true;
        ComputeAllHashes(Host, Stop, State.Files, workers);
        std::vector<Text> parallel;
        for (const auto& f : State.Files)
            parallel.push_back(f->ContentHash());
        EXPECT_EQ(parallel, sequential);
    }
}

TEST_F(ComputeAllHashes_, FilesThatVanishOrTurnIntoFoldersGetNoDigest) {
    Tree.File("v/a", "xyz");
    Tree.File("v/b", "xyz");
    Tree.File("v/c", "xyz");
    Collect("v");
    Tree.Remove("v/b");
    Tree.Remove("v/c");
    Tree.Folder("v/c");
    for (bool parallel : {false, true}) {
        Host.Settings.ParallelHash = parallel;
        ComputeAllHashes(Host, Stop, State.Files);
        EXPECT_TRUE(File("v/a").HasContentHash());
        EXPECT_FALSE(File("v/b").HasContentHash());
        EXPECT_FALSE(File("v/c").HasContentHash());
    }
}

// A file swapped after the walk is not read in its record's name: it could be grouped with
// the file it now leads to, or be that very file.
TEST_F(ComputeAllHashes_, AFileSwappedAfterTheWalkGetsNoDigest) {
    struct {
        const char* Name;
        std::function<void(TTempTree&)> Swap;
    } cases[] = {
#ifndef _WIN32  // wine makes no symbolic links
        {"a link to its sibling",
         [](TTempTree& t) {
             t.Remove("s/a");
             t.Link("s/a", "b");
         }},
#endif
        {"a hard link to its sibling",
         [](TTempTree& t) {
             t.Remove("s/a");
             t.HardLink("s/a", "s/b");
         }},
        {"the same file with another size", [](TTempTree& t) { t.File("s/a", "same-bytes+"); }},
        {"another file of the same size and bytes",
         [](TTempTree& t) {
             t.File("s/new", "same-bytes");
             std::filesystem::rename(t.Path("s/new"), t.Path("s/a"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        State.Clear();
        Tree.Remove("s");
        for (const char* rel : {"s/a", "s/b", "s/c"})
            Tree.File(rel, "same-bytes");
        Collect("s");
        c.Swap(Tree);
        Host.Settings.ParallelHash = false;
        ComputeAllHashes(Host, Stop, State.Files);
        EXPECT_FALSE(File("s/a").HasContentHash());
        EXPECT_TRUE(File("s/b").HasContentHash());
        EXPECT_EQ(File("s/b").ContentHash(), File("s/c").ContentHash());
        FindFileDuplicates(Host, Stop, State.Files, Files, ListedMode);
        std::vector<const TFileInfo*> grouped;
        for (int i = 0; i < Files.ItemCount(); ++i)
            grouped.push_back(Files.ItemAt(i).Data);
        EXPECT_EQ(grouped, (std::vector<const TFileInfo*>{&File("s/b"), &File("s/c")}));  // never a
    }
}

TEST_F(ComputeAllHashes_, AnUnreadableFileGetsNoDigestAndThePhaseCompletes) {
    Tree.File("u/a", "same");
    Tree.File("u/b", "same");
    Tree.File("u/c", "same");
    Tree.Deny("u/b");
    const Text folder = Tree.FolderText("u");
    const int result = RunWhereDenied([&] {
        TTestHost host;
        host.Settings.Folders = {folder};
        host.Settings.MinSizeMB = 0;
        TStopToken stop;
        TScanState state;
        CollectFiles(host, stop, state);
        ComputeAllHashes(host, stop, state.Files);
        int hashed = 0;
        for (const auto& f : state.Files)
            hashed += f->HasContentHash();
        const bool reachedEnd =
            host.LastStatus() == u"Computing SHA-1 hashes (size filtered)... 3 / 3";
        return hashed * 10 + (reachedEnd ? 1 : 0);
    });
    EXPECT_EQ(result, 21);  // two digests; progress reached 3 of 3
}

TEST_F(ComputeAllHashes_, StopInParallelModeShowsTheStoppingTextAndWaitsForWorkers) {
    for (int i = 0; i < 30; ++i)
        Tree.SizedFile("p/f" + std::to_string(i), 2 * 1024 * 1024, 'z');
    Collect("p");
    Host.Settings.ParallelHash = true;
    // The first call is the phase's opening text; the second is the first poll of the workers.
    Host.OnKeep = [&](TTestHost& h) {
        if (h.KeepCalls == 2)
            Stop.Request();
    };
    ComputeAllHashes(Host, Stop, State.Files, 2);
    const auto stopping = Host.StatusesStartingWith(u"Stopping SHA-1 hashing... ");
    ASSERT_FALSE(stopping.empty());
    int hashed = 0;
    for (const auto& f : State.Files)
        hashed += f->HasContentHash();
    EXPECT_LT(hashed, 30);
    // The bar's last position before going back to 0 is the number of digests: a file left
    // between two blocks at the stop is not counted.
    ASSERT_GE(Host.Events.size(), 2u);
    EXPECT_EQ(Host.Events[Host.Events.size() - 2], "pos " + std::to_string(hashed));
    EXPECT_EQ(Host.Events.back(), "pos 0");
}

// Two files of 1 TiB, sparse: hashing either to its end would take many minutes, so only a
// phase that leaves a file between two blocks ends in time. A watchdog empties both files
// after 20 s, so that a build without that ends too, and fails, instead of hanging.
class ComputeAllHashes_LargeFiles : public ComputeAllHashes_ {
protected:
    using TClock = std::chrono::steady_clock;
    static constexpr std::uint64_t TiB = std::uint64_t{1} << 40;

    ComputeAllHashes_LargeFiles() {
        Tree.SparseFile("big/one", TiB);
        Tree.SparseFile("big/two", TiB);
        Collect("big");
        FWatchdog = std::thread([this] {
            std::unique_lock lock(FMutex);
            if (!FDone.wait_for(lock, std::chrono::seconds(20), [this] { return FFinished; })) {
                for (const char* name : {"big/one", "big/two"})
                    std::filesystem::resize_file(Tree.Path(name), 0);
            }
        });
    }
    ~ComputeAllHashes_LargeFiles() override {
        {
            std::lock_guard lock(FMutex);
            FFinished = true;
        }
        FDone.notify_one();
        FWatchdog.join();
    }
    int Digests() const {
        int n = 0;
        for (const auto& f : State.Files)
            n += f->HasContentHash();
        return n;
    }
    static double Seconds(TClock::duration d) { return std::chrono::duration<double>(d).count(); }

private:
    std::mutex FMutex;
    std::condition_variable FDone;
    bool FFinished = false;
    std::thread FWatchdog;
};

// Stop is seen between two blocks in both modes; sequential hashing also handles messages
// every 30 ms inside the file (the first call of KeepResponsive is the opening text's).
TEST_F(ComputeAllHashes_LargeFiles, StopInsideALargeFileInBothModes) {
    for (const bool parallel : {false, true}) {
        SCOPED_TRACE(parallel ? "parallel" : "sequential");
        Stop.Reset();
        Host.Settings.ParallelHash = parallel;
        Host.KeepCalls = 0;
        Host.Events.clear();
        std::vector<TClock::time_point> keeps;
        TClock::time_point stopAt{};
        Host.OnKeep = [&](TTestHost& h) {
            keeps.push_back(TClock::now());
            if (h.KeepCalls == 5) {
                Stop.Request();
                stopAt = TClock::now();
            }
        };
        ComputeAllHashes(Host, Stop, State.Files, 2);
        const TClock::time_point returned = TClock::now();
        ASSERT_GE(keeps.size(), 5u);
        EXPECT_LT(Seconds(returned - stopAt), 5.0);
        double longestGap = 0;
        for (std::size_t i = 2; i < 5; ++i)
            longestGap = std::max(longestGap, Seconds(keeps[i] - keeps[i - 1]));
        EXPECT_LT(longestGap, 1.0);  // 30 ms, with room for a busy machine
        EXPECT_EQ(Digests(), 0);
        // No file was finished: the bar never moved from 0.
        for (const std::string& e : Host.Events)
            EXPECT_TRUE(e.rfind("pos ", 0) != 0 || e == "pos 0") << e;
    }
}

// An error of a message handler (the second call of KeepResponsive: the first poll of the
// workers, or 30 ms into the first file) ends the phase at once, the workers stopped first.
TEST_F(ComputeAllHashes_LargeFiles, AnErrorOnTheUserInterfaceThreadEndsThePhaseAtOnce) {
    for (const bool parallel : {true, false}) {
        SCOPED_TRACE(parallel ? "parallel" : "sequential");
        Host.Settings.ParallelHash = parallel;
        Host.KeepCalls = 0;
        Host.OnKeep = [](TTestHost& h) {
            if (h.KeepCalls == 2)
                throw std::runtime_error("user-interface failure");
        };
        const TClock::time_point start = TClock::now();
        EXPECT_THROW(ComputeAllHashes(Host, Stop, State.Files, 2), std::runtime_error);
        EXPECT_LT(Seconds(TClock::now() - start), 5.0);
        EXPECT_EQ(Digests(), 0);
        EXPECT_FALSE(Stop.Requested());  // the user's flag is left alone
    }
}

}  // namespace
