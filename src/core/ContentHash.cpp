#include "core/ContentHash.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/Buckets.h"
#include "core/ScanEngine.h"
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

// One claimed file: an error leaves its digest empty and never stops the phase. False when
// keepGoing abandoned the file: it has no digest and is not counted as done.
bool HashOne(TFileInfo& file, const TKeepGoing& keepGoing) {
    if (file.HasContentHash())
        return true;
    try {
        const Platform::TFileStatus expected{.Size = file.Size, .Id = file.Id, .IsRegular = true};
        const auto digest = DigestOf(file.FullPath, &expected, keepGoing);
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

int Clamp(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

// The longest stretch of work between two calls of KeepResponsive in sequential mode.
constexpr std::chrono::milliseconds KeepInterval{30};

void HashSequentially(TScanEngine& engine, const std::vector<TFileInfo*>& targets) {
    using TClock = std::chrono::steady_clock;
    TScanHost& host = engine.Host;
    const std::size_t n = targets.size();
    TClock::time_point lastKeep = TClock::now();
    // An error of a message handler is the phase's, not the file's: it is carried past the
    // file's own error handling and raised here.
    std::exception_ptr handlerError;
    // Besides the status every 10 files, messages are handled once 30 ms of work have gone
    // by, between files and between the blocks of one, and Stop ends a file half read.
    const TKeepGoing keepGoing = [&] {
        if (TClock::now() - lastKeep >= KeepInterval) {
            try {
                host.KeepResponsive();
            } catch (...) {
                handlerError = std::current_exception();
                return false;
            }
            lastKeep = TClock::now();
        }
        return !engine.StopRequested();
    };
    host.SetProgressPosition(0);
    host.SetProgressMax(Clamp(n));
    for (std::size_t i = 0; i < n; ++i) {
        if (engine.StopRequested())
            break;
        const bool finished = HashOne(*targets[i], keepGoing);
        if (handlerError)
            std::rethrow_exception(handlerError);
        if (!finished)
            break;
        host.SetProgressPosition(Clamp(i + 1));
        if (i % 10 == 0 || i + 1 == n) {
            host.SetStatus(
                TranslateFormat(u"Computing SHA-1 hashes (size filtered)... %d / %d", {i + 1, n}));
            host.KeepResponsive();
            lastKeep = TClock::now();
        } else if (!keepGoing() && handlerError) {
            std::rethrow_exception(handlerError);
        }
    }
}

void HashInParallel(TScanEngine& engine, const std::vector<TFileInfo*>& targets, unsigned workers) {
    TScanHost& host = engine.Host;
    const std::size_t n = targets.size();
    std::atomic<std::int64_t> nextIndex{-1};
    std::atomic<std::int64_t> completedCount{0};
    std::atomic<unsigned> finishedWorkers{0};
    // Set when the user-interface thread leaves, by an error too: the workers stop at their
    // next block instead of hashing every remaining file before the error can show.
    std::atomic<bool> abandon{false};

    host.SetMarqueeStyle(false);
    host.SetProgressMax(Clamp(n));
    host.SetProgressPosition(0);

    const TKeepGoing keepGoing = [&] {
        return !engine.StopRequested() && !abandon.load(std::memory_order_relaxed);
    };
    auto worker = [&] {
        try {
            while (keepGoing()) {
                const std::int64_t k = nextIndex.fetch_add(1) + 1;
                if (k >= static_cast<std::int64_t>(n))
                    break;
                if (!HashOne(*targets[static_cast<std::size_t>(k)], keepGoing))
                    break;
                completedCount.fetch_add(1);
            }
        } catch (...) {
            // Counts as finished like any other way out.
        }
        finishedWorkers.fetch_add(1);
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

    bool allFinished = false;
    while (!allFinished) {
        const std::int64_t done = completedCount.load();
        host.SetProgressPosition(Clamp(static_cast<std::size_t>(done)));
        host.SetStatus(
            engine.StopRequested()
                ? TranslateFormat(u"Stopping SHA-1 hashing... %d / %d", {done, n})
                : TranslateFormat(u"Computing SHA-1 hashes (size filtered)... %d / %d", {done, n}));
        host.KeepResponsive();
        allFinished = finishedWorkers.load() == workers;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    host.SetProgressPosition(Clamp(static_cast<std::size_t>(completedCount.load())));
}

// Files of one size, in FFiles order, buckets in the order their first file was met; only
// buckets of two or more. What sorting them needs is freed before the hashing starts.
std::vector<TFileInfo*> HashTargets(TScanEngine& engine) {
    std::vector<std::pair<std::int64_t, std::uint32_t>> bySize;
    for (std::size_t i = 0; i < engine.FFiles.size(); ++i) {
        if (engine.StopRequested())
            break;
        if (engine.FFiles[i]->Size > 0)
            bySize.emplace_back(engine.FFiles[i]->Size, static_cast<std::uint32_t>(i));
    }
    const TBuckets buckets = MakeBuckets(std::move(bySize));
    std::vector<TFileInfo*> targets;
    for (std::size_t b = 0; b < buckets.Count() && !engine.StopRequested(); ++b) {
        const auto bucket = buckets.Bucket(b);
        if (bucket.size() < 2)
            continue;
        for (const std::uint32_t i : bucket)
            targets.push_back(engine.FFiles[i].get());
    }
    return targets;
}

}  // namespace

void ComputeAllHashes(TScanEngine& engine, unsigned workerCount) {
    if (engine.FFiles.empty())
        return;
    TScanHost& host = engine.Host;
    host.SetStatus(TranslateText(u"Computing SHA-1 hashes (size filtered)..."));
    host.KeepResponsive();
    const bool parallel = host.ReadSettings().ParallelHash;

    const std::vector<TFileInfo*> hashTargets = HashTargets(engine);
    if (!hashTargets.empty() && !engine.StopRequested()) {
        if (parallel) {
            const unsigned workers =
                workerCount > 0 ? workerCount : std::max(1u, std::thread::hardware_concurrency());
            HashInParallel(engine, hashTargets, workers);
        } else {
            HashSequentially(engine, hashTargets);
        }
    }
    host.SetProgressPosition(0);
}
