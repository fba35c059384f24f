#include "platform/TextServices.h"

#include <windows.h>

#include "platform/win32/WinText.h"

namespace Platform {

char16_t LowerCaseChar(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    wchar_t unit = static_cast<wchar_t>(c);
    ::CharLowerBuffW(&unit, 1);
    return static_cast<char16_t>(unit);
}

Text LowerCase(TextView text) {
    Text result(text);
    // Surrogates are left alone, so the mapping stays one code unit to one; the runs
    // between them go to the system in one call each.
    const auto isSurrogate = [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; };
    std::size_t start = 0;
    while (start < result.size()) {
        if (isSurrogate(result[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < result.size() && !isSurrogate(result[end]) && end - start < 0x40000000u)
            ++end;
        ::CharLowerBuffW(reinterpret_cast<wchar_t*>(result.data() + start),
                         static_cast<DWORD>(end - start));
        start = end;
    }
    return result;
}

int CompareTextIgnoreCase(TextView a, TextView b) {
    const int result =
        ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                         reinterpret_cast<const wchar_t*>(a.data()), static_cast<int>(a.size()),
                         reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
    if (result == 0) {
        // Cannot compare (it does not happen for valid lengths): code units decide.
        return a == b ? 0 : a < b ? -1 : 1;
    }
    return result - CSTR_EQUAL;
}

char16_t DecimalSeparator() {
    wchar_t separator[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) < 2)
        return u'.';
    return static_cast<char16_t>(separator[0]);
}

int SystemUILanguagePrimaryId() {
    return ::GetSystemDefaultUILanguage() & 0xFF;
}

}  // namespace Platform
