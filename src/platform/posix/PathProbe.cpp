#include "platform/PathProbe.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>

#include "platform/posix/PathAt.h"

namespace Platform {

bool PathIsGone(const Text& path) {
    if (path.empty())
        return false;
    const TPathAt at(TextToUtf8(path));
    struct stat st;
    if (at && ::fstatat(at.Dir(), at.Name(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR;
}

bool ReadLinkTarget(const Text& path, std::string& target) {
    const TPathAt at(TextToUtf8(path));
    if (!at)
        return false;
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(at.Dir(), at.Name(), buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            target = std::move(buffer);
            return true;
        }
        if (buffer.size() > 16 * PATH_MAX)
            return false;
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace Platform
