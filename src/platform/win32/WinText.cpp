#include "platform/win32/WinText.h"

#include "platform/FileSystem.h"

namespace Platform::Win32 {

namespace {

bool IsBareDrive(TextView path) {
    return path.size() == 2 && path[1] == u':' &&
           ((path[0] >= u'a' && path[0] <= u'z') || (path[0] >= u'A' && path[0] <= u'Z'));
}

bool HasLongPrefix(std::wstring_view path) {
    return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
           (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
}

}  // namespace

std::wstring FullPathName(TextView path) {
    if (path.empty())
        return {};
    if (IsBareDrive(path))
        return Wide(path) + L'\\';  // not the drive's current folder
    const std::wstring input = Wide(path);
    if (HasLongPrefix(input))
        return input;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetFullPathNameW(input.c_str(), static_cast<DWORD>(full.size()),
                                           full.data(), nullptr);
        if (n == 0)
            Fail("Cannot make the path absolute", path, ::GetLastError());
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

std::wstring LongPath(TextView path) {
    std::wstring full = FullPathName(path);
    if (full.empty() || HasLongPrefix(full))
        return full;
    if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\')
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 2 && full[1] == L':')
        return L"\\\\?\\" + full;
    return full;
}

std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

std::string ErrorText(DWORD error) {
    wchar_t* message = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text;
    if (n > 0 && message != nullptr) {
        text = TextToUtf8(FromWide(message, n));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
    }
    if (message != nullptr)
        ::LocalFree(message);
    if (text.empty())
        text = "system error " + TextToUtf8(IntToText(error));
    return text;
}

void Fail(const char* what, TextView path, DWORD error) {
    throw EPlatformError(std::string(what) + " \"" + TextToUtf8(path) + "\": " + ErrorText(error));
}

}  // namespace Platform::Win32
