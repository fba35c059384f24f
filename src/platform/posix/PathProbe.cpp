#include "platform/PathProbe.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>

namespace Platform {

bool PathIsGone(const Text& path) {
    if (path.empty())
        return false;
    struct stat st;
    if (::lstat(TextToUtf8(path).c_str(), &st) == 0)
        return false;
    return errno == ENOENT || errno == ENOTDIR;
}

bool ReadLinkTarget(const Text& path, std::string& target) {
    const std::string name = TextToUtf8(path);
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(name.c_str(), buffer.data(), buffer.size());
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
