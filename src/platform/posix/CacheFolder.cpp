#include "platform/CacheFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/PathAt.h"

namespace Platform {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' ? user->pw_dir : "";
}

}  // namespace

Text CacheFolder() {
    // A relative XDG_CACHE_HOME is to be ignored, as the base-directory rules say.
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        base = HomeFolder();
        if (base.empty())
            return Text();
        base += "/.cache";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return Utf8ToText(base == "/" ? "/twinseek" : base + "/twinseek");
}

void MakeFolders(const Text& path) {
    const std::string name = TextToUtf8(path);
    for (std::size_t end = name.find('/', 1);; end = name.find('/', end + 1)) {
        const std::string part = name.substr(0, end);
        const TPathAt at(part);
        if (!part.empty() &&
            (!at || (::mkdirat(at.Dir(), at.Name(), 0700) != 0 && errno != EEXIST))) {
            const int error = errno;
            throw EPlatformError("Cannot create folder \"" + part + "\": " + std::strerror(error));
        }
        if (end == std::string::npos)
            break;
    }
    const TPathAt at(name);
    struct stat st;
    if (!at || ::fstatat(at.Dir(), at.Name(), &st, 0) != 0 || !S_ISDIR(st.st_mode))
        throw EPlatformError("Cannot create folder \"" + name + "\": " + std::strerror(ENOTDIR));
}

bool RemoveFile(const Text& path) {
    const TPathAt at(TextToUtf8(path));
    return at && ::unlinkat(at.Dir(), at.Name(), 0) == 0;
}

}  // namespace Platform
