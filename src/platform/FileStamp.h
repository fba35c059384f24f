#pragma once
// What tells that a file still holds what it held when it was last read, without reading it:
// its identity, its size and its two times. The change time moves with every write and every
// change of the file's metadata and cannot be set back, so a file replaced by one of the same
// size whose modification time was set back still shows as changed.
#include <cstdint>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace Platform {

struct TFileStamp {
    TFileId Id;
    std::int64_t Size = 0;
    std::int64_t ModifiedTime = 0;  // as in TFileStatus
    std::int64_t ChangeTime = 0;
    bool operator==(const TFileStamp&) const = default;
};

inline TFileStamp StampOf(const TFileStatus& status) {
    return TFileStamp{.Id = status.Id,
                      .Size = status.Size,
                      .ModifiedTime = status.ModifiedTime,
                      .ChangeTime = status.ChangeTime};
}

// The stamp of the plain file at the path, a link not followed. False when there is none
// (vanished, a link, a folder, a special file) or it cannot be queried.
inline bool QueryFileStamp(const Text& path, TFileStamp& stamp) {
    TFileStatus status;
    if (!QueryFile(path, status) || !status.IsRegular)
        return false;
    stamp = StampOf(status);
    return true;
}

}  // namespace Platform
