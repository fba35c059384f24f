#pragma once
// The first phase of a scan: every folder of the list walked once per mask, the matching
// files of at least the minimum size collected into FFiles and FFileMap.
#include <vector>

#include "core/MaskMatch.h"
#include "platform/Text.h"

class TScanEngine;

void CollectFiles(TScanEngine& engine);

// The paths of every file below a folder (ending in a separator) whose name matches the
// mask, depth first, each folder's entries in CompareText order. Links to folders are
// entered unless they lead back into a folder on the walk's current path; folders that
// cannot be listed contribute nothing. False, with no paths, when the folder does not exist.
bool BuildListing(const Text& folder, const TFileMask& mask, std::vector<Text>& paths);
