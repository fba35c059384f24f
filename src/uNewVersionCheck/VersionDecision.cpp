#include "uNewVersionCheck/VersionDecision.h"

#include <charconv>
#include <exception>
#include <optional>

#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

constexpr TextView LineBreak = u"\r\n";

// A version number: decimal digits only, nothing around them.
std::optional<int> ParseVersionNumber(TextView text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    std::string ascii;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    int value = 0;
    std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    return value;
}

// "22" is shown as "2.2", "105" as "10.5".
Text ShownVersion(TextView latest) {
    Text shown(latest);
    shown.insert(shown.size() - 1, 1, u'.');
    return shown;
}

}  // namespace

TVersionDecision DecideNewVersion(std::string_view versionDocument, std::string_view changeLog,
                                  int runningVersion) {
    try {
        const std::vector<Text> versionLines = Platform::DocumentLines(versionDocument);
        if (versionLines.empty())
            return {};
        const Text& firstLine = versionLines.front();
        const std::size_t slash = firstLine.find(u'/');
        if (slash == Text::npos)
            return {};
        const TextView latestText = TextView(firstLine).substr(0, slash);
        const std::optional<int> latest = ParseVersionNumber(latestText);
        const std::optional<int> minimum =
            ParseVersionNumber(TextView(firstLine).substr(slash + 1));
        if (!latest || !minimum)
            return {};

        TVersionDecision decision;
        // The minimum first: below it the update is demanded whatever the latest number says.
        if (*minimum > runningVersion) {
            decision.ForceUpdate = true;
            decision.NewVersionMessage = TranslateFormatStrict(
                u"This version of the software is out of date. You must download the current "
                u"version %s to continue using the software.",
                {ShownVersion(latestText)});
        } else if (*latest > runningVersion) {
            decision.NewVersionMessage = TranslateFormatStrict(u"The new version %s is available",
                                                               {ShownVersion(latestText)});
        } else {
            return {};
        }
        decision.ShowDialog = true;

        Text& message = decision.NewVersionMessage;
        message += LineBreak;
        message += LineBreak;
        message += TranslateText(u"What's new:");
        message += LineBreak;
        for (const Text& line : Platform::DocumentLines(changeLog)) {
            // Only lines of length zero go; a line of spaces is kept.
            if (line.empty())
                continue;
            message += line;
            message += LineBreak;
        }
        return decision;
    } catch (const std::exception&) {
        return {};
    }
}
