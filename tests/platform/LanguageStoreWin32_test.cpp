#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "platform/LanguageStore.h"

namespace {

const wchar_t* const Key = L"Software\\Twinseek";

std::optional<std::wstring> ReadValue(const wchar_t* key) {
    wchar_t buffer[256];
    DWORD bytes = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, L"CurrentLanguage", RRF_RT_REG_SZ, nullptr, buffer,
                       &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

void WriteValue(const wchar_t* key, const std::optional<std::wstring>& value, DWORD type = REG_SZ) {
    if (!value) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"CurrentLanguage");
        return;
    }
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"CurrentLanguage", type, value->c_str(),
                      static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
}

// The user's own values are put back afterwards.
class StoredLanguage : public ::testing::Test {
protected:
    const wchar_t* const Defaults = L"Software\\Twinseek\\OrganizationDefaults";
    std::optional<std::wstring> FOwn = ReadValue(Key), FOwnDefaults = ReadValue(Defaults);
    void TearDown() override {
        WriteValue(Key, FOwn);
        WriteValue(Defaults, FOwnDefaults);
    }
};

TEST_F(StoredLanguage, ReadFromTheUsersKey) {
    WriteValue(Key, std::nullopt);
    WriteValue(Defaults, std::nullopt);
    EXPECT_EQ(Platform::ReadStoredLanguage(), std::nullopt);
    WriteValue(Defaults, L"fr");  // where the window's settings store writes it
    EXPECT_EQ(Platform::ReadStoredLanguage(), std::optional<Text>(u"fr"));
    WriteValue(Key, L"DE");
    EXPECT_EQ(Platform::ReadStoredLanguage(), std::optional<Text>(u"DE"));
    WriteValue(Key, L"");  // an empty choice is a choice
    EXPECT_EQ(Platform::ReadStoredLanguage(), std::optional<Text>(u""));
    const DWORD number = 7;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, Key, L"CurrentLanguage", REG_DWORD, &number,
                      sizeof number);
    EXPECT_EQ(Platform::ReadStoredLanguage(), std::optional<Text>(u"fr"));  // not a string
}

}  // namespace
#endif  // _WIN32
