#include "platform/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/PathAt.h"

namespace Platform {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
    throw EPlatformError(std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

int OpenFile(const std::string& path, int flags) {
    const TPathAt at(path);
    return at ? ::openat(at.Dir(), at.Name(), flags, 0666) : -1;
}

void RemoveName(const std::string& path) {
    const TPathAt at(path);
    if (at)
        ::unlinkat(at.Dir(), at.Name(), 0);
}

// Writes every byte; the errno of the failure, or 0.
int WriteAll(int fd, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

// A pipe or a device (/dev/stdout, say) cannot be replaced: it is written into.
void WriteInto(const std::string& name, std::string_view bytes) {
    const int fd = OpenFile(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        Fail("Cannot create file", name, errno);
    if (const int error = WriteAll(fd, bytes)) {
        ::close(fd);
        Fail("Cannot write file", name, error);
    }
    if (::close(fd) != 0)
        Fail("Cannot write file", name, errno);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name of our own in the folder, created exclusively, so no other file or link is met.
int CreateTemporary(const std::string& folder, const std::string& shownName, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const char* digits = "0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t value = (std::uint64_t{random()} << 32) ^ random() ^ ++counter;
        std::string suffix;
        for (int i = 0; i < 12; ++i, value >>= 4)
            suffix += digits[value & 15];
        temp = (folder == "/" ? "" : folder) + "/.twinseek-" + suffix + ".tmp";
        const int fd = OpenFile(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            Fail("Cannot create file", shownName, errno);
    }
    Fail("Cannot create file", shownName, EEXIST);
}

}  // namespace

void WriteWholeFile(const Text& path, std::string_view bytes) {
    const std::string name = TextToUtf8(path);
    struct stat existing {};
    const TPathAt at(name);
    const bool exists = at && ::fstatat(at.Dir(), at.Name(), &existing, 0) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        WriteInto(name, bytes);
        return;
    }
    // Through a link, the file it leads to is replaced and the link stays.
    std::string target = name;
    if (exists) {
        std::string real;
        if (RealPath(name, real))
            target = std::move(real);
    }
    std::string temp;
    const int fd = CreateTemporary(FolderOf(target), name, temp);
    auto fail = [&](const char* what, int error) {
        RemoveName(temp);
        Fail(what, name, error);
    };
    // The replacement keeps the permissions of the report it replaces.
    if (exists)
        ::fchmod(fd, existing.st_mode & 07777);
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        fail("Cannot write file", error);
    const TPathAt from(temp);
    const TPathAt to(target);
    if (!from || !to || ::renameat(from.Dir(), from.Name(), to.Dir(), to.Name()) != 0)
        fail("Cannot replace file", !from ? from.Error() : !to ? to.Error() : errno);
}

}  // namespace Platform
