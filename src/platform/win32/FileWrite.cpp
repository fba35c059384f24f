#include "platform/FileWrite.h"

#include <windows.h>

#include "platform/win32/WinText.h"

namespace Platform {

void WriteWholeFile(const Text& path, std::string_view bytes) {
    if (path.empty())
        Win32::Fail("Cannot create file", path, ERROR_PATH_NOT_FOUND);
    HANDLE h = ::CreateFileW(Win32::LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        Win32::Fail("Cannot create file", path, ::GetLastError());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t left = bytes.size() - written;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data() + written, chunk, &n, nullptr)) {
            const DWORD error = ::GetLastError();
            ::CloseHandle(h);
            Win32::Fail("Cannot write file", path, error);
        }
        written += n;
    }
    if (!::CloseHandle(h))
        Win32::Fail("Cannot write file", path, ::GetLastError());
}

}  // namespace Platform
