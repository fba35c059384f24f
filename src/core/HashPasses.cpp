#include "core/HashPasses.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "translation/TextFormat.h"
#include "translation/Translation.h"

THashPasses::THashPasses(TScanHost& host, const TStopToken& stop, std::size_t total,
                         unsigned workers)
    : FHost(host), FStop(stop), FTotal(total), FWorkers(workers), FPacer(host, stop) {
    if (FWorkers == 0) {
        FHost.SetProgressPosition(0);
        FHost.SetProgressMax(ProgressCount(FTotal));
    } else {
        FHost.SetMarqueeStyle(false);
        FHost.SetProgressMax(ProgressCount(FTotal));
        FHost.SetProgressPosition(0);
    }
}

bool THashPasses::Run(std::size_t count, const TWork& work) {
    if (FStop.Requested())
        return false;
    if (count == 0)
        return true;
    return FWorkers == 0 ? RunSequentially(count, work) : RunInParallel(count, work);
}

void THashPasses::ShowCount(std::size_t done) {
    FHost.SetStatus(
        TranslateFormat(u"Computing SHA-1 hashes (size filtered)... %d / %d", {done, FTotal}));
}

bool THashPasses::ShowTensReached(std::size_t done) {
    bool shown = false;
    for (; FNextText <= done; shown = true) {
        ShowCount(FNextText);
        FNextText = FNextText == FTotal ? FTotal + 1 : std::min(FNextText + 10, FTotal);
    }
    return shown;
}

void THashPasses::ShowDone() {
    const std::size_t done = FDone.load();
    if (done == FShownPosition)
        return;
    FHost.SetProgressPosition(ProgressCount(done));
    FShownPosition = done;
    if (FWorkers == 0)
        ShowTensReached(done);
    else
        ShowCount(done);
}

bool THashPasses::RunSequentially(std::size_t count, const TWork& work) {
    // An error of a message handler is the phase's, not the file's: it is carried past the
    // file's own error handling and raised here.
    std::exception_ptr handlerError;
    // Besides the status every 10 files, messages are handled once the pacer's interval of
    // work has gone by, between items and between the blocks of one, and Stop ends a file
    // half read.
    const TKeepGoing keepGoing = [&] {
        try {
            return FPacer.Continue();
        } catch (...) {
            handlerError = std::current_exception();
            return false;
        }
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (FStop.Requested())
            return false;
        const bool finished = work(i, keepGoing);
        if (handlerError)
            std::rethrow_exception(handlerError);
        if (!finished)
            return false;
        const std::size_t done = FDone.load();
        if (done != FShownPosition) {
            FHost.SetProgressPosition(ProgressCount(done));
            FShownPosition = done;
        }
        if (ShowTensReached(done)) {
            FHost.KeepResponsive();
            FPacer.Kept();
        } else if (!keepGoing() && handlerError) {
            std::rethrow_exception(handlerError);
        }
    }
    return !FStop.Requested();
}

bool THashPasses::RunInParallel(std::size_t count, const TWork& work) {
    const unsigned workers =
        static_cast<unsigned>(std::min<std::size_t>(FWorkers, std::max<std::size_t>(count, 1)));
    std::atomic<std::int64_t> nextIndex{-1};
    std::atomic<unsigned> finishedWorkers{0};
    // The last worker to finish wakes the user-interface thread: a pass over files read in
    // milliseconds need not wait out a whole poll interval.
    std::mutex finishedMutex;
    std::condition_variable finished;
    // Set when the user-interface thread leaves, by an error too: the workers stop at their
    // next block instead of working through every remaining item before the error can show.
    std::atomic<bool> abandon{false};
    std::atomic<bool> abandoned{false};  // a worker left an item unfinished

    const TKeepGoing keepGoing = [&] {
        return !FStop.Requested() && !abandon.load(std::memory_order_relaxed);
    };
    auto worker = [&] {
        try {
            while (keepGoing()) {
                const std::int64_t k = nextIndex.fetch_add(1) + 1;
                if (k >= static_cast<std::int64_t>(count))
                    break;
                if (!work(static_cast<std::size_t>(k), keepGoing)) {
                    abandoned.store(true);
                    break;
                }
            }
        } catch (...) {
            abandoned.store(true);  // counts as finished like any other way out
        }
        {
            const std::lock_guard lock(finishedMutex);
            finishedWorkers.fetch_add(1);
        }
        finished.notify_one();
    };

    std::vector<std::thread> threads;
    threads.reserve(workers);
    // Stops and joins the workers on every way out, errors of the user-interface thread
    // included, so no worker outlives the items and the records it works on.
    struct TJoiner {
        std::vector<std::thread>& Threads;
        std::atomic<bool>& Abandon;
        ~TJoiner() {
            Abandon.store(true);
            for (auto& t : Threads)
                if (t.joinable())
                    t.join();
        }
    } joiner{threads, abandon};
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back(worker);

    // Once more after the last worker has finished, so that the last text shows the end.
    for (bool allFinished = false;;) {
        const std::size_t done = FDone.load();
        FHost.SetProgressPosition(ProgressCount(done));
        FShownPosition = done;
        if (FStop.Requested())
            FHost.SetStatus(TranslateFormat(u"Stopping SHA-1 hashing... %d / %d", {done, FTotal}));
        else
            ShowCount(done);
        FHost.KeepResponsive();
        if (allFinished)
            break;
        std::unique_lock lock(finishedMutex);
        allFinished = finished.wait_for(lock, TPacer::DefaultInterval,
                                        [&] { return finishedWorkers.load() == workers; });
    }
    FShownPosition = FDone.load();
    FHost.SetProgressPosition(ProgressCount(FShownPosition));
    return !FStop.Requested() && !abandoned.load();
}
