#pragma once
// What two paths hold now, compared byte by byte: two files, or two folder trees entry by
// entry with links compared as links (never followed). No digest is trusted: two different
// contents with one digest must never pass for copies.
#include <atomic>
#include <chrono>

#include "core/ScanHost.h"
#include "platform/Text.h"

// Long work inside one item keeps the window responsive and sees Stop.
class TPacer {
public:
    TPacer(TScanHost& host, const std::atomic<bool>& stopRequested,
           std::chrono::milliseconds interval = std::chrono::milliseconds(30));
    // Handles waiting window messages when the last time is an interval ago; false once a
    // stop has been requested.
    bool Continue();

private:
    TScanHost& FHost;
    const std::atomic<bool>& FStopRequested;
    std::chrono::milliseconds FInterval;
    std::chrono::steady_clock::time_point FLast;
};

enum class TSameness {
    snSame,
    snDiffer,
    snUnreadable,  // something could not be opened, read or listed
    snStopped,
};

// The bytes of two files, read to their ends. The caller makes sure both are plain files.
TSameness CompareFileBytes(const Text& a, const Text& b, TPacer& pacer);

// Two folder trees: the same entry names (letter case as the file system treats it), each
// pair of the same kind; files of equal size and bytes (one physical file reached from both
// trees counts as equal), links with the same target, folders compared in turn. A folder
// that cannot be listed, an entry that cannot be measured or a special file (pipe, socket,
// device) makes the trees unreadable, never equal.
TSameness CompareTrees(const Text& a, const Text& b, TPacer& pacer);
