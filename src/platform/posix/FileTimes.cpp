#include "platform/FileTimes.h"

#include <sys/stat.h>

namespace Platform {

bool QueryModifiedTime(const Text& path, std::int64_t& time) {
    struct stat st;
    if (path.empty() || ::lstat(TextToUtf8(path).c_str(), &st) != 0)
        return false;
    time = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return true;
}

}  // namespace Platform
