#pragma once
// Paths longer than the system takes in one call (PATH_MAX, 4096 bytes on Linux): a tree can
// be deeper than that, and what lies below the limit must still be listed, read and moved.
// Every call of this layer that takes a path goes through TPathAt and the *at() form of the
// call; a path within the limit is passed on whole, at no cost.
#include <fcntl.h>

#include <cstddef>
#include <string>
#include <utility>

namespace Platform {

// A file descriptor, closed at the end.
class TFd {
public:
    TFd() = default;
    explicit TFd(int fd) : FFd(fd) {}
    ~TFd();
    TFd(TFd&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TFd& operator=(TFd&& other) noexcept {
        std::swap(FFd, other.FFd);
        return *this;
    }
    int Get() const { return FFd; }
    explicit operator bool() const { return FFd >= 0; }

private:
    int FFd = -1;
};

// A path as the *at() calls take it: Dir() and Name(). Within the limit that is AT_FDCWD and
// the path itself. A longer path has its leading folders opened in pieces, each within the
// limit, links among them followed as the system's own lookup follows them; the handle of
// the last folder so reached is held until the object ends. Name() always holds the last
// component as given (a trailing "/" included), so O_NOFOLLOW and AT_SYMLINK_NOFOLLOW mean
// what they mean for the whole path.
class TPathAt {
public:
    explicit TPathAt(std::string path);
    // False when a folder on the way could not be opened; errno then holds why, as the call
    // on the whole path would have failed (ENOENT, EACCES, ENOTDIR, ...).
    explicit operator bool() const { return FError == 0; }
    int Error() const { return FError; }  // 0, or the errno of the failure
    int Dir() const { return FFolder ? FFolder.Get() : AT_FDCWD; }
    const char* Name() const { return FPath.c_str() + FNameAt; }
    // Within the limit: Name() is the whole path, and calls without a folder handle (statfs)
    // may take it.
    bool Whole() const { return FNameAt == 0 && !FFolder; }

private:
    std::string FPath;
    std::size_t FNameAt = 0;
    TFd FFolder;
    int FError = 0;
};

// realpath(3) of any length: the absolute path without links, "." or ".." that leads where
// path leads. False with errno set when it cannot be resolved (path or a folder above what
// it leads to cannot be read).
bool RealPath(const std::string& path, std::string& real);

}  // namespace Platform
