#include "cli/CliHost.h"

#include <string>

#include "core/ScanEngine.h"
#include "platform/Console.h"

TCliHost::TCliHost(TScanSettings settings, bool quiet, bool terminal, std::FILE* out)
    : FSettings(std::move(settings)), FQuiet(quiet), FTerminal(terminal), FOut(out) {}

void TCliHost::RequestStopFromSignal() {
    FInterrupted = 1;
    if (FEngine)
        FEngine->FStopRequested.store(true);  // lock-free atomic: signal-safe
}

void TCliHost::SetStatus(const Text& text) {
    FStatus = text;
    if (FQuiet || text.empty())
        return;
    if (FTerminal) {
        Redraw();
    } else {
        const std::string line = Platform::TextToUtf8(text) + "\n";
        Platform::WriteText(FOut, line);
        std::fflush(FOut);
    }
}

void TCliHost::SetProgressMax(int maximum) {
    FMax = maximum;
}

void TCliHost::SetProgressPosition(int position) {
    FPosition = position;
    if (FTerminal && !FQuiet && FLineOpen)
        Redraw();
}

void TCliHost::SetMarqueeStyle(bool on) {
    FMarquee = on;
}

void TCliHost::KeepResponsive() {
    // The Stop command of the window, given here by Ctrl+C.
    if (FInterrupted && !FStopShown && FEngine) {
        FStopShown = true;
        FEngine->Stop();
    }
}

void TCliHost::ShowMessage(const Text& text) {
    Finish();
    const std::string line = Platform::TextToUtf8(text) + "\n";
    Platform::WriteText(FOut, line);
    std::fflush(FOut);
}

void TCliHost::Finish() {
    if (FLineOpen) {
        std::fputs("\n", FOut);
        std::fflush(FOut);
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
    const std::string line = "\r" + bar + Platform::TextToUtf8(status) + "\x1b[K";
    Platform::WriteText(FOut, line);
    std::fflush(FOut);
    FLineOpen = true;
}
