#pragma once
// Content mode: the SHA-1 digest of every file whose size another collected file shares.
//
// The files that can have a clone are found by size first (buckets of two or more files of
// 1 byte or more); only those are read. In parallel mode one worker per logical processor
// claims files one at a time through an atomic counter and counts finished files in another;
// the user-interface thread polls that count every 30 ms to show progress and to handle
// window messages (Stop among them). Workers only read the stop flag, between two blocks of
// a file too (a stopped file gets no digest and is not counted), and never touch the window;
// an error on the user-interface thread stops them the same way. The phase returns after
// every worker has ended, so no record is freed while a worker still uses it. Sequential
// mode handles messages every 10 files and whenever 30 ms of work have gone by, inside one
// large file as well.
#include <optional>

#include "core/FileInfo.h"
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
// processor. cache: the digests kept between scans, none when not given.
void ComputeAllHashes(TScanHost& host, const TStopToken& stop, const TFileList& files,
                      unsigned workerCount = 0, TDigestCacheUse* cache = nullptr);
