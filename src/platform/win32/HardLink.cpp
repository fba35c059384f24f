#include "platform/HardLink.h"

#include "platform/win32/WinText.h"

namespace Platform {

namespace {

TLinkStatus FromError(DWORD error) {
    switch (error) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return TLinkStatus::lsExists;
        case ERROR_NOT_SAME_DEVICE:
            return TLinkStatus::lsOtherVolume;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return TLinkStatus::lsDenied;
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
            return TLinkStatus::lsUnsupported;
        default:
            return TLinkStatus::lsFailed;
    }
}

}  // namespace

TLinkStatus MakeHardLink(const Text& existing, const Text& newPath) {
    // CreateHardLinkW fails when the new name exists; it never replaces it.
    if (::CreateHardLinkW(Win32::LongPath(newPath).c_str(), Win32::LongPath(existing).c_str(),
                          nullptr))
        return TLinkStatus::lsDone;
    return FromError(::GetLastError());
}

TLinkStatus RenameOver(const Text& source, const Text& target) {
    if (::MoveFileExW(Win32::LongPath(source).c_str(), Win32::LongPath(target).c_str(),
                      MOVEFILE_REPLACE_EXISTING))
        return TLinkStatus::lsDone;
    return FromError(::GetLastError());
}

bool RemoveFileName(const Text& path) {
    return ::DeleteFileW(Win32::LongPath(path).c_str()) != 0;
}

}  // namespace Platform
