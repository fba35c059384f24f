#pragma once
// The scan state of the main window and the Scan and Stop commands. The phases are free
// functions over it, one source file each (FolderWalk, ...).
#include <atomic>

#include "core/FileInfo.h"
#include "core/ResultList.h"
#include "core/ScanHost.h"

enum class TScanOutcome {
    soRefused,    // empty folder list, or a scan already running
    soDone,       // "Done."
    soCancelled,  // stopped
    soFailed,     // an error ended it
};

class TScanEngine {
public:
    TScanEngine(TScanHost& host, TResultList& filesList, TResultList& dirsList);
    ~TScanEngine();
    TScanEngine(const TScanEngine&) = delete;
    TScanEngine& operator=(const TScanEngine&) = delete;

    // The Scan command: runs every phase in order and reports the outcome on the status
    // line. Refused while a scan runs.
    TScanOutcome Scan();
    // The Stop command: asks the running scan to stop.
    void Stop();
    bool Scanning() const { return FScanning; }

    // Empties both result lists and the collected data.
    void ClearResults();
    // Switches the progress bar's marquee style, then keeps the window responsive.
    void SetMarquee(bool on);
    bool StopRequested() const { return FStopRequested.load(std::memory_order_relaxed); }

    TScanHost& Host;
    TResultList& lvFiles;
    TResultList& lvDirs;

    TFileList FFiles;
    TFileMap FFileMap;
    // Identities of the collected files: one physical file is collected once.
    TFileIdSet FCollectedIds;
    // Written by the user-interface thread, read by the hashing workers too.
    std::atomic<bool> FStopRequested{false};

    // Groups each grouping phase formed before the maximum number of groups cut them.
    std::size_t FFileGroupsFound = 0;
    std::size_t FDirGroupsFound = 0;

    // Hashing workers; 0: one per logical processor.
    unsigned FHashWorkers = 0;

    // The file of digests kept between scans (CacheFilePath); empty: none read or written.
    Text FDigestCachePath;
    // Set by ClearDigestCache during a scan: its hashing phase writes no cache.
    bool FDigestCacheCleared = false;
    // How many digests the last hashing phase took from the cache instead of reading.
    std::size_t FDigestsFromCache = 0;
    // "Clear hash cache": removes the cache file; the running scan, if any, writes none.
    void ClearDigestCache();

    // How the groups of the File Clones list were found: only content mode compared them.
    TCompareMode FListedCompareMode = cmContent;

private:
    TScanOutcome Finish(TScanOutcome outcome);

    bool FScanning = false;
};
