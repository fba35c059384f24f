#pragma once
// The one formatter of translated patterns. Only %s (a text), %d (a whole number) and %%
// are known; a pattern whose placeholders do not fit its arguments raises EFormatError, so a
// broken translation is reported instead of reaching printf.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <variant>

#include "platform/Text.h"

class EFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TFormatArg {
public:
    TFormatArg(TextView text) : FValue(text) {}
    TFormatArg(const Text& text) : FValue(TextView(text)) {}
    TFormatArg(const char16_t* text) : FValue(TextView(text)) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char16_t>) TFormatArg(T number)
        : FValue(static_cast<std::int64_t>(number)) {}
    const std::variant<TextView, std::int64_t>& Value() const { return FValue; }

private:
    std::variant<TextView, std::int64_t> FValue;
};

Text FormatText(TextView pattern, std::initializer_list<TFormatArg> args);

// TranslateText of the pattern, then FormatText.
Text TranslateFormat(TextView englishPattern, std::initializer_list<TFormatArg> args);
