#include "platform/HardLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace Platform {

namespace {

TLinkStatus FromErrno(int error) {
    switch (error) {
        case EEXIST:
            return TLinkStatus::lsExists;
        case EXDEV:
            return TLinkStatus::lsOtherVolume;
        case EACCES:
        case EPERM:
        case EROFS:
            // EPERM is also what file systems without hard links (FAT) answer.
            return error == EPERM ? TLinkStatus::lsUnsupported : TLinkStatus::lsDenied;
        case EOPNOTSUPP:
            return TLinkStatus::lsUnsupported;
        default:
            return TLinkStatus::lsFailed;
    }
}

}  // namespace

TLinkStatus MakeHardLink(const Text& existing, const Text& newPath) {
    // linkat never replaces an existing name, and without AT_SYMLINK_FOLLOW it links the
    // entry itself, not what a link there would lead to.
    if (::linkat(AT_FDCWD, TextToUtf8(existing).c_str(), AT_FDCWD, TextToUtf8(newPath).c_str(),
                 0) == 0)
        return TLinkStatus::lsDone;
    const int error = errno;
    if (error == EPERM) {
        // Told apart from a file system without links: a protected file (fs.protected_hardlinks)
        // or a folder we may not write to.
        struct stat st;
        if (::lstat(TextToUtf8(existing).c_str(), &st) == 0 && ::geteuid() != 0 &&
            st.st_uid != ::geteuid())
            return TLinkStatus::lsDenied;
    }
    return FromErrno(error);
}

TLinkStatus RenameOver(const Text& source, const Text& target) {
    if (::renameat(AT_FDCWD, TextToUtf8(source).c_str(), AT_FDCWD, TextToUtf8(target).c_str()) == 0)
        return TLinkStatus::lsDone;
    const int error = errno;
    return error == EPERM ? TLinkStatus::lsDenied : FromErrno(error);
}

bool RemoveFileName(const Text& path) {
    return ::unlink(TextToUtf8(path).c_str()) == 0;
}

}  // namespace Platform
