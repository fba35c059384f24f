#include "support/TestHost.h"

#include "platform/Text.h"

void TTestHost::SetStatus(const Text& text) {
    Statuses.push_back(text);
}

void TTestHost::SetProgressMax(int maximum) {
    ProgressMax = maximum;
    Events.push_back("max " + std::to_string(maximum));
}

void TTestHost::SetProgressPosition(int position) {
    ProgressPosition = position;
    Events.push_back("pos " + std::to_string(position));
}

void TTestHost::SetMarqueeStyle(bool on) {
    Marquee = on;
    Events.push_back(on ? "marquee on" : "marquee off");
}

void TTestHost::KeepResponsive() {
    ++KeepCalls;
    Events.push_back("keep");
    if (OnKeep)
        OnKeep(*this);
}

void TTestHost::SetBusy(bool busy) {
    Busy = busy;
    Events.push_back(busy ? "busy on" : "busy off");
}

std::vector<Text> TTestHost::StatusesStartingWith(TextView prefix) const {
    std::vector<Text> result;
    for (const Text& s : Statuses)
        if (TextView(s).substr(0, prefix.size()) == prefix)
            result.push_back(s);
    return result;
}

Text T(std::string_view utf8) {
    return Platform::Utf8ToText(utf8);
}
std::string U8(TextView text) {
    return Platform::TextToUtf8(text);
}
