#include "platform/FileTimes.h"

#include <sys/stat.h>

#include "platform/posix/PathAt.h"

namespace Platform {

bool QueryModifiedTime(const Text& path, std::int64_t& time) {
    if (path.empty())
        return false;
    const TPathAt at(TextToUtf8(path));
    struct stat st;
    if (!at || ::fstatat(at.Dir(), at.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return true;
}

}  // namespace Platform
