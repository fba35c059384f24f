#include "platform/CacheFolder.h"

#include <shlobj.h>
#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/win32/WinText.h"

namespace Platform {

Text CacheFolder() {
    std::wstring base(32768, L'\0');
    DWORD n =
        ::GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), static_cast<DWORD>(base.size()));
    if (n == 0 || n >= base.size()) {
        base.assign(MAX_PATH, L'\0');
        if (::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                               base.data()) != S_OK)
            return Text();
        n = static_cast<DWORD>(wcslen(base.c_str()));
    }
    base.resize(n);
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/'))
        base.pop_back();
    if (base.empty())
        return Text();
    return Win32::FromWide(base) + u"\\Twinseek";
}

void MakeFolders(const Text& path) {
    // The per-user folder it goes into is the user's own already; new folders inherit that.
    const std::wstring full = Win32::LongPath(path);
    // Each separator after the \\?\ prefix ends a folder; the ones that are there already,
    // and the drive or share itself, refuse and are passed over.
    DWORD error = ERROR_SUCCESS;
    for (std::size_t end = full.find(L'\\', 4);; end = full.find(L'\\', end + 1)) {
        if (!::CreateDirectoryW(full.substr(0, end).c_str(), nullptr))
            error = ::GetLastError();
        if (end == std::wstring::npos)
            break;
    }
    if (!DirectoryExists(path))
        Win32::Fail("Cannot create folder", path, error);
}

bool RemoveFile(const Text& path) {
    return ::DeleteFileW(Win32::LongPath(path).c_str()) != 0;
}

}  // namespace Platform
