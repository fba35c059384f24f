#pragma once
// File clones: the collected files grouped on the key of the comparison mode, the groups
// ordered by total size and listed in the File Clones list.
#include <cstdint>
#include <vector>

#include "core/FileInfo.h"
#include "core/ResultList.h"
#include "core/ScanHost.h"
#include "core/ScanSettings.h"
#include "core/StopToken.h"

struct TGroupRec {
    std::vector<TFileInfo*> Files;  // in FFiles order
    std::int64_t TotalSize = 0;     // of every file, the first one included
};

// The grouping half: buckets of at least minGroupSize files, largest total first (ties in
// the order of their first file), at most maxGroups of them when maxGroups > 0. found, when
// given, receives the number of groups before that cut.
std::vector<TGroupRec> GroupFiles(const TFileList& files, TCompareMode mode,
                                  std::int64_t minGroupSize, std::int64_t maxGroups,
                                  std::size_t* found = nullptr);

// The whole phase: groups, then lists them through AddFileGroup. listedMode is the mode
// the groups are found by, set before anything is listed. Returns how many groups were
// formed before the maximum number of groups cut them.
std::size_t FindFileDuplicates(TScanHost& host, const TStopToken& stop, const TFileList& files,
                               TResultList& lvFiles, TCompareMode& listedMode);
