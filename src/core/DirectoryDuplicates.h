#pragma once
// The folder-clone phase of a scan: signatures, groups, and their rows in the Folder Clones
// list, every row unchecked.
#include <cstddef>

#include "core/ResultList.h"
#include "core/ScanHost.h"
#include "core/StopToken.h"

// The whole phase: collect, analyse, group, list, final status. Returns how many groups
// were formed before the maximum number of groups cut them.
std::size_t FindDirectoryDuplicates(TScanHost& host, const TStopToken& stop, TResultList& lvDirs);
