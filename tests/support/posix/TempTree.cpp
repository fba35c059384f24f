#include "support/TempTree.h"
#include "support/TempTreeSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error("TTempTree: " + what + " " + path + ": " + std::strerror(errno));
}

// The base for trees: TMPDIR when the user nobody can pass through it, else /tmp.
std::string Base() {
    const char* dir = std::getenv("TMPDIR");
    struct stat st;
    if (dir != nullptr && dir[0] == '/' && ::stat(dir, &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_IXOTH) != 0) {
        std::string base(dir);
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        return base;
    }
    return "/tmp";
}

}  // namespace

namespace TempTreeSystem {

std::string Native(std::string_view rel) {
    return std::string(rel);
}

std::string MakeRoot() {
    std::string pattern = Base() + "/twinseek-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        Fail("cannot make", pattern);
    ::chmod(pattern.c_str(), 0755);
    return pattern;
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0)
        ::chmod(path.c_str(), 0755);  // whatever the umask
    else if (errno != EEXIST)
        Fail("cannot make folder", path);
}

// Gives folders back their permissions first, so that what a test made unreadable goes too.
void RemoveAll(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(path.c_str(), 0700);
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.push_back(name);
            }
            ::closedir(dir);
        }
        for (const std::string& name : names)
            RemoveAll(path + "/" + name);
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

void WriteFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("cannot create", path);
    ::fchmod(fd, 0644);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            Fail("cannot write", path);
        }
        written += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void SetSparseSize(const std::string& path, std::uint64_t size) {
    if (::truncate(path.c_str(), static_cast<off_t>(size)) != 0)
        Fail("cannot size", path);
}

void MakeLink(const std::string& path, std::string_view target) {
    if (::symlink(std::string(target).c_str(), path.c_str()) != 0)
        Fail("cannot link", path);
}

void MakeHardLink(const std::string& path, const std::string& existing) {
    if (::link(existing.c_str(), path.c_str()) != 0)
        Fail("cannot hard-link", path);
}

std::optional<std::intptr_t> Deny(const std::string& path) {
    if (::chmod(path.c_str(), 0) != 0)
        Fail("cannot deny", path);
    return std::nullopt;
}

void Release(std::intptr_t) {}

}  // namespace TempTreeSystem

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

int RunWhereDenied(const std::function<int()>& body) {
    return RunAsNobody(body);
}

namespace {

// Runs body in a child process after prepare has succeeded there; body's value, or -1.
int RunInChild(const std::function<bool()>& prepare, const std::function<int()>& body) {
    int channel[2];
    if (::pipe(channel) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return -1;
    }
    if (child == 0) {
        ::close(channel[0]);
        if (!prepare())
            ::_exit(1);
        int result = -1;
        try {
            result = body();
        } catch (...) {
            ::_exit(1);
        }
        // The value goes through a pipe: an exit status holds only 8 bits.
        const bool sent = ::write(channel[1], &result, sizeof result) == sizeof result;
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    int result = 0;
    std::size_t got = 0;
    while (got < sizeof result) {
        const ssize_t n =
            ::read(channel[0], reinterpret_cast<char*>(&result) + got, sizeof result - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return clean && got == sizeof result ? result : -1;
}

}  // namespace

int RunAsNobody(const std::function<int()>& body) {
    return RunInChild(
        [] {
            constexpr uid_t nobody = 65534;
            return !RunningAsRoot() ||
                   (::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0);
        },
        body);
}

int RunWithBindMount(std::string_view source, std::string_view target,
                     const std::function<int()>& body) {
    const std::string from(source), onto(target);
    return RunInChild(
        [&] {
            // A mount namespace of the child's own: the mount ends with the child, and no
            // other process sees it.
            return ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
        },
        body);
}
