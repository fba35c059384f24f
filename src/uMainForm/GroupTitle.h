#pragma once
// The header of a listed group, "Group %d (%s)" with the total size as its text, taken apart
// again so that it can be shown in another language, or with its size kept left to right.
#include <cstdint>
#include <optional>

#include "platform/Text.h"

struct TGroupTitle {
    std::int64_t Number = 0;
    Text Size;  // the size text without its unit: "12.34"
};

// The header pattern and size unit of a language of the table (0 is English).
struct TTitleTexts {
    Text Pattern;
    Text Unit;
};
TTitleTexts TitleTextsIn(int language);

// The parts of a header made from those texts; nothing when it was not made from them.
std::optional<TGroupTitle> ParseGroupTitle(TextView header, const TTitleTexts& texts);

// The header from its parts. With isolate, the size and its unit are one left-to-right run,
// so that a right-to-left text does not show "MB 1.96".
Text FormatGroupTitle(const TGroupTitle& title, const TTitleTexts& texts, bool isolate = false);

// A text as one left-to-right run inside any surrounding direction (a path, a name, a size).
Text LeftToRightRun(TextView text);
