#pragma once
// Long work on the user-interface thread (the sequential hashing, the removal check's
// comparisons) handles waiting window messages every so often and sees Stop.
#include <chrono>

#include "core/ScanHost.h"
#include "core/StopToken.h"

class TPacer {
public:
    static constexpr std::chrono::milliseconds DefaultInterval{30};

    TPacer(TScanHost& host, const TStopToken& stop,
           std::chrono::milliseconds interval = DefaultInterval);
    // Handles waiting window messages when the last time is an interval ago; false once a
    // stop has been requested. What a message handler raises passes through.
    bool Continue();
    // Messages were just handled by the caller: the interval starts again.
    void Kept();

private:
    TScanHost& FHost;
    const TStopToken& FStop;
    std::chrono::milliseconds FInterval;
    std::chrono::steady_clock::time_point FLast;
};
