#pragma once
// A scan host that records everything the engine shows, for assertions on status texts,
// progress and messages, and that can act at a chosen KeepResponsive call (a Stop click).
#include <functional>
#include <string>
#include <vector>

#include "core/ScanHost.h"

class TTestHost : public TScanHost {
public:
    TScanSettings Settings;
    std::vector<Text> Statuses;
    std::vector<Text> Messages;
    std::vector<std::string> Events;  // "max N", "pos N", "marquee on|off", "keep", "busy on|off"
    int KeepCalls = 0;
    int ProgressMax = 100;
    int ProgressPosition = 0;
    bool Marquee = false;
    bool Busy = false;
    // Runs inside KeepResponsive, as a window message handler would.
    std::function<void(TTestHost&)> OnKeep;

    TScanSettings ReadSettings() override { return Settings; }
    void SetStatus(const Text& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetMarqueeStyle(bool on) override;
    void KeepResponsive() override;
    void SetBusy(bool busy) override;
    void ShowMessage(const Text& text) override { Messages.push_back(text); }

    Text LastStatus() const { return Statuses.empty() ? Text() : Statuses.back(); }
    // The statuses that begin with a prefix, in order.
    std::vector<Text> StatusesStartingWith(TextView prefix) const;
};

// UTF-8 literal to Text, for readable assertions.
Text T(std::string_view utf8);
// Text to UTF-8, for gtest messages.
std::string U8(TextView text);
