#include "platform/FileStamp.h"

#include <windows.h>

#include "platform/win32/WinText.h"

namespace Platform {

namespace {

// 100-nanosecond ticks since 1601 to nanoseconds since 1970.
std::int64_t FromFileTime(std::int64_t ticks) {
    constexpr std::int64_t TicksTo1970 = 116444736000000000;
    return (ticks - TicksTo1970) * 100;
}

bool IsLink(HANDLE h, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return !::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) ||
           Win32::IsLinkTag(tag.ReparseTag);
}

}  // namespace

bool QueryFileStamp(const Text& path, TFileStamp& stamp) {
    if (path.empty())
        return false;
    // One handle for all of it, so that identity, size and times are of one file. Opened
    // for its attributes only: also a file that others hold open.
    HANDLE h = ::CreateFileW(Win32::LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    const bool ok = ::GetFileInformationByHandle(h, &info) &&
                    (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                    !IsLink(h, info.dwFileAttributes) &&
                    ::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic);
    ::CloseHandle(h);
    if (!ok)
        return false;
    stamp.Id = TFileId{.Volume = info.dwVolumeSerialNumber,
                       .IndexHigh = 0,
                       .IndexLow = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    stamp.Size =
        static_cast<std::int64_t>((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    stamp.ModifiedTime = FromFileTime(basic.LastWriteTime.QuadPart);
    stamp.ChangeTime = FromFileTime(basic.ChangeTime.QuadPart);
    return true;
}

std::int64_t CurrentFileTime() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    return FromFileTime(
        static_cast<std::int64_t>((std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime));
}

}  // namespace Platform
