#include "platform/FileTimes.h"

#include "platform/win32/WinText.h"

namespace Platform {

bool QueryModifiedTime(const Text& path, std::int64_t& time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() ||
        !::GetFileAttributesExW(Win32::LongPath(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    time = static_cast<std::int64_t>((std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                     data.ftLastWriteTime.dwLowDateTime);
    return true;
}

}  // namespace Platform
