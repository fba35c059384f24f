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
#include <algorithm>
#include <cerrno>
#include <climits>
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

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// The folder that holds a path's last component, open, and that component: what the calls
// here go through, so that trees deeper than the system's path limit can be made.
class TParent {
public:
    explicit TParent(const std::string& path) {
        std::string folder = path;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        const std::size_t cut = folder.rfind('/');
        FName = folder.substr(cut + 1);
        folder.resize(cut == 0 ? 1 : cut);
        FFd = OpenFolderAnyLength(folder);
    }
    ~TParent() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TParent(const TParent&) = delete;
    TParent& operator=(const TParent&) = delete;
    explicit operator bool() const { return FFd >= 0; }
    int Fd() const { return FFd; }
    const char* Name() const { return FName.c_str(); }

private:
    int FFd = -1;
    std::string FName;
};

// Removes every entry of the open folder but its folders, which it makes enterable and
// gives. Links and files go as names, never what they lead to.
std::vector<std::string> EmptiedButFolders(int fd) {
    std::vector<std::string> folders, others;
    const int copy = ::openat(fd, ".", FolderFlags);
    if (DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            struct stat st;
            const bool folder =
                ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            (folder ? folders : others).push_back(name);
        }
        ::closedir(dir);
    } else if (copy >= 0) {
        ::close(copy);
    }
    for (const std::string& name : others)
        ::unlinkat(fd, name.c_str(), 0);
    for (const std::string& name : folders)
        ::fchmodat(fd, name.c_str(), 0700, 0);
    return folders;
}

}  // namespace

int OpenFolderAnyLength(const std::string& path) {
    // The longest leading part the system takes whole, then one component at a time: not the
    // platform layer's way, so that a tree is built whatever that gets wrong.
    constexpr std::size_t longest = PATH_MAX - 1;
    if (path.size() <= longest)
        return ::open(path.c_str(), FolderFlags);
    std::size_t cut = path.rfind('/', longest);
    if (cut == std::string::npos) {
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = ::open(cut == 0 ? "/" : path.substr(0, cut).c_str(), FolderFlags);
    while (fd >= 0 && cut < path.size()) {
        const std::size_t end = std::min(path.find('/', cut + 1), path.size());
        const std::string name = path.substr(cut + 1, end - cut - 1);
        cut = end;
        if (name.empty())
            continue;
        const int next = ::openat(fd, name.c_str(), FolderFlags);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

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

void MakeFolders(const std::string& path, std::size_t from) {
    int fd = OpenFolderAnyLength(path);
    if (fd >= 0) {
        ::close(fd);  // there already, as for every file put into a folder made before
        return;
    }
    // Down from the folder that exists, one folder open at a time, however deep the path.
    fd = OpenFolderAnyLength(path.substr(0, from - 1));
    if (fd < 0)
        Fail("cannot open", path.substr(0, from - 1));
    for (std::size_t start = from; start < path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        if (::mkdirat(fd, name.c_str(), 0755) == 0) {
            ::fchmodat(fd, name.c_str(), 0755, 0);  // whatever the umask
        } else if (errno != EEXIST) {
            ::close(fd);
            Fail("cannot make folder", path.substr(0, end));
        }
        const int next = ::openat(fd, name.c_str(), FolderFlags);
        ::close(fd);
        fd = next;
        if (fd < 0)
            Fail("cannot open", path.substr(0, end));
    }
    ::close(fd);
}

// Gives folders back their permissions first, so that what a test made unreadable goes too.
// Down and up again with one folder open at a time, so that no depth exhausts the stack or
// the handles.
void RemoveAll(const std::string& path) {
    const TParent parent(path);
    struct stat st;
    if (!parent || ::fstatat(parent.Fd(), parent.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlinkat(parent.Fd(), parent.Name(), 0);
        return;
    }
    ::fchmodat(parent.Fd(), parent.Name(), 0700, 0);
    struct TLevel {
        std::vector<std::string> Folders;
        std::size_t Next = 0;
    };
    std::vector<TLevel> levels;
    int fd = ::openat(parent.Fd(), parent.Name(), FolderFlags | O_NOFOLLOW);
    if (fd >= 0)
        levels.push_back({EmptiedButFolders(fd)});
    while (!levels.empty()) {
        TLevel& level = levels.back();
        if (level.Next < level.Folders.size()) {
            const std::string& name = level.Folders[level.Next++];
            const int child = ::openat(fd, name.c_str(), FolderFlags | O_NOFOLLOW);
            if (child >= 0) {
                ::close(fd);
                fd = child;
                levels.push_back({EmptiedButFolders(fd)});
            }
            continue;
        }
        levels.pop_back();
        if (levels.empty())
            break;
        const int up = ::openat(fd, "..", FolderFlags);
        ::close(fd);
        fd = up;
        if (fd < 0)
            break;
        const TLevel& above = levels.back();
        ::unlinkat(fd, above.Folders[above.Next - 1].c_str(), AT_REMOVEDIR);
    }
    if (fd >= 0)
        ::close(fd);
    ::unlinkat(parent.Fd(), parent.Name(), AT_REMOVEDIR);
}

void WriteFile(const std::string& path, std::string_view bytes) {
    const TParent parent(path);
    const int fd = parent ? ::openat(parent.Fd(), parent.Name(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                          : -1;
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
    const TParent parent(path);
    const int fd = parent ? ::openat(parent.Fd(), parent.Name(), O_WRONLY | O_CLOEXEC) : -1;
    const bool sized = fd >= 0 && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!sized)
        Fail("cannot size", path);
}

void MakeLink(const std::string& path, std::string_view target) {
    const TParent parent(path);
    if (!parent || ::symlinkat(std::string(target).c_str(), parent.Fd(), parent.Name()) != 0)
        Fail("cannot link", path);
}

void MakeHardLink(const std::string& path, const std::string& existing) {
    const TParent from(existing);
    const TParent to(path);
    if (!from || !to || ::linkat(from.Fd(), from.Name(), to.Fd(), to.Name(), 0) != 0)
        Fail("cannot hard-link", path);
}

std::optional<std::intptr_t> Deny(const std::string& path) {
    const TParent parent(path);
    if (!parent || ::fchmodat(parent.Fd(), parent.Name(), 0, 0) != 0)
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
