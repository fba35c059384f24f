#pragma once
// The scan host of the command line: status texts on stderr, one per line, or on a
// terminal one line rewritten in place with a progress bar.
#include <csignal>
#include <cstdio>
#include <string>

#include "core/ScanHost.h"

class TScanEngine;

class TCliHost : public TScanHost {
public:
    TCliHost(TScanSettings settings, bool quiet, bool terminal, std::FILE* out);

    void SetEngine(TScanEngine* engine) { FEngine = engine; }
    // From the interrupt handler: async-signal-safe. Sets the stop flag and shows
    // "Stopping..." at once, before the phase's own stopping text.
    void RequestStopFromSignal();
    // Ends the rewritten status line.
    void Finish();
    // A status line or message could not be written.
    bool OutputFailed() const { return FOutputFailed; }

    TScanSettings ReadSettings() override { return FSettings; }
    void SetStatus(const Text& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetMarqueeStyle(bool on) override;
    void KeepResponsive() override;
    void SetBusy(bool) override {}
    void ShowMessage(const Text& text) override;

private:
    void Redraw();
    void Write(const std::string& text);
    // On the scan's thread, once an interrupt was seen: the flag is set should the scan
    // have started after the signal, and the rewritten line says "Stopping..." until a
    // phase writes a text of its own.
    void NoticeInterrupt();

    TScanSettings FSettings;
    bool FQuiet;
    bool FTerminal;
    std::FILE* FOut;
    TScanEngine* FEngine = nullptr;
    volatile std::sig_atomic_t FInterrupted = 0;
    bool FInterruptNoticed = false;
    bool FStatusSinceInterrupt = false;
    Text FStoppingText;
    std::string FStoppingLine;  // what the interrupt handler writes
    bool FOutputFailed = false;
    Text FStatus;
    int FMax = 100;
    int FPosition = 0;
    bool FMarquee = false;
    int FSpin = 0;
    bool FLineOpen = false;
};
