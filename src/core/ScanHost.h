#pragma once
// What the scan engine needs of the window (or the command line, or a test).
#include <algorithm>
#include <cstddef>
#include <limits>

#include "core/ScanSettings.h"
#include "platform/Text.h"

// A count as the progress bar takes it: beyond its range it stays full.
inline int ProgressCount(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

class TScanHost {
public:
    virtual ~TScanHost() = default;
    // The settings as the controls hold them at this moment; each phase reads them once
    // when it starts.
    virtual TScanSettings ReadSettings() = 0;
    // The status line.
    virtual void SetStatus(const Text& text) = 0;
    // The progress bar; its minimum is always 0.
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetMarqueeStyle(bool on) = 0;
    // Handles every waiting window message (the Stop command among them) and returns.
    virtual void KeepResponsive() = 0;
    // Stop enabled and the busy cursor while a scan runs.
    virtual void SetBusy(bool busy) = 0;
    // The plain message box.
    virtual void ShowMessage(const Text& text) = 0;
};

// Switches the progress bar's marquee style, then keeps the window responsive.
inline void SetMarquee(TScanHost& host, bool on) {
    host.SetMarqueeStyle(on);
    host.KeepResponsive();
}
