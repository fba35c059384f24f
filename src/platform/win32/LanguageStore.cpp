#include "platform/LanguageStore.h"

#include <windows.h>

#include "platform/win32/WinText.h"

namespace Platform {

namespace {

// A string value under HKEY_CURRENT_USER, without creating the key.
std::optional<Text> ReadString(const wchar_t* key, const wchar_t* name) {
    DWORD bytes = 0;
    constexpr DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, flags, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, flags, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(::wcsnlen(value.c_str(), value.size()));
    return Win32::FromWide(value);
}

}  // namespace

std::optional<Text> ReadStoredLanguage() {
    // The program's key first; then where the toolkit's settings store puts the values of
    // an organisation without an application name.
    if (auto value = ReadString(L"Software\\Twinseek", L"CurrentLanguage"))
        return value;
    return ReadString(L"Software\\Twinseek\\OrganizationDefaults", L"CurrentLanguage");
}

}  // namespace Platform
