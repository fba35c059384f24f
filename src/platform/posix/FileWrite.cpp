#include "platform/FileWrite.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FileSystem.h"

namespace Platform {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
    throw EPlatformError(std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

}  // namespace

void WriteWholeFile(const Text& path, std::string_view bytes) {
    const std::string name = TextToUtf8(path);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        Fail("Cannot create file", name, errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            Fail("Cannot write file", name, error);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        Fail("Cannot write file", name, errno);
}

}  // namespace Platform
