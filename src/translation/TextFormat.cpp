#include "translation/TextFormat.h"

#include <charconv>
#include <string>

#include "translation/Translation.h"

namespace {

[[noreturn]] void Fail(TextView pattern, const char* problem) {
    throw EFormatError(std::string(problem) + " in the text pattern \"" +
                       Platform::TextToUtf8(pattern) + "\"");
}

void AppendNumber(Text& out, std::int64_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    for (const char* p = digits; p != result.ptr; ++p)
        out.push_back(static_cast<char16_t>(*p));
}

}  // namespace

Text FormatText(TextView pattern, std::initializer_list<TFormatArg> args) {
    Text out;
    out.reserve(pattern.size() + 16);
    const TFormatArg* next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (c != u'%') {
            out.push_back(c);
            continue;
        }
        if (i + 1 >= pattern.size())
            Fail(pattern, "a lone % at the end");
        const char16_t kind = pattern[++i];
        if (kind == u'%') {
            out.push_back(u'%');
            continue;
        }
        if (kind != u's' && kind != u'd')
            Fail(pattern, "an unknown placeholder");
        if (next == args.end())
            Fail(pattern, "too few arguments");
        const auto& value = (next++)->Value();
        if (kind == u's') {
            const TextView* text = std::get_if<TextView>(&value);
            if (!text)
                Fail(pattern, "a number given for %s");
            out.append(*text);
        } else {
            const std::int64_t* number = std::get_if<std::int64_t>(&value);
            if (!number)
                Fail(pattern, "a text given for %d");
            AppendNumber(out, *number);
        }
    }
    if (next != args.end())
        Fail(pattern, "too many arguments");
    return out;
}

Text TranslateFormat(TextView englishPattern, std::initializer_list<TFormatArg> args) {
    const Text pattern = TranslateText(englishPattern);
    if (pattern != englishPattern) {
        try {
            return FormatText(pattern, args);
        } catch (const EFormatError&) {
            // Falls through to the English pattern.
        }
    }
    return FormatText(englishPattern, args);
}

Text TranslateFormatStrict(TextView englishPattern, std::initializer_list<TFormatArg> args) {
    const Text pattern = TranslateText(englishPattern);
    try {
        return FormatText(pattern, args);
    } catch (const EFormatError& error) {
        if (pattern == englishPattern)
            throw;
        // Name the key too, so the broken row of the table can be found.
        throw EFormatError(std::string(error.what()) + ", the translation of \"" +
                           Platform::TextToUtf8(englishPattern) + "\"");
    }
}
