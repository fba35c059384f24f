#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <new>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

#include "core/CompareText.h"
#include "core/FolderWalk.h"
#include "core/ScanEngine.h"
#include "platform/FileSystem.h"
#include "support/EngineTest.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

// Allocations fail on purpose here, for a memory shortage at a chosen moment. These operators
// serve the whole test program; unarmed they are malloc and free.
namespace {

enum class TFaultSide { None, ThisThread, OtherThreads };
std::atomic<TFaultSide> gFaultSide{TFaultSide::None};
std::atomic<std::thread::id> gFaultOwner{};
std::atomic<int> gFaultCountdown{0};
std::atomic<int> gFaultsRaised{0};

// ThisThread: the allocation after `countdown` more on this thread fails, once.
// OtherThreads: every allocation on another thread fails until disarmed, and this thread's
// allocations are slowed meanwhile, so that the others get their share of the work.
void ArmFault(TFaultSide side, int countdown = 0) {
    gFaultOwner = std::this_thread::get_id();
    gFaultCountdown = countdown;
    gFaultsRaised = 0;
    gFaultSide.store(side, std::memory_order_release);
}

void DisarmFault() {
    gFaultSide = TFaultSide::None;
}

void CheckFault() {
    const TFaultSide side = gFaultSide.load(std::memory_order_acquire);
    if (side == TFaultSide::None)
        return;
    const bool owner = std::this_thread::get_id() == gFaultOwner.load();
    if (side == TFaultSide::ThisThread && owner && gFaultCountdown.fetch_sub(1) == 0) {
        gFaultSide = TFaultSide::None;
        ++gFaultsRaised;
        throw std::bad_alloc();
    }
    if (side == TFaultSide::OtherThreads) {
        if (!owner) {
            ++gFaultsRaised;
            throw std::bad_alloc();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

void* Allocate(std::size_t size) {
    CheckFault();
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* AllocateNoThrow(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

class FolderWalk : public TEngineTest {
protected:
    FolderWalk() { Host.Settings.MinSizeMB = 0; }
    ~FolderWalk() override { DisarmFault(); }

    // The collected paths relative to the tree, in FFiles order.
    std::vector<std::string> Collect() {
        CollectFiles(Host, Stop, State);
        std::vector<std::string> paths;
        for (const auto& f : State.Files)
            paths.push_back(ForwardSlashes(U8(f->FullPath()).substr(Tree.Root().size() + 1)));
        return paths;
    }
};

using Paths = std::vector<std::string>;

TEST_F(FolderWalk, NestedFoldersOfTheListCollectEachFileOnceInTheOuterWalksOrder) {
    Tree.File("A/b.txt", "1");
    Tree.File("A/B/c.txt", "22");
    Tree.File("A/B/a.txt", "333");
    Tree.File("A/z.txt", "4444");
    Host.Settings.Folders = {Tree.FolderText("A"), Tree.FolderText("A/B")};
    // Entries of a folder in CompareText order, files and folders together, depth first.
    EXPECT_EQ(Collect(), (Paths{"A/B/a.txt", "A/B/c.txt", "A/b.txt", "A/z.txt"}));
    EXPECT_EQ(U8(Host.LastStatus()), "Found 4 files (after filters).");
}

TEST_F(FolderWalk, MasksInTurnEachPathOnce) {
    Tree.File("p/one.jpg", "x");
    Tree.File("p/TWO.JPG", "x");
    Tree.File("p/three.png", "x");
    Host.Settings.Folders = {Tree.FolderText("p")};
    Host.Settings.Masks = u"*.jpg;*.JPG;*.png";
    EXPECT_EQ(Collect(), (Paths{"p/one.jpg", "p/TWO.JPG", "p/three.png"}));
    // One listing per folder and mask.
    EXPECT_EQ(Host.StatusesStartingWith(u"Scanning folder list: ").size(), 3u);
    EXPECT_EQ(U8(Host.StatusesStartingWith(u"Scanning folder list: ")[0]),
              "Scanning folder list: " + U8(Tree.FolderText("p")) + "   [*.jpg]");
}

TEST_F(FolderWalk, SizeThresholds) {
    Tree.SizedFile("s/exact", 1048576);
    Tree.SizedFile("s/below", 1048575);
    Tree.SizedFile("s/tiny", 1);
    Tree.File("s/empty", "");
    Host.Settings.Folders = {Tree.FolderText("s")};

    Host.Settings.MinSizeMB = 1;
    EXPECT_EQ(Collect(), (Paths{"s/exact"}));
    State.Clear();
    Host.Settings.MinSizeMB = 0;  // no filter, but empty files never
    EXPECT_EQ(Collect(), (Paths{"s/below", "s/exact", "s/tiny"}));
}

TEST_F(FolderWalk, ThresholdBeyondFourGigabytesIsSixtyFourBit) {
    // Sparse files: the size is what counts, no data is written. 5000 MB is past what 32
    // bits hold, signed or not.
    Tree.SparseFile("big/at", 5242880000LL);
    Tree.SparseFile("big/below", 5242879999LL);
    Host.Settings.Folders = {Tree.FolderText("big")};
    Host.Settings.MinSizeMB = 5000;
    EXPECT_EQ(Collect(), (Paths{"big/at"}));
    EXPECT_EQ(State.Files[0]->Size, 5242880000LL);
}

TEST_F(FolderWalk, MissingFolderIsSkippedSilently) {
    Host.Settings.Folders = {Tree.FolderText("gone")};
    EXPECT_TRUE(Collect().empty());
    EXPECT_TRUE(Host.Messages.empty());
    EXPECT_EQ(U8(Host.LastStatus()), "Found 0 files (after filters).");
}

TEST_F(FolderWalk, EmptyListingSetsTheMaximumToOne) {
    Tree.Folder("e");
    Host.Settings.Folders = {Tree.FolderText("e")};
    Collect();
    EXPECT_EQ(Host.Events, (std::vector<std::string>{"keep", "marquee on", "keep", "marquee off",
                                                     "keep", "max 1", "pos 0"}));
}

TEST_F(FolderWalk, StatusAtEveryFiftiethCollectedFileAndTheLast) {
    for (int i = 0; i < 120; ++i)
        Tree.File("n/f" + std::to_string(1000 + i), "x");
    Host.Settings.Folders = {Tree.FolderText("n")};
    Collect();
    const auto scanning = Host.StatusesStartingWith(u"Scanning: ");
    ASSERT_EQ(scanning.size(), 4u);
    const std::string dir = U8(Tree.FolderText("n"));
    EXPECT_EQ(U8(scanning[0]), "Scanning: " + dir + "f1000 (1/120)");
    EXPECT_EQ(U8(scanning[1]), "Scanning: " + dir + "f1050 (51/120)");
    EXPECT_EQ(U8(scanning[2]), "Scanning: " + dir + "f1100 (101/120)");
    EXPECT_EQ(U8(scanning[3]), "Scanning: " + dir + "f1119 (120/120)");
    EXPECT_EQ(Host.ProgressPosition, 0);
}

TEST_F(FolderWalk, DiscardedFilesNeverMoveTheBar) {
    Tree.File("d/a-empty", "");
    Tree.File("d/b-full", "x");
    Host.Settings.Folders = {Tree.FolderText("d")};
    Collect();
    // File 0 is discarded; file 1 is collected and is the last: its status shows "2/2".
    EXPECT_EQ(Host.StatusesStartingWith(u"Scanning: ").size(), 1u);
    EXPECT_NE(std::find(Host.Events.begin(), Host.Events.end(), "pos 2"), Host.Events.end());
    EXPECT_EQ(std::find(Host.Events.begin(), Host.Events.end(), "pos 1"), Host.Events.end());
}

TEST_F(FolderWalk, StopDuringAListingCollectsNothingOfIt) {
    Tree.File("a/1", "x");
    Tree.File("b/2", "x");
    Tree.File("b/3", "x");
    Host.Settings.Folders = {Tree.FolderText("a"), Tree.FolderText("b")};
    // Stop is clicked while the second listing is being built (its marquee is on).
    int marquees = 0;
    Host.OnKeep = [&](TTestHost& h) {
        if (h.Marquee && ++marquees == 2)
            Stop.Request();
    };
    EXPECT_EQ(Collect(), (Paths{"a/1"}));
    EXPECT_EQ(U8(Host.LastStatus()), "Scanning cancelled. 1 files collected so far.");
}

TEST_F(FolderWalk, FileThatVanishesAfterListingIsNotCollected) {
    Tree.File("v/keep", "x");
    Tree.File("v/lost", "x");
    Host.Settings.Folders = {Tree.FolderText("v")};
    Host.OnKeep = [&](TTestHost& h) {
        if (h.Events.size() >= 2 && h.Events[h.Events.size() - 2] == "marquee off")
            Tree.Remove("v/lost");
    };
    EXPECT_EQ(Collect(), (Paths{"v/keep"}));
}

TEST_F(FolderWalk, HardLinksAreOneFile) {
    Tree.File("t/x/data.bin", "abc");
    Tree.HardLink("t/y-hard", "t/x/data.bin");      // the same physical file
    Tree.HardLink("u/other-hard", "t/x/data.bin");  // also through another folder of the list
    Host.Settings.Folders = {Tree.FolderText("t"), Tree.FolderText("u")};
    EXPECT_EQ(Collect(), (Paths{"t/x/data.bin"}));
}

// Windows makes symbolic links only with a privilege that wine does not emulate.
#ifndef _WIN32
TEST_F(FolderWalk, LinksAndCycles) {
    Tree.File("t/x/data.bin", "abc");
    Tree.Link("t/x/loop", "..");             // leads back up the walk path
    Tree.Link("t/file-link", "x/data.bin");  // a link to a file counts 0
    Tree.File("elsewhere/e.bin", "e");
    Tree.Link("t/z-dirlink", Tree.Path("elsewhere"));  // a link to a folder is entered
    Tree.Link("t/broken", "nowhere");
    Host.Settings.Folders = {Tree.FolderText("t")};
    EXPECT_EQ(Collect(), (Paths{"t/x/data.bin", "t/z-dirlink/e.bin"}));
}
#endif

TEST_F(FolderWalk, DotFilesAndNamesBeyondAscii) {
    struct TCase {
        const char* Name;
        const char* Why;
    } cases[] = {
        {".hidden", "a dot file is an ordinary entry"},
        {"caf\xc3\xa9 \xf0\x9f\x93\xb7.txt", "UTF-8, with a character beyond 16 bits"},
#ifndef _WIN32
        // Windows names are UTF-16 and always convert; an unpaired surrogate, their one
        // counterpart, is a name wine cannot create.
        {"caf\xe9.txt", "not UTF-8: the real bytes come back"},
#endif
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Why);
        Tree.File(std::string("h/") + c.Name, "twelve bytes");
        Host.Settings.Folders = {Tree.FolderText("h")};
        State.Clear();
        ASSERT_EQ(Collect(), Paths{std::string("h/") + c.Name});
        EXPECT_EQ(State.Files[0]->Size, 12);
        Tree.Remove("h");
    }
}

TEST_F(FolderWalk, IllegalMaskYieldsNothingForItOnly) {
    Tree.File("m/a.txt", "x");
    Host.Settings.Folders = {Tree.FolderText("m")};
    Host.Settings.Masks = u"sub\\*.txt,[abc,*.txt";
    EXPECT_EQ(Collect(), (Paths{"m/a.txt"}));
    EXPECT_TRUE(Host.Messages.empty());
}

TEST_F(FolderWalk, UnreadableFoldersAndFilesAreSkipped) {
    Tree.File("u/open/a.txt", "x");
    Tree.File("u/closed/b.txt", "x");
    Tree.File("u/secret.txt", "x");
    Tree.Deny("u/closed");
    Tree.Deny("u/secret.txt");
    const Text folder = Tree.FolderText("u");
    const int collected = RunWhereDenied([&] {
        TTestHost host;
        host.Settings.Folders = {folder};
        host.Settings.MinSizeMB = 0;
        TStopToken stop;
        TScanState state;
        CollectFiles(host, stop, state);
        // The unreadable file is still listed and measured; its content is not read here.
        return static_cast<int>(state.Files.size());
    });
    EXPECT_EQ(collected, 2);  // open/a.txt and secret.txt; nothing below closed/
}

// Runs body on a new thread with a stack of the given size, and waits for it.
void RunOnStack(std::size_t stackSize, const std::function<void()>& body) {
    struct TCall {
        const std::function<void()>& Body;
        std::exception_ptr Error;
        void Run() {
            try {
                Body();
            } catch (...) {
                Error = std::current_exception();
            }
        }
    } call{body, nullptr};
#ifdef _WIN32
    HANDLE thread = ::CreateThread(
        nullptr, stackSize,
        [](LPVOID p) -> DWORD {
            static_cast<TCall*>(p)->Run();
            return 0;
        },
        &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
#else
    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    ASSERT_EQ(::pthread_attr_setstacksize(&attributes, stackSize), 0);
    pthread_t thread;
    ASSERT_EQ(::pthread_create(
                  &thread, &attributes,
                  [](void* p) -> void* {
                      static_cast<TCall*>(p)->Run();
                      return nullptr;
                  },
                  &call),
              0);
    ::pthread_attr_destroy(&attributes);
    ::pthread_join(thread, nullptr);
#endif
    if (call.Error)
        std::rethrow_exception(call.Error);
}

TEST_F(FolderWalk, DeepTreeOnASmallStack) {
    // Nested one-letter folders as deep as paths allow, a file at every hundredth level and
    // at the bottom, walked on a small stack that a walk recursing once per level overflows
    // about halfway down. Under wine every component of a path costs a lookup of its own, so
    // a tree as deep as Windows paths allow takes many minutes: there it is shallower, and
    // its stack smaller in proportion.
#ifdef _WIN32
    constexpr std::size_t stackSize = 64 * 1024;
    const std::size_t depth = 500;
#else
    constexpr std::size_t stackSize = 256 * 1024;
    const std::size_t depth = (PATH_MAX - 1 - Tree.Root().size() - 8) / 2;
#endif
    std::string folder = "d";
    for (std::size_t level = 1; level < depth; ++level)
        folder += "/d";
    Tree.Folder(folder);
    Paths expected;  // deepest first: each folder's "d" comes before its file "f"
    for (std::size_t level = depth; level > 0; --level) {
        if (level % 100 != 0 && level != depth)
            continue;
        const std::string file = folder.substr(0, 2 * level - 1) + "/f";
#ifdef _WIN32
        Tree.File(file, "x");
#else
        std::ofstream(Tree.Path(file)) << 'x';  // its folders are there: no path made anew
#endif
        expected.push_back(file);
    }
    Host.Settings.Folders = {Tree.FolderText()};
    Paths collected;
    RunOnStack(stackSize, [&] { collected = Collect(); });
    EXPECT_EQ(collected, expected);
}

// Windows makes symbolic links only with a privilege that wine does not emulate.
#ifndef _WIN32
TEST_F(FolderWalk, LinkLadderListsEachFolderOnce) {
    // Each level holds two links to the next: walked per path, 2^24 folder visits.
    constexpr int levels = 24;
    auto level = [](int i) { return "ladder/L" + std::to_string(100 + i); };
    for (int i = 0; i <= levels; ++i) {
        Tree.File(level(i) + "/f" + std::to_string(100 + i), "x");
        if (i < levels) {
            Tree.Link(level(i) + "/a", "../L" + std::to_string(101 + i));
            Tree.Link(level(i) + "/b", "../L" + std::to_string(101 + i));
        }
    }
    Host.Settings.Folders = {Tree.FolderText("ladder")};
    const auto start = std::chrono::steady_clock::now();
    const Paths collected = Collect();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    // The first path to each folder wins: L100, then a, a/a, ...; the real L101... come later
    // and are known by then. Deepest first, as "a" sorts before each level's file.
    Paths expected;
    for (int i = levels; i >= 0; --i) {
        std::string path = level(0);
        for (int k = 0; k < i; ++k)
            path += "/a";
        expected.push_back(path + "/f" + std::to_string(100 + i));
    }
    EXPECT_EQ(collected, expected);
    EXPECT_LT(seconds.count(), 20.0);
}

TEST_F(FolderWalk, KernelFileSystemsAreNotEntered) {
    if (!Platform::DirectoryExists(u"/proc/self/"))
        GTEST_SKIP() << "no /proc on this system";
    Tree.File("t/keep.bin", "x");
    Tree.Link("t/proc", "/proc");  // endless through its links, and changing while read
    Tree.Link("t/sys", "/sys");
    struct TCase {
        const char* Why;
        std::vector<Text> Folders;
        Paths Expected;
    } cases[] = {
        {"links inside the tree", {Tree.FolderText("t")}, {"t/keep.bin"}},
        {"a folder of the list", {u"/proc/", Tree.FolderText("t")}, {"t/keep.bin"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Why);
        State.Clear();
        Host.Settings.Folders = c.Folders;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Collect(), c.Expected);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  20.0);
    }
}
#endif

TEST_F(FolderWalk, StopIsSeenWhileAListingIsBuilt) {
    Tree.File("a/1", "x");
    // Past twice the interval: a walk that went on after the stop would call again.
    for (std::size_t i = 0; i < 2 * ListingKeepInterval + 100; ++i)
        Tree.File("big/d" + std::to_string(i / 100) + "/f" + std::to_string(i), "x");
    Host.Settings.Folders = {Tree.FolderText("a"), Tree.FolderText("big")};
    // The first two marquee calls begin the two listings; the third comes from inside the
    // listing of big, where Stop is clicked.
    int marqueeKeeps = 0;
    Host.OnKeep = [&](TTestHost& h) {
        if (h.Marquee && ++marqueeKeeps == 3)
            Stop.Request();
    };
    EXPECT_EQ(Collect(), (Paths{"a/1"}));
    EXPECT_EQ(marqueeKeeps, 3);  // the listing ended at once: no further call from it
    EXPECT_EQ(U8(Host.LastStatus()), "Scanning cancelled. 1 files collected so far.");
}

TEST_F(FolderWalk, ResourceErrorsEndTheScan) {
    Tree.File("first/one", "x");
    // Enough files for a measuring helper beside the scan's own thread.
    for (int i = 0; i < 600; ++i)
        Tree.File("second/d" + std::to_string(i / 100) + "/file-" + std::to_string(i), "x");
    Host.Settings.Folders = {Tree.FolderText("first"), Tree.FolderText("second")};
    Host.Settings.FindFileClones = false;
    struct TCase {
        const char* Why;
        TFaultSide Side;
        int Countdown;
        const char* ArmAt;  // the event before the KeepResponsive that arms the fault
    } cases[] = {
        {"at the start of a listing", TFaultSide::ThisThread, 0, "marquee on"},
        {"inside a listing", TFaultSide::ThisThread, 40, "marquee on"},
        {"in a measuring helper", TFaultSide::OtherThreads, 0, "marquee off"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Why);
        if (c.Side == TFaultSide::OtherThreads && std::thread::hardware_concurrency() < 2)
            GTEST_SKIP() << "one logical processor: the listing is measured without helpers";
        Host.Messages.clear();
        Host.Events.clear();
        int armings = 0;
        Host.OnKeep = [&](TTestHost& h) {
            const std::size_t n = h.Events.size();
            // The second folder's listing: the first is collected before the shortage.
            if (n >= 2 && h.Events[n - 2] == c.ArmAt && ++armings == 2)
                ArmFault(c.Side, c.Countdown);
        };
        const TScanOutcome outcome = Engine.Scan();
        DisarmFault();
        EXPECT_GT(gFaultsRaised.load(), 0);
        EXPECT_EQ(outcome, TScanOutcome::soFailed);
        ASSERT_EQ(Host.Messages.size(), 1u);
        EXPECT_EQ(U8(Host.Messages[0]), std::string("Error: ") + std::bad_alloc().what());
        ASSERT_EQ(Engine.Files().size(), 1u);  // what was collected before stays
        EXPECT_EQ(U8(Engine.Files()[0]->Name()), "one");
    }
}

// The collection as one walk per folder and mask gives it: each folder of the list walked
// again for every mask, recursively, a link entered unless it leads back up the walk path,
// then the records tested in listing order.
Paths CollectedMaskByMask(const TTempTree& tree, const std::vector<Text>& folders,
                          const std::vector<Text>& masks) {
    using TKey = std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>;
    std::set<Text> paths;
    std::set<TKey> ids;
    Paths collected;
    for (const Text& folder : folders) {
        if (!Platform::DirectoryExists(folder))
            continue;
        for (const Text& maskText : masks) {
            const std::optional<TFileMask> mask = TFileMask::Compile(maskText);
            if (!mask)
                continue;
            std::vector<Text> listing;
            std::vector<Platform::TFileId> walkPath;
            std::function<void(const Text&)> walk = [&](const Text& dir) {
                std::vector<Platform::TDirEntry> entries;
                Platform::TFileId id;
                if (Platform::ListFolder(dir, entries, &id) != Platform::TListStatus::lsOk ||
                    std::find(walkPath.begin(), walkPath.end(), id) != walkPath.end())
                    return;
                walkPath.push_back(id);
                std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
                    return CompareTextLess(a.Name, b.Name);
                });
                for (const auto& entry : entries) {
                    const Text path = Platform::JoinPath(dir, entry.Name, Platform::NativeSyntax);
                    if (entry.IsFolder)
                        walk(Platform::IncludeTrailingSeparator(path, Platform::NativeSyntax));
                    else if (mask->Matches(entry.Name))
                        listing.push_back(path);
                }
                walkPath.pop_back();
            };
            walk(folder);
            for (const Text& path : listing) {
                Platform::TFileStatus status;
                if (!Platform::QueryFile(path, status) || status.Size == 0 || paths.count(path) ||
                    !ids.insert({status.Id.Volume, status.Id.IndexHigh, status.Id.IndexLow}).second)
                    continue;
                paths.insert(path);
                collected.push_back(ForwardSlashes(U8(path).substr(tree.Root().size() + 1)));
            }
        }
    }
    return collected;
}

TEST_F(FolderWalk, OneWalkForManyMasksCollectsAsAWalkPerMask) {
    for (const char* name :
         {"A/b.txt", "A/B/c.TXT", "A/B/a.dat", "A/z.txt.bak", "A/readme", "A/B/photo1.jpg",
          "A/B/photo12.jpg", "A/x/deep/a.txt", "A/bc.dat", "C/a.txt", "C/Cb.jpg", "A/.hidden.txt"})
        Tree.File(name, name);
    Tree.File("A/empty.txt", "");
    Tree.HardLink("A/x/hard.jpg", "C/Cb.jpg");  // the same file as one in another folder
#ifndef _WIN32
    Tree.Link("A/to-C", "../C");  // a folder of the list reached again inside another
    Tree.Link("A/B/up", "..");
#endif
    const std::vector<Text> folders = {Tree.FolderText("A/B"), Tree.FolderText("A"),
                                       Tree.FolderText("gone"), Tree.FolderText("C")};
    const char16_t* maskTexts[] = {
        u"*.txt;*.TXT;a*;[b-c]*;photo?.jpg;*.*;*.dat",  // overlapping, "*.*" in the middle
        u"*.dat,[!a]*,*.jpg,*.txt",                     // files matching two masks
        u"*.*;*.txt",                                   // the second takes nothing
        u"sub\\x;[abc;*a.t?t;README;*t",                // illegal and malformed masks
        u"*.jpg;*.JPG;*jpg;*g;?b*",
    };
    for (const char16_t* maskText : maskTexts) {
        SCOPED_TRACE(U8(maskText));
        State.Clear();
        Host.Settings.Folders = folders;
        Host.Settings.Masks = maskText;
        EXPECT_EQ(Collect(), CollectedMaskByMask(Tree, folders, ParseMasks(maskText)));
    }
}

TEST(MaskList, FirstMatchIsTheFirstMaskInOrder) {
    // Random masks and names over a small alphabet, so that many of them meet; the first
    // match must be what testing each mask in turn gives.
    std::mt19937 random(20240);
    const std::u16string maskPieces[] = {u"*", u"?",    u"a",    u"B",     u".",
                                         u"x", u"[ab]", u"[!a]", u"[a-c]", u"\u00e9"};
    const char16_t nameChars[] = u"aAbBcx.\u00e9";
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 40; ++round) {
        std::vector<Text> masks;
        const std::size_t count = 1 + pick(30);
        for (std::size_t i = 0; i < count; ++i) {
            Text mask;
            for (std::size_t k = 1 + pick(5); k > 0; --k)
                mask += maskPieces[pick(std::size(maskPieces))];
            masks.push_back(pick(40) == 0 ? Text(u"*.*") : mask);
        }
        std::vector<std::optional<TFileMask>> compiled;
        for (const Text& mask : masks)
            compiled.push_back(TFileMask::Compile(mask));
        TMaskList list(masks);
        for (int n = 0; n < 300; ++n) {
            Text name;
            for (std::size_t k = pick(7); k > 0; --k)
                name += nameChars[pick(std::size(nameChars) - 1)];
            std::size_t expected = TMaskList::NoMatch;
            for (std::size_t m = 0; m < compiled.size() && expected == TMaskList::NoMatch; ++m)
                if (compiled[m] && compiled[m]->Matches(name))
                    expected = m;
            ASSERT_EQ(list.FirstMatch(name), expected) << U8(name);
        }
    }
}

}  // namespace
