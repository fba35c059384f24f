#pragma once
// The Stop command's flag. The user-interface thread (or the command line's interrupt
// handler) sets it; every phase polls it, and the hashing workers read it between blocks.
#include <atomic>

class TStopToken {
public:
    // The one call a signal handler may make: a store to a lock-free atomic.
    void Request() noexcept { FRequested.store(true); }
    void Reset() noexcept { FRequested.store(false); }
    bool Requested() const noexcept { return FRequested.load(std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> FRequested{false};
};
