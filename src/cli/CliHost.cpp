#include "cli/CliHost.h"

#include <string>

#include "cli/ListOutput.h"
#include "core/ScanEngine.h"
#include "platform/Console.h"
#include "translation/Translation.h"

TCliHost::TCliHost(TScanSettings settings, bool quiet, bool terminal, std::FILE* out)
    : FSettings(std::move(settings)),
      FQuiet(quiet),
      FTerminal(terminal),
      FOut(out),
      FStoppingText(TranslateText(u"Stopping...")) {
    // Made before any signal can come: the handler may only write it.
    if (!FQuiet)
        FStoppingLine = FTerminal ? "\r" + Platform::TextToUtf8(FStoppingText) + "\x1b[K"
                                  : Platform::TextToUtf8(FStoppingText) + "\n";
}

void TCliHost::RequestStopFromSignal() {
    if (FInterrupted)
        return;
    FInterrupted = 1;
    if (FEngine)
        FEngine->StopToken().Request();  // lock-free atomic: signal-safe
    if (!FStoppingLine.empty())
        Platform::WriteStderrFromInterrupt(FStoppingLine);
}

void TCliHost::NoticeInterrupt() {
    if (!FInterrupted || FInterruptNoticed)
        return;
    FInterruptNoticed = true;
    if (FEngine && FEngine->Scanning())
        FEngine->StopToken().Request();
    if (!FStatusSinceInterrupt)
        FStatus = FStoppingText;
}

void TCliHost::Write(const std::string& text) {
    if (!Platform::WriteText(FOut, text) || std::fflush(FOut) != 0)
        FOutputFailed = true;
}

void TCliHost::SetStatus(const Text& text) {
    if (FInterrupted)
        FStatusSinceInterrupt = true;
    FStatus = EscapeControls(text);
    if (FQuiet || text.empty())
        return;
    if (FTerminal)
        Redraw();
    else
        Write(Platform::TextToUtf8(FStatus) + "\n");
}

void TCliHost::SetProgressMax(int maximum) {
    FMax = maximum;
}

void TCliHost::SetProgressPosition(int position) {
    FPosition = position;
    NoticeInterrupt();
    if (FTerminal && !FQuiet && FLineOpen)
        Redraw();
}

void TCliHost::SetMarqueeStyle(bool on) {
    FMarquee = on;
}

void TCliHost::KeepResponsive() {
    // The Stop command of the window is given here by Ctrl+C, from the signal handler.
    NoticeInterrupt();
}

void TCliHost::ShowMessage(const Text& text) {
    Finish();
    Write(PrintableUtf8(text) + "\n");
}

void TCliHost::Finish() {
    if (FLineOpen) {
        Write("\n");
        FLineOpen = false;
    }
}

void TCliHost::Redraw() {
    constexpr int barWidth = 20;
    std::string bar = "[";
    if (FMarquee) {
        FSpin = (FSpin + 1) % barWidth;
        for (int i = 0; i < barWidth; ++i)
            bar += (i == FSpin ? '=' : ' ');
    } else {
        const int filled =
            FMax > 0 ? static_cast<int>(static_cast<long long>(FPosition) * barWidth / FMax) : 0;
        for (int i = 0; i < barWidth; ++i)
            bar += (i < filled ? '#' : '.');
    }
    bar += "] ";
    // Fit the line to the terminal, counting code points rather than bytes.
    const int room = Platform::TerminalColumns() - static_cast<int>(bar.size()) - 1;
    Text status = FStatus;
    if (room < 4)
        status.clear();
    else if (static_cast<int>(status.size()) > room)
        status = u"..." + status.substr(status.size() - room + 3);
    Write("\r" + bar + Platform::TextToUtf8(status) + "\x1b[K");
    FLineOpen = true;
}
