#include "platform/PathProbe.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/win32/WinText.h"

namespace Platform {

bool PathIsGone(const Text& path) {
    if (path.empty())
        return false;
    // The attributes of the name itself: a link is not followed.
    if (::GetFileAttributesW(Win32::LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool ReadLinkTarget(const Text& path, std::string& target) {
    if (path.empty())
        return false;
    HANDLE h = ::CreateFileW(Win32::LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    const BOOL ok = ::DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &size, nullptr);
    ::CloseHandle(h);
    // The buffer starts with the tag: only reparse points that name another place are links.
    if (!ok || size < sizeof(DWORD))
        return false;
    DWORD tag = 0;
    std::memcpy(&tag, buffer.data(), sizeof tag);
    if (!Win32::IsLinkTag(tag))
        return false;
    target.assign(buffer.data(), size);
    return true;
}

}  // namespace Platform
