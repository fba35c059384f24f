#pragma once
// The one formatter of translated patterns. Only %s (a text), %d (a whole number) and %%
// are known; a pattern whose placeholders do not fit its arguments raises EFormatError, so a
// broken pattern never reaches printf.
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

// TranslateText of the pattern, then FormatText. A translation that does not fit the
// arguments gives the English text of the message: one broken row of the table must not
// fail every scan. Raises only when the English pattern itself does not fit.
Text TranslateFormat(TextView englishPattern, std::initializer_list<TFormatArg> args);

// The same, but a translation that does not fit raises EFormatError naming both patterns,
// for a caller that would rather show nothing than a message in the wrong language.
Text TranslateFormatStrict(TextView englishPattern, std::initializer_list<TFormatArg> args);
