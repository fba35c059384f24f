#include "platform/HardLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

#include "platform/posix/PathAt.h"

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
    const TPathAt from(TextToUtf8(existing));
    const TPathAt to(TextToUtf8(newPath));
    // linkat never replaces an existing name, and without AT_SYMLINK_FOLLOW it links the
    // entry itself, not what a link there would lead to.
    if (from && to && ::linkat(from.Dir(), from.Name(), to.Dir(), to.Name(), 0) == 0)
        return TLinkStatus::lsDone;
    const int error = !from ? from.Error() : !to ? to.Error() : errno;
    if (error == EPERM && from) {
        // Told apart from a file system without links: a protected file (fs.protected_hardlinks)
        // or a folder we may not write to.
        struct stat st;
        if (::fstatat(from.Dir(), from.Name(), &st, AT_SYMLINK_NOFOLLOW) == 0 && ::geteuid() != 0 &&
            st.st_uid != ::geteuid())
            return TLinkStatus::lsDenied;
    }
    return FromErrno(error);
}

TLinkStatus RenameOver(const Text& source, const Text& target) {
    const TPathAt from(TextToUtf8(source));
    const TPathAt to(TextToUtf8(target));
    if (from && to && ::renameat(from.Dir(), from.Name(), to.Dir(), to.Name()) == 0)
        return TLinkStatus::lsDone;
    const int error = !from ? from.Error() : !to ? to.Error() : errno;
    return error == EPERM ? TLinkStatus::lsDenied : FromErrno(error);
}

bool RemoveFileName(const Text& path) {
    const TPathAt at(TextToUtf8(path));
    return at && ::unlinkat(at.Dir(), at.Name(), 0) == 0;
}

}  // namespace Platform
