#include "platform/FileStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>

namespace Platform {

namespace {

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

bool QueryFileStamp(const Text& path, TFileStamp& stamp) {
    struct stat st;
    if (::fstatat(AT_FDCWD, TextToUtf8(path).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
        return false;
    stamp.Id = TFileId{.Volume = static_cast<std::uint64_t>(st.st_dev),
                       .IndexHigh = 0,
                       .IndexLow = static_cast<std::uint64_t>(st.st_ino)};
    stamp.Size = static_cast<std::int64_t>(st.st_size);
    stamp.ModifiedTime = Nanoseconds(st.st_mtim);
    stamp.ChangeTime = Nanoseconds(st.st_ctim);
    return true;
}

std::int64_t CurrentFileTime() {
    // The clock the kernel stamps files with.
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

}  // namespace Platform
