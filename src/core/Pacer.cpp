#include "core/Pacer.h"

TPacer::TPacer(TScanHost& host, const TStopToken& stop, std::chrono::milliseconds interval)
    : FHost(host), FStop(stop), FInterval(interval), FLast(std::chrono::steady_clock::now()) {}

bool TPacer::Continue() {
    if (std::chrono::steady_clock::now() - FLast >= FInterval) {
        FHost.KeepResponsive();
        Kept();
    }
    return !FStop.Requested();
}

void TPacer::Kept() {
    FLast = std::chrono::steady_clock::now();
}
