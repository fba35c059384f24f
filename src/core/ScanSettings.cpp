#include "core/ScanSettings.h"

#include <charconv>
#include <limits>

TCompareMode GetCompareMode(int itemIndex) {
    switch (itemIndex) {
        case 0:
            return cmName;
        case 1:
            return cmSize;
        case 2:
            return cmNameSize;
        default:
            return cmContent;
    }
}

namespace {

bool IsSeparator(char16_t c) {
    return c == u',' || c == u';' || c == u' ' || c == u'|';
}

// A piece that begins with a double quote loses it and its matching one (a doubled quote
// inside stands for one; unterminated, it runs to the end of the piece); what follows the
// closing quote stays. A quote anywhere else is an ordinary character.
Text Unquote(TextView piece) {
    if (piece.empty() || piece[0] != u'"')
        return Text(piece);
    Text text;
    std::size_t i = 1;
    while (i < piece.size()) {
        if (piece[i] == u'"') {
            if (i + 1 < piece.size() && piece[i + 1] == u'"') {
                text += u'"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        text += piece[i++];
    }
    text += piece.substr(i);
    return text;
}

}  // namespace

std::vector<Text> ParseMasks(TextView maskText) {
    std::vector<Text> masks;
    // Every separator separates, inside quotes too: no mask holds a space.
    for (std::size_t start = 0;;) {
        std::size_t end = start;
        while (end < maskText.size() && !IsSeparator(maskText[end]))
            ++end;
        const Text piece = Unquote(maskText.substr(start, end - start));
        const TextView trimmed = Platform::TrimBlanks(piece);
        if (!trimmed.empty())
            masks.emplace_back(trimmed);
        if (end == maskText.size())
            break;
        start = end + 1;
    }
    if (masks.empty())
        masks.emplace_back(MatchEveryName);
    return masks;
}

std::int64_t ReadWholeNumber(TextView text, std::int64_t minimum) {
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t c : text) {
        if (c > 127)
            return minimum;
        ascii += static_cast<char>(c);
    }
    std::size_t start = 0;
    bool negative = false;
    if (!ascii.empty() && (ascii[0] == '+' || ascii[0] == '-')) {
        negative = ascii[0] == '-';
        start = 1;
    }
    if (start == ascii.size())
        return minimum;
    std::uint64_t magnitude = 0;
    const auto [end, ec] =
        std::from_chars(ascii.data() + start, ascii.data() + ascii.size(), magnitude);
    if (ec == std::errc::result_out_of_range) {
        // Digits only, but too many: the nearest value a 64-bit field can hold.
        return negative ? std::numeric_limits<std::int64_t>::min()
                        : std::numeric_limits<std::int64_t>::max();
    }
    if (ec != std::errc() || end != ascii.data() + ascii.size())
        return minimum;
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative)
        return magnitude > limit ? std::numeric_limits<std::int64_t>::min()
                                 : -static_cast<std::int64_t>(magnitude);
    return magnitude > limit ? std::numeric_limits<std::int64_t>::max()
                             : static_cast<std::int64_t>(magnitude);
}
