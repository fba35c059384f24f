#pragma once
// What a scan collects and the phases after the walk read: the records; and, while the walk
// runs, their index by path and the identities already taken.
#include "core/FileInfo.h"

struct TScanState {
    TScanState() = default;
    TScanState(const TScanState&) = delete;
    TScanState& operator=(const TScanState&) = delete;
    ~TScanState() { Clear(); }

    // Map entries refer to the records: they go first.
    void Clear() {
        FileMap.Clear();
        Files.clear();
        CollectedIds.Clear();
    }

    TFileList Files;  // owns the records, in the order of collection
    TFileMap FileMap{Files};
    // One physical file is collected once.
    TRecordIdSet CollectedIds{Files};
};
