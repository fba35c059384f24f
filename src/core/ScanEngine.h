#pragma once
// The Scan and Stop commands over the scan's own state. The phases are free functions that
// take the host, the stop token and the state they use, one source file each (FolderWalk,
// ContentHash, FileGrouping, DirSignatures, DirGrouping).
#include <utility>

#include "core/ContentHash.h"
#include "core/FileInfo.h"
#include "core/ResultList.h"
#include "core/ScanHost.h"
#include "core/ScanSettings.h"
#include "core/ScanState.h"
#include "core/StopToken.h"

enum class TScanOutcome {
    soRefused,    // empty folder list, or a scan already running
    soDone,       // "Done."
    soCancelled,  // stopped
    soFailed,     // an error ended it
};

class TScanEngine {
public:
    TScanEngine(TScanHost& host, TResultList& filesList, TResultList& dirsList);
    TScanEngine(const TScanEngine&) = delete;
    TScanEngine& operator=(const TScanEngine&) = delete;

    // The Scan command: runs every phase in order and reports the outcome on the status
    // line. Refused while a scan runs.
    TScanOutcome Scan();
    // The Stop command: asks the running scan to stop.
    void Stop();
    bool Scanning() const { return FScanning; }
    bool StopRequested() const { return FStop.Requested(); }
    // The flag itself, for the command line's interrupt handler and for the removal check,
    // which the same Stop command ends.
    TStopToken& StopToken() { return FStop; }

    // Empties both result lists and the collected data.
    void ClearResults();

    // The records of the last scan, in the order of collection; the File Clones rows refer
    // to them until the next scan.
    const TFileList& Files() const { return FState.Files; }

    // Groups each grouping phase formed in the last scan before the maximum number of
    // groups cut them.
    std::size_t FileGroupsFound() const { return FFileGroupsFound; }
    std::size_t DirGroupsFound() const { return FDirGroupsFound; }

    // The file of digests kept between scans (CacheFilePath); empty: none read or written.
    void SetDigestCachePath(Text path) { FDigestCache.Path = std::move(path); }
    const Text& DigestCachePath() const { return FDigestCache.Path; }
    // How many digests the last hashing phase took from the cache instead of reading.
    std::size_t DigestsFromCache() const { return FDigestCache.FromCache; }
    // "Clear hash cache": removes the cache file; the running scan, if any, writes none.
    void ClearDigestCache();
    // How the groups of the File Clones list were found: only content mode compared them.
    TCompareMode ListedCompareMode() const { return FListedCompareMode; }

private:
    TScanOutcome Finish(TScanOutcome outcome);

    TScanHost& FHost;
    TResultList& FFilesList;
    TResultList& FDirsList;
    TScanState FState;
    TStopToken FStop;
    TCompareMode FListedCompareMode = cmContent;
    std::size_t FFileGroupsFound = 0;
    std::size_t FDirGroupsFound = 0;
    TDigestCacheUse FDigestCache;
    bool FScanning = false;
};
