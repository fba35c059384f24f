#pragma once
// The passes of the hashing phase over its files, in the phase's mode, with its progress.
//
// Sequential mode works on the user-interface thread: it shows the count every 10 files (1,
// 11, 21 and so on, and the last: a count that jumps past several shows each in turn) and
// handles messages whenever the pacer's interval has gone by, between items and inside one
// (through the TKeepGoing given to the work). Parallel mode starts workers for each pass
// that claim items one at a time through an atomic counter; the user-interface thread polls
// the count of finished files every 30 ms to show it and to handle messages (Stop among
// them), and joins the workers on every way out, errors included, before it returns. Workers
// only read the stop flag and never touch the window.
#include <atomic>
#include <cstddef>
#include <functional>

#include "core/Pacer.h"
#include "core/ScanHost.h"
#include "core/StopToken.h"

// Asked between two blocks of one file; false abandons the file (Stop inside a large file).
using TKeepGoing = std::function<bool()>;

class THashPasses {
public:
    // total: the files of the phase (the bar's maximum). workers 0: sequential mode.
    THashPasses(TScanHost& host, const TStopToken& stop, std::size_t total, unsigned workers);

    // One pass: work(i, keepGoing) for each item i below count; work returns false when
    // keepGoing abandoned the item. False when the pass was stopped before its end.
    using TWork = std::function<bool(std::size_t, const TKeepGoing&)>;
    bool Run(std::size_t count, const TWork& work);

    // Files whose outcome is final (hashed, settled, failed): the progress. Safe from workers.
    void Done(std::size_t files = 1) { FDone.fetch_add(files, std::memory_order_relaxed); }
    // Shows the count after files were settled between two passes.
    void ShowDone();

private:
    bool RunSequentially(std::size_t count, const TWork& work);
    bool RunInParallel(std::size_t count, const TWork& work);
    void ShowCount(std::size_t done);
    // Sequential: the counts of every 10 files that done has reached; whether any was shown.
    bool ShowTensReached(std::size_t done);

    TScanHost& FHost;
    const TStopToken& FStop;
    const std::size_t FTotal;
    const unsigned FWorkers;
    TPacer FPacer;
    std::atomic<std::size_t> FDone{0};
    std::size_t FShownPosition = 0;
    std::size_t FNextText = 1;  // sequential: the next count to show
};
