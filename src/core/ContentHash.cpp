#include "core/ContentHash.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/Buckets.h"
#include "core/DigestCache.h"
#include "core/Pacer.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

// The file the walk measured: swapped since (for a link, a hard link to another file, or
// another file of the same size) or changed in size, it must not get a digest in its name.
bool IsExpectedFile(const Platform::TFileStatus& now, const Platform::TFileStatus& expected) {
    return now.IsRegular && now.Id == expected.Id && now.Size == expected.Size;
}

// Opens the file; nothing when the path is no file (with expected: no longer the one
// expected), which is only asked after a failed open: the phase opens hundreds of thousands
// of files that are there.
std::optional<Platform::TFileReader> OpenFile(const Text& path,
                                              const Platform::TFileStatus* expected) {
    try {
        return std::optional<Platform::TFileReader>(
            std::in_place, path,
            expected ? Platform::TLinkRule::lrRefuse : Platform::TLinkRule::lrFollow);
    } catch (const Platform::EPlatformError&) {
        Platform::TFileStatus now;
        const bool there = expected
                               ? Platform::QueryFile(path, now) && IsExpectedFile(now, *expected)
                               : Platform::FileExists(path);
        if (!there)
            return std::nullopt;
        throw;
    }
}

// Whether the open file is the one expected; always when nothing is expected.
bool OpenedExpectedFile(const Platform::TFileReader& file, const Platform::TFileStatus* expected) {
    return expected == nullptr || IsExpectedFile(file.Status(), *expected);
}

// Asked between two blocks of one file; false abandons the file (Stop inside a large file).
using TKeepGoing = std::function<bool()>;

// Thrown out of the read loop when TKeepGoing says so; no error.
struct EHashAbandoned {};

std::optional<Platform::TSha1Digest> DigestOf(const Text& path,
                                              const Platform::TFileStatus* expected,
                                              const TKeepGoing& keepGoing) {
    std::optional<Platform::TFileReader> file = OpenFile(path, expected);
    if (!file || !OpenedExpectedFile(*file, expected))
        return std::nullopt;
    Platform::TFileReader& reader = *file;
    Platform::TSha1 sha;
    // One buffer per thread: the phase hashes many small files.
    thread_local std::unique_ptr<unsigned char[]> buffer(new unsigned char[HashBlockSize]);
    for (;;) {
        const std::size_t n = reader.Read(buffer.get(), HashBlockSize);
        if (n == 0)
            break;
        sha.Update(buffer.get(), n);
        if (keepGoing && !keepGoing())
            throw EHashAbandoned{};
    }
    return sha.Final();
}

}  // namespace

std::optional<Platform::TSha1Digest> ComputeFileDigest(const Text& path,
                                                       const Platform::TFileStatus* expected) {
    return DigestOf(path, expected, {});
}

Text ComputeFileHash(const Text& path) {
    const auto digest = ComputeFileDigest(path);
    return digest ? Platform::DigestToHex(*digest) : Text();
}

namespace {

// What the cache made of one target: its stamp before it was read, and where its digest
// came from. Written only by the thread that claimed the target.
struct TCacheSlot {
    enum TSource : std::uint8_t { csNone, csCache, csRead } Source = csNone;
    Platform::TFileStamp Stamp;
    std::int64_t ReadTime = 0;
};

// The cache of the phase: read-only while files are hashed; the slots go into it afterwards.
struct TPhaseCache {
    const TDigestCache* Cache = nullptr;  // nullptr: no cache
    std::vector<TCacheSlot> Slots;        // one per target
};

// A file whose stamp as the walk found it matches an entry takes the entry's digest unread:
// the digest of its content as it was then. A file that is read is kept for the cache only
// when the walk's stamp still holds after the reading: one written since is not kept.
std::optional<Platform::TSha1Digest> CachedDigestOf(const TFileInfo& file,
                                                    const Platform::TFileStatus& expected,
                                                    const TDigestCache& cache, TCacheSlot& slot,
                                                    const TKeepGoing& keepGoing) {
    const Platform::TFileStamp walked{.Id = file.Id,
                                      .Size = file.Size,
                                      .ModifiedTime = file.ModifiedTime,
                                      .ChangeTime = file.ChangeTime};
    if (const Platform::TSha1Digest* digest = cache.Find(walked)) {
        slot = TCacheSlot{.Source = TCacheSlot::csCache, .Stamp = walked};
        return *digest;
    }
    const std::int64_t readTime = Platform::CurrentFileTime();
    auto digest = DigestOf(file.FullPath, &expected, keepGoing);
    Platform::TFileStamp after;
    if (digest && Platform::QueryFileStamp(file.FullPath, after) && after == walked)
        slot = TCacheSlot{.Source = TCacheSlot::csRead, .Stamp = walked, .ReadTime = readTime};
    return digest;
}

// One claimed file: an error leaves its digest empty and never stops the phase. False when
// keepGoing abandoned the file: it has no digest and is not counted as done.
bool HashOne(TFileInfo& file, TCacheSlot* slot, const TDigestCache* cache,
             const TKeepGoing& keepGoing) {
    if (file.HasContentHash())
        return true;
    try {
        const Platform::TFileStatus expected{.Size = file.Size, .Id = file.Id, .IsRegular = true};
        const auto digest = cache != nullptr
                                ? CachedDigestOf(file, expected, *cache, *slot, keepGoing)
                                : DigestOf(file.FullPath, &expected, keepGoing);
        if (digest)
            file.SetContentHash(*digest);
        else
            file.ClearContentHash();
    } catch (const EHashAbandoned&) {
        file.ClearContentHash();
        return false;
    } catch (...) {
        file.ClearContentHash();
    }
    return true;
}

bool HashTarget(const std::vector<TFileInfo*>& targets, TPhaseCache& cache, std::size_t i,
                const TKeepGoing& keepGoing) {
    return HashOne(*targets[i], cache.Cache ? &cache.Slots[i] : nullptr, cache.Cache, keepGoing);
}

void HashSequentially(TScanHost& host, const TStopToken& stop,
                      const std::vector<TFileInfo*>& targets, TPhaseCache& cache) {
    const std::size_t n = targets.size();
    TPacer pacer(host, stop);
    // An error of a message handler is the phase's, not the file's: it is carried past the
    // file's own error handling and raised here.
    std::exception_ptr handlerError;
    // Besides the status every 10 files, messages are handled once the pacer's interval of
    // work has gone by, between files and between the blocks of one, and Stop ends a file
    // half read.
    const TKeepGoing keepGoing = [&] {
        try {
            return pacer.Continue();
        } catch (...) {
            handlerError = std::current_exception();
            return false;
        }
    };
    host.SetProgressPosition(0);
    host.SetProgressMax(ProgressCount(n));
    for (std::size_t i = 0; i < n; ++i) {
        if (stop.Requested())
            break;
        const bool finished = HashTarget(targets, cache, i, keepGoing);
        if (handlerError)
            std::rethrow_exception(handlerError);
        if (!finished)
            break;
        host.SetProgressPosition(ProgressCount(i + 1));
        if (i % 10 == 0 || i + 1 == n) {
            host.SetStatus(
                TranslateFormat(u"Computing SHA-1 hashes (size filtered)... %d / %d", {i + 1, n}));
            host.KeepResponsive();
            pacer.Kept();
        } else if (!keepGoing() && handlerError) {
            std::rethrow_exception(handlerError);
        }
    }
}

void HashInParallel(TScanHost& host, const TStopToken& stop, const std::vector<TFileInfo*>& targets,
                    TPhaseCache& cache, unsigned workers) {
    const std::size_t n = targets.size();
    std::atomic<std::int64_t> nextIndex{-1};
    std::atomic<std::int64_t> completedCount{0};
    std::atomic<unsigned> finishedWorkers{0};
    // The last worker to finish wakes the user-interface thread: a phase that takes its
    // digests from the cache is over in milliseconds, and waiting out a whole poll interval
    // would be a good part of a rescan.
    std::mutex finishedMutex;
    std::condition_variable finished;
    // Set when the user-interface thread leaves, by an error too: the workers stop at their
    // next block instead of hashing every remaining file before the error can show.
    std::atomic<bool> abandon{false};

    host.SetMarqueeStyle(false);
    host.SetProgressMax(ProgressCount(n));
    host.SetProgressPosition(0);

    const TKeepGoing keepGoing = [&] {
        return !stop.Requested() && !abandon.load(std::memory_order_relaxed);
    };
    auto worker = [&] {
        try {
            while (keepGoing()) {
                const std::int64_t k = nextIndex.fetch_add(1) + 1;
                if (k >= static_cast<std::int64_t>(n))
                    break;
                if (!HashTarget(targets, cache, static_cast<std::size_t>(k), keepGoing))
                    break;
                completedCount.fetch_add(1);
            }
        } catch (...) {
            // Counts as finished like any other way out.
        }
        {
            const std::lock_guard lock(finishedMutex);
            finishedWorkers.fetch_add(1);
        }
        finished.notify_one();
    };

    std::vector<std::thread> threads;
    threads.reserve(workers);
    // Stops and joins the workers on every way out, errors of the user-interface thread
    // included, so no worker outlives the targets and the records it hashes.
    struct TJoiner {
        std::vector<std::thread>& Threads;
        std::atomic<bool>& Abandon;
        ~TJoiner() {
            Abandon.store(true);
            for (auto& t : Threads)
                if (t.joinable())
                    t.join();
        }
    } joiner{threads, abandon};
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back(worker);

    // Once more after the last worker has finished, so that the last text shows the end.
    for (bool allFinished = false;;) {
        const std::int64_t done = completedCount.load();
        host.SetProgressPosition(ProgressCount(static_cast<std::size_t>(done)));
        host.SetStatus(
            stop.Requested()
                ? TranslateFormat(u"Stopping SHA-1 hashing... %d / %d", {done, n})
                : TranslateFormat(u"Computing SHA-1 hashes (size filtered)... %d / %d", {done, n}));
        host.KeepResponsive();
        if (allFinished)
            break;
        std::unique_lock lock(finishedMutex);
        allFinished = finished.wait_for(lock, TPacer::DefaultInterval,
                                        [&] { return finishedWorkers.load() == workers; });
    }
    host.SetProgressPosition(ProgressCount(static_cast<std::size_t>(completedCount.load())));
}

// Files of one size, in FFiles order, buckets in the order their first file was met; only
// buckets of two or more. What sorting them needs is freed before the hashing starts.
std::vector<TFileInfo*> HashTargets(const TStopToken& stop, const TFileList& files) {
    std::vector<std::pair<std::int64_t, std::uint32_t>> bySize;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (stop.Requested())
            break;
        if (files[i]->Size > 0)
            bySize.emplace_back(files[i]->Size, static_cast<std::uint32_t>(i));
    }
    const TBuckets buckets = MakeBuckets(std::move(bySize));
    std::vector<TFileInfo*> targets;
    for (std::size_t b = 0; b < buckets.Count() && !stop.Requested(); ++b) {
        const auto bucket = buckets.Bucket(b);
        if (bucket.size() < 2)
            continue;
        for (const std::uint32_t i : bucket)
            targets.push_back(files[i].get());
    }
    return targets;
}

// The digests read in this phase go into the cache, the ones taken from it stay, and the
// file is written; after a stop too, with what was hashed. A cache that cannot be written
// is left as it is: the next scan reads the files again.
void UpdateCache(TDigestCacheUse& use, TDigestCache& cache, const std::vector<TFileInfo*>& targets,
                 const std::vector<TCacheSlot>& slots) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const TCacheSlot& slot = slots[i];
        if (slot.Source == TCacheSlot::csCache) {
            cache.Keep(slot.Stamp);
            ++use.FromCache;
        } else if (slot.Source == TCacheSlot::csRead && targets[i]->HasContentHash()) {
            cache.Record(slot.Stamp, targets[i]->Digest(), slot.ReadTime);
        }
    }
    if (use.Cleared)
        return;  // cleared while this scan ran: what it loaded is not written back
    try {
        cache.Save(use.Path);
    } catch (const std::exception&) {
        // Not the user's file and no result of the scan: left unwritten without a word.
    }
}

}  // namespace

void ComputeAllHashes(TScanHost& host, const TStopToken& stop, const TFileList& files,
                      unsigned workerCount, TDigestCacheUse* cacheUse) {
    if (cacheUse != nullptr)
        cacheUse->FromCache = 0;
    if (files.empty())
        return;
    host.SetStatus(TranslateText(u"Computing SHA-1 hashes (size filtered)..."));
    host.KeepResponsive();
    const bool parallel = host.ReadSettings().ParallelHash;

    const std::vector<TFileInfo*> hashTargets = HashTargets(stop, files);
    if (!hashTargets.empty() && !stop.Requested()) {
        TDigestCache cache;
        TPhaseCache phaseCache;
        if (cacheUse != nullptr && !cacheUse->Path.empty()) {
            cache.Load(cacheUse->Path);
            phaseCache.Cache = &cache;
            phaseCache.Slots.resize(hashTargets.size());
        }
        if (parallel) {
            const unsigned workers =
                workerCount > 0 ? workerCount : std::max(1u, std::thread::hardware_concurrency());
            HashInParallel(host, stop, hashTargets, phaseCache, workers);
        } else {
            HashSequentially(host, stop, hashTargets, phaseCache);
        }
        if (phaseCache.Cache != nullptr)
            UpdateCache(*cacheUse, cache, hashTargets, phaseCache.Slots);
    }
    host.SetProgressPosition(0);
}
