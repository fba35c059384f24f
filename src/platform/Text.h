#pragma once
// The program's text type: UTF-16 code units, as every rule about names is stated on them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Text = std::u16string;
using TextView = std::u16string_view;

namespace Platform {

// UTF-8 to UTF-16. A byte that is not part of valid UTF-8 becomes the lone surrogate
// U+DC80 + byte, so that any POSIX name survives the round trip through TextToUtf8.
Text Utf8ToText(std::string_view bytes);

// UTF-16 to UTF-8. A lone surrogate U+DC80..U+DCFF is written back as its original byte;
// any other lone surrogate is written in the generalised three-byte form.
std::string TextToUtf8(TextView text);

// Blanks are the spaces and the control characters, codes 0 to 32, as the folder and mask
// fields trim them.
inline bool IsBlank(char16_t c) {
    return c <= 32;
}
TextView TrimBlanks(TextView text);

// Lines of a UTF-8 document: CR LF, LF and CR each end a line; a last terminator opens no
// extra line; a leading byte-order mark is dropped.
std::vector<Text> DocumentLines(std::string_view utf8);

// ASCII-only conversions for numbers and fixed tokens.
Text AsciiToText(std::string_view ascii);
Text IntToText(std::int64_t value);

}  // namespace Platform
