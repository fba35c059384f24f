#include "core/ContentHash.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "core/Buckets.h"
#include "core/DigestCache.h"
#include "core/HashPasses.h"
#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
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
                                              const Platform::TFileStatus* expected,
                                              Platform::TReadAccess access) {
    try {
        return std::optional<Platform::TFileReader>(
            std::in_place, path,
            expected ? Platform::TLinkRule::lrRefuse : Platform::TLinkRule::lrFollow, access);
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

// Thrown out of the read loop when TKeepGoing says so; no error.
struct EHashAbandoned {};

// One buffer per thread: the phase reads many small files.
unsigned char* ReadBuffer() {
    thread_local std::unique_ptr<unsigned char[]> buffer(new unsigned char[HashBlockSize]);
    return buffer.get();
}

std::optional<Platform::TSha1Digest> DigestOf(const Text& path,
                                              const Platform::TFileStatus* expected,
                                              const TKeepGoing& keepGoing) {
    // Read-ahead advice costs a call: only worth it for a file of several blocks.
    const bool large = expected == nullptr || expected->Size > std::int64_t{HashBlockSize};
    std::optional<Platform::TFileReader> file =
        OpenFile(path, expected,
                 large ? Platform::TReadAccess::raSequential : Platform::TReadAccess::raDefault);
    if (!file || !OpenedExpectedFile(*file, expected))
        return std::nullopt;
    Platform::TFileReader& reader = *file;
    Platform::TSha1 sha;
    unsigned char* buffer = ReadBuffer();
    std::int64_t total = 0;
    for (;;) {
        const std::size_t n = reader.Read(buffer, HashBlockSize);
        if (n == 0)
            break;
        sha.Update(buffer, n);
        total += static_cast<std::int64_t>(n);
        // A short read that reaches the size the file was opened with is its end: one read
        // fewer for each small file.
        if (expected != nullptr && n < HashBlockSize && total == expected->Size)
            break;
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
// came from. Written only by the thread that works on the target.
struct TCacheSlot {
    enum TSource : std::uint8_t { csNone, csCache, csRead } Source = csNone;
    Platform::TFileStamp Stamp;
    std::int64_t ReadTime = 0;
};

Platform::TFileStamp WalkedStamp(const TFileInfo& file) {
    return Platform::TFileStamp{.Id = file.Id,
                                .Size = file.Size,
                                .ModifiedTime = file.ModifiedTime,
                                .ChangeTime = file.ChangeTime};
}

Platform::TFileStatus ExpectedStatus(const TFileInfo& file) {
    return Platform::TFileStatus{.Size = file.Size, .Id = file.Id, .IsRegular = true};
}

// One file of the phase.
struct TTarget {
    TFileInfo* File = nullptr;
    std::uint32_t Group = SettledGroup;  // its size bucket, narrowed by each check
    bool Known = false;     // its digest was known before any reading (an earlier phase, the cache)
    bool Wild = false;      // known, but a check could not read it: it may match any file
    std::uint64_t Key = 0;  // the key of the current check's block
};

// The hashing phase over its targets: the digests known without reading, the partial checks
// that settle files which cannot have a clone, and the full digest of the rest.
class TStagedHashing {
public:
    TStagedHashing(THashPasses& passes, std::vector<TTarget>& targets, const TDigestCache* cache,
                   std::vector<TCacheSlot>& slots, const TPartialCheckPlan& plan)
        : FPasses(passes), FTargets(targets), FCache(cache), FSlots(slots), FPlan(plan) {}

    void Run() {
        TakeKnownDigests();
        std::vector<std::uint32_t> live;
        for (std::uint32_t i = 0; i < FTargets.size(); ++i)
            if (FTargets[i].Group != SettledGroup)
                live.push_back(i);
        // The first check reads small files whole: they are hashed from that one read.
        for (const TPartialCheck check : AllPartialChecks) {
            if (!Check(check, live))
                return;
        }
        std::vector<std::uint32_t> unknown;
        for (const std::uint32_t i : live)
            if (!FTargets[i].Known)
                unknown.push_back(i);
        FPasses.Run(unknown.size(), [&](std::size_t k, const TKeepGoing& keepGoing) {
            return HashWhole(unknown[k], keepGoing);
        });
    }

private:
    // A file whose stamp as the walk found it matches an entry takes the entry's digest
    // unread: the digest of its content as it was then. A size bucket of known digests only
    // needs no reading at all.
    void TakeKnownDigests() {
        std::size_t known = 0;
        for (std::size_t i = 0; i < FTargets.size(); ++i) {
            TTarget& t = FTargets[i];
            if (!t.File->HasContentHash() && FCache != nullptr) {
                const Platform::TFileStamp walked = WalkedStamp(*t.File);
                if (const Platform::TSha1Digest* digest = FCache->Find(walked)) {
                    t.File->SetContentHash(*digest);
                    FSlots[i] = TCacheSlot{.Source = TCacheSlot::csCache, .Stamp = walked};
                }
            }
            t.Known = t.File->HasContentHash();
            known += t.Known;
        }
        for (std::size_t b = 0; b < FTargets.size();) {
            std::size_t e = b;
            bool allKnown = true;
            for (; e < FTargets.size() && FTargets[e].Group == FTargets[b].Group; ++e)
                allKnown = allKnown && FTargets[e].Known;
            if (allKnown)
                for (std::size_t i = b; i < e; ++i)
                    FTargets[i].Group = SettledGroup;
            b = e;
        }
        FPasses.Done(known);
        FPasses.ShowDone();
    }

    // One check over the live targets; settles those that no other matches. Files hashed
    // whole from the first check's read, and files that cannot be read, leave the checks
    // too. False when the phase stopped.
    bool Check(TPartialCheck check, std::vector<std::uint32_t>& live) {
        if (!FPlan.Enabled() && check != TPartialCheck::pcFirst)
            return true;
        std::vector<std::uint32_t> items;
        for (const std::uint32_t i : live) {
            TTarget& t = FTargets[i];
            t.Key = 0;
            if (check == TPartialCheck::pcFirst ? !(t.Known && FPlan.WholeInFirst(t.File->Size))
                                                : CheckBlock(FPlan, check, t.File->Size).Length)
                items.push_back(i);
        }
        const bool finished =
            FPasses.Run(items.size(), [&](std::size_t k, const TKeepGoing& keepGoing) {
                return CheckOne(check, items[k], keepGoing);
            });
        if (!finished)
            return false;
        std::vector<TCheckEntry> entries;
        entries.reserve(live.size());
        for (const std::uint32_t i : live) {
            const TTarget& t = FTargets[i];
            entries.push_back({.Group = t.Group, .Key = t.Key, .Wild = t.Wild});
        }
        const std::vector<std::uint32_t> groups = RefineGroups(entries);
        std::vector<std::uint32_t> stillLive;
        std::size_t settled = 0;
        for (std::size_t k = 0; k < live.size(); ++k) {
            TTarget& t = FTargets[live[k]];
            const bool wasLive = t.Group != SettledGroup;
            t.Group = groups[k];
            if (t.Group != SettledGroup)
                stillLive.push_back(live[k]);
            else if (wasLive && !t.Known)
                ++settled;
        }
        live.swap(stillLive);
        FPasses.Done(settled);
        FPasses.ShowDone();
        return true;
    }

    // One target at one check. A small file's first check hashes it whole; a file that is
    // gone, swapped or unreadable leaves the checks without a digest (a known one may match
    // anything). False when abandoned.
    bool CheckOne(TPartialCheck check, std::uint32_t i, const TKeepGoing& keepGoing) {
        TTarget& t = FTargets[i];
        if (check == TPartialCheck::pcFirst && FPlan.WholeInFirst(t.File->Size)) {
            if (!HashWhole(i, keepGoing))
                return false;
            t.Group = SettledGroup;  // hashed: out of the checks (counted as done)
            return true;
        }
        const TBlockRange block = CheckBlock(FPlan, check, t.File->Size);
        std::optional<std::uint64_t> key;
        try {
            key = BlockKeyOf(*t.File, block);
        } catch (...) {
        }
        if (key) {
            t.Key = *key;
        } else if (t.Known) {
            t.Wild = true;
        } else {
            t.Group = SettledGroup;
            t.File->ClearContentHash();
            FPasses.Done();
        }
        return true;
    }

    // The key of one block of the file; nothing when the file is gone or not the one the
    // walk found. Raises when it cannot be read. The read advises against read-ahead: a
    // check of a few KiB must not pull in ten times that on a cold disk.
    static std::optional<std::uint64_t> BlockKeyOf(const TFileInfo& file, TBlockRange block) {
        const Platform::TFileStatus expected = ExpectedStatus(file);
        std::optional<Platform::TFileReader> reader =
            OpenFile(file.FullPath(), &expected, Platform::TReadAccess::raRandom);
        if (!reader || !OpenedExpectedFile(*reader, &expected))
            return std::nullopt;
        unsigned char* buffer = ReadBuffer();
        const std::size_t n =
            reader->ReadAt(buffer, std::min(block.Length, HashBlockSize), block.Offset);
        return BlockKey(buffer, n);
    }

    // The digest of the whole file, counted as done; an error leaves it without one and
    // never stops the phase. A file that is read is kept for the cache only when the walk's
    // stamp still holds after the reading: one written since is not kept. False when
    // keepGoing abandoned the file: it has no digest and is not counted.
    bool HashWhole(std::uint32_t i, const TKeepGoing& keepGoing) {
        TFileInfo& file = *FTargets[i].File;
        try {
            const Platform::TFileStatus expected = ExpectedStatus(file);
            const std::int64_t readTime = FCache ? Platform::CurrentFileTime() : 0;
            const auto digest = DigestOf(file.FullPath(), &expected, keepGoing);
            if (digest)
                file.SetContentHash(*digest);
            else
                file.ClearContentHash();
            const Platform::TFileStamp walked = WalkedStamp(file);
            Platform::TFileStamp after;
            if (FCache && digest && Platform::QueryFileStamp(file.FullPath(), after) &&
                after == walked)
                FSlots[i] =
                    TCacheSlot{.Source = TCacheSlot::csRead, .Stamp = walked, .ReadTime = readTime};
        } catch (const EHashAbandoned&) {
            file.ClearContentHash();
            return false;
        } catch (...) {
            file.ClearContentHash();
        }
        FPasses.Done();
        return true;
    }

    THashPasses& FPasses;
    std::vector<TTarget>& FTargets;
    const TDigestCache* FCache;
    std::vector<TCacheSlot>& FSlots;
    const TPartialCheckPlan& FPlan;
};

// Files of one size, in FFiles order, buckets in the order their first file was met; only
// buckets of two or more, each its own group. What sorting them needs is freed before the
// hashing starts.
std::vector<TTarget> HashTargets(const TStopToken& stop, const TFileList& files) {
    std::vector<std::pair<std::int64_t, std::uint32_t>> bySize;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (stop.Requested())
            break;
        if (files[i]->Size > 0)
            bySize.emplace_back(files[i]->Size, static_cast<std::uint32_t>(i));
    }
    const TBuckets buckets = MakeBuckets(std::move(bySize));
    std::size_t candidates = 0;
    for (std::size_t b = 0; b < buckets.Count(); ++b)
        if (const std::size_t n = buckets.Bucket(b).size(); n >= 2)
            candidates += n;
    std::vector<TTarget> targets;
    targets.reserve(candidates);  // sized once: a million small files are all candidates
    std::uint32_t group = 0;
    for (std::size_t b = 0; b < buckets.Count() && !stop.Requested(); ++b) {
        const auto bucket = buckets.Bucket(b);
        if (bucket.size() < 2)
            continue;
        for (const std::uint32_t i : bucket)
            targets.push_back({.File = files[i], .Group = group});
        ++group;
    }
    return targets;
}

// The digests read in this phase go into the cache, the ones taken from it stay, and the
// file is written; after a stop too, with what was hashed. A cache that cannot be written
// is left as it is: the next scan reads the files again.
void UpdateCache(TDigestCacheUse& use, TDigestCache& cache, const std::vector<TTarget>& targets,
                 const std::vector<TCacheSlot>& slots) {
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const TCacheSlot& slot = slots[i];
        if (slot.Source == TCacheSlot::csCache) {
            cache.Keep(slot.Stamp);
            ++use.FromCache;
        } else if (slot.Source == TCacheSlot::csRead && targets[i].File->HasContentHash()) {
            cache.Record(slot.Stamp, targets[i].File->Digest(), slot.ReadTime);
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
                      unsigned workerCount, TDigestCacheUse* cacheUse,
                      const TPartialCheckPlan& checks) {
    if (cacheUse != nullptr)
        cacheUse->FromCache = 0;
    if (files.empty())
        return;
    host.SetStatus(TranslateText(u"Computing SHA-1 hashes (size filtered)..."));
    host.KeepResponsive();
    const bool parallel = host.ReadSettings().ParallelHash;

    std::vector<TTarget> targets = HashTargets(stop, files);
    if (!targets.empty() && !stop.Requested()) {
        TDigestCache cache;
        const bool cached = cacheUse != nullptr && !cacheUse->Path.empty();
        if (cached)
            cache.Load(cacheUse->Path);
        std::vector<TCacheSlot> slots(cached ? targets.size() : 0);
        const unsigned workers = !parallel ? 0
                                 : workerCount > 0
                                     ? workerCount
                                     : std::max(1u, std::thread::hardware_concurrency());
        THashPasses passes(host, stop, targets.size(), workers);
        TStagedHashing(passes, targets, cached ? &cache : nullptr, slots, checks).Run();
        if (cached)
            UpdateCache(*cacheUse, cache, targets, slots);
    }
    host.SetProgressPosition(0);
}
