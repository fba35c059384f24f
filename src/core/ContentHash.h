#pragma once
// Content mode: the SHA-1 digest of every file that can have a clone.
//
// The files that can have a clone are found by size first (buckets of two or more files of
// 1 byte or more); only those are read. Digests the cache keeps are taken unread. Then the
// partial checks (PartialChecks.h) read a small block of each large file, first, last and
// middle, and settle every file that no other file of its size matches there: it gets no
// digest, like a file of a size of its own. A file no larger than the first block is hashed
// whole from that one read, and the files that pass every check are hashed whole last. The
// groups are those of hashing every same-size file whole. The bar counts the candidates;
// one is done when it is settled or hashed. Each check and the hashing is a pass of
// HashPasses.h in the phase's mode: workers only read the stop flag, between two blocks of
// a file too (a stopped file gets no digest and is not counted), and never touch the window;
// the phase returns after every worker has ended, so no record is freed while a worker
// still uses it. A stop ends the phase between two files of any pass.
#include <optional>

#include "core/FileInfo.h"
#include "core/PartialChecks.h"
#include "core/ScanHost.h"
#include "core/StopToken.h"
#include "platform/FileSystem.h"
#include "platform/Sha1.h"
#include "platform/Text.h"

// The digest of the file's whole content as 40 lower-case hexadecimal digits; the empty
// text when no file exists at the path (a folder is no file). Raises when the file cannot
// be opened or read. Safe to call from several threads at once.
Text ComputeFileHash(const Text& path);

// The digest itself; nothing when no file exists at the path. Raises like ComputeFileHash.
// With expected (the size and identity the walk found), the path is opened without following
// a link and must still be that file; nothing when it is not.
std::optional<Platform::TSha1Digest> ComputeFileDigest(
    const Text& path, const Platform::TFileStatus* expected = nullptr);

// Block size of the reads, chosen by benchmark.
inline constexpr std::size_t HashBlockSize = 128 * 1024;

// The digest cache as one hashing phase uses it.
struct TDigestCacheUse {
    Text Path;                  // the file kept between scans; empty: none read or written
    bool Cleared = false;       // cleared while the phase ran: what it loaded is not written
    std::size_t FromCache = 0;  // on return: digests taken from the cache instead of read
};

// The hashing phase over the collected records. workerCount 0: one worker per logical
// processor. cache: the digests kept between scans, none when not given. checks: the
// partial checks before the full digest (tests and benchmarks turn them off to compare).
void ComputeAllHashes(TScanHost& host, const TStopToken& stop, const TFileList& files,
                      unsigned workerCount = 0, TDigestCacheUse* cache = nullptr,
                      const TPartialCheckPlan& checks = DefaultPartialChecks);
