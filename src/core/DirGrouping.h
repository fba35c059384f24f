#pragma once
// Folder clones, second half: directories of equal signature form groups, a directory left
// out where one above it is already in its group.
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "core/DirSignatures.h"
#include "core/FolderPaths.h"
#include "core/StopToken.h"
#include "platform/PathSyntax.h"
#include "platform/Text.h"

struct TDirGroupRec {
    std::vector<Text> Dirs;           // CompareText order, then exact code units
    std::vector<std::int64_t> Sizes;  // the total below each of Dirs
    std::int64_t TotalSize = 0;
};

// Groups of at least minGroupSize (raised to 2) directories of one signature, a directory
// left out when one above it is already in its group; the stop flag is tested before each
// bucket. Largest total first, ties by the first directory.
std::vector<TDirGroupRec> GroupDirectories(const TDirSignatures& signatures,
                                           std::int64_t minGroupSize, const TStopToken& stop);
