#include "platform/Text.h"

#include <charconv>

namespace Platform {

namespace {

// The escape of a byte that is not part of valid UTF-8.
constexpr char16_t EscapeBase = 0xDC00;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the valid sequence starting at s[i], or 0 when the lead byte does not start one.
// The ranges of the second byte rule out overlong forms, encoded surrogates and code points
// above U+10FFFF.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char lead = at(0);
    const std::size_t left = s.size() - i;
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!IsContinuation(at(k)))
            return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

Text Utf8ToText(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(bytes, i);
        if (length == 0) {
            text += static_cast<char16_t>(EscapeBase + lead);
            ++i;
            continue;
        }
        char32_t c = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        if (c >= 0x10000) {
            c -= 0x10000;
            text += static_cast<char16_t>(0xD800 + (c >> 10));
            text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        i += length;
    }
    return text;
}

std::string TextToUtf8(TextView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF) {
            out += static_cast<char>(c - EscapeBase);  // the original byte of a non-UTF-8 name
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

Text AsciiToText(std::string_view ascii) {
    Text text(ascii.size(), u'\0');
    for (std::size_t i = 0; i < ascii.size(); ++i)
        text[i] = static_cast<unsigned char>(ascii[i]);
    return text;
}

Text IntToText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Text(buffer, result.ptr);
}

TextView TrimBlanks(TextView text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<Text> DocumentLines(std::string_view utf8) {
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    const Text text = Utf8ToText(utf8);
    std::vector<Text> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == Text::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start =
            end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
    }
    return lines;
}

}  // namespace Platform
