#include "platform/FileWrite.h"

#include <windows.h>

#include <atomic>
#include <random>
#include <string>

#include "platform/win32/WinText.h"

namespace Platform {

namespace {

// A name of our own in the folder, created exclusively, so no other file or link is met.
HANDLE CreateTemporary(const std::wstring& folder, const Text& shownName, std::wstring& temp) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const wchar_t* digits = L"0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t value = (std::uint64_t{random()} << 32) ^ random() ^ ++counter;
        std::wstring suffix;
        for (int i = 0; i < 12; ++i, value >>= 4)
            suffix += digits[value & 15];
        temp = folder + L"\\.twinseek-" + suffix + L".tmp";
        HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            Win32::Fail("Cannot create file", shownName, error);
    }
    Win32::Fail("Cannot create file", shownName, ERROR_FILE_EXISTS);
}

}  // namespace

void WriteWholeFile(const Text& path, std::string_view bytes) {
    if (path.empty())
        Win32::Fail("Cannot create file", path, ERROR_PATH_NOT_FOUND);
    const std::wstring target = Win32::LongPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        Win32::Fail("Cannot create file", path, ERROR_ACCESS_DENIED);
    const std::size_t cut = target.find_last_of(L'\\');
    std::wstring temp;
    HANDLE h = CreateTemporary(target.substr(0, cut), path, temp);
    auto fail = [&](const char* what, DWORD error) {
        ::DeleteFileW(temp.c_str());
        Win32::Fail(what, path, error);
    };
    DWORD error = ERROR_SUCCESS;
    std::size_t written = 0;
    while (error == ERROR_SUCCESS && written < bytes.size()) {
        const std::size_t left = bytes.size() - written;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data() + written, chunk, &n, nullptr))
            error = ::GetLastError();
        written += n;
    }
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(h))
        error = ::GetLastError();
    if (!::CloseHandle(h) && error == ERROR_SUCCESS)
        error = ::GetLastError();
    if (error != ERROR_SUCCESS)
        fail("Cannot write file", error);
    if (!::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail("Cannot replace file", ::GetLastError());
}

}  // namespace Platform
