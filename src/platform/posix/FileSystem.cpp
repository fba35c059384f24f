#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/posix/PathAt.h"

#ifdef __linux__
#include <linux/magic.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#endif

namespace Platform {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, const char* reason) {
    throw EPlatformError(std::string(what) + " \"" + path + "\": " + reason);
}

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
    Fail(what, path, std::strerror(error));
}

TFileId IdOf(const struct stat& st) {
    return TFileId{.Volume = static_cast<std::uint64_t>(st.st_dev),
                   .IndexHigh = 0,
                   .IndexLow = static_cast<std::uint64_t>(st.st_ino)};
}

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

TFileStatus StatusOf(const struct stat& st) {
    TFileStatus status;
    status.IsRegular = S_ISREG(st.st_mode);
    status.Size = status.IsRegular ? static_cast<std::int64_t>(st.st_size) : 0;
    status.Id = IdOf(st);
    status.ModifiedTime = Nanoseconds(st.st_mtim);
    status.ChangeTime = Nanoseconds(st.st_ctim);
    return status;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Folder or not, and link or not, of one entry; a link is followed only to see whether it
// leads to a folder (a broken link is a file).
void Classify(int dirFd, const dirent& entry, TDirEntry& out) {
    unsigned char type = entry.d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    out.IsLink = type == DT_LNK;
    out.IsFolder =
        type == DT_DIR ||
        (type == DT_LNK && ::fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode));
}

}  // namespace

namespace {

// The status QueryFile gives, taken through the open folder.
bool StatusAt(int dirFd, const char* name, TFileStatus& status) {
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    status = StatusOf(st);
    return true;
}

TListStatus List(const Text& folder, std::vector<TDirEntry>& entries, TFileId* folderId,
                 bool measure) {
    entries.clear();
    const TPathAt at(TextToUtf8(folder));
    const int fd =
        at ? ::openat(at.Dir(), at.Name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK) : -1;
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? TListStatus::lsDenied : TListStatus::lsFailed;
    // Closed on every way out: a listing can end in an exception (memory, say).
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd), ::closedir);
    if (dir == nullptr) {
        ::close(fd);
        return TListStatus::lsFailed;
    }
    if (folderId != nullptr) {
        struct stat st;
        if (::fstat(fd, &st) == 0)
            *folderId = IdOf(st);
    }
    TListStatus status = TListStatus::lsOk;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            // A folder removed while it is read ends with an error: it lists as gone.
            if (errno != 0) {
                entries.clear();
                status = TListStatus::lsFailed;
            }
            break;
        }
        if (IsDotOrDotDot(entry->d_name))
            continue;
        TDirEntry& out = entries.emplace_back();
        out.Name = Utf8ToText(entry->d_name);
        Classify(fd, *entry, out);
        if (measure && !out.IsFolder)
            out.Measured = StatusAt(fd, entry->d_name, out.Status);
    }
    return status;
}

}  // namespace

TListStatus ListFolder(const Text& folder, std::vector<TDirEntry>& entries, TFileId* folderId) {
    return List(folder, entries, folderId, false);
}

TListStatus ListFolderMeasured(const Text& folder, std::vector<TDirEntry>& entries,
                               TFileId* folderId) {
    return List(folder, entries, folderId, true);
}

#ifdef __linux__

namespace {

bool IsPseudoType(unsigned long type) {
    // Kernel file systems whose magic numbers the system headers do not all carry.
    constexpr unsigned long ConfigFs = 0x62656570, FuseCtl = 0x65735543, Mqueue = 0x19800202,
                            RpcPipeFs = 0x67596969, NfsdFs = 0x6e667364;
    switch (type) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case ConfigFs:
        case FuseCtl:
        case Mqueue:
        case HUGETLBFS_MAGIC:
        case DEVPTS_SUPER_MAGIC:
        case AUTOFS_SUPER_MAGIC:
        case BINFMTFS_MAGIC:
        case EFIVARFS_MAGIC:
        case SELINUX_MAGIC:
        case SMACK_MAGIC:
        case AAFS_MAGIC:
        case NSFS_MAGIC:
        case OPENPROM_SUPER_MAGIC:
        case USBDEVICE_SUPER_MAGIC:
        case XENFS_SUPER_MAGIC:
        case RpcPipeFs:
        case NfsdFs:
            return true;
        default:
            return false;
    }
}

// devtmpfs reports the magic number of tmpfs, which holds real files; the mount table tells
// the two apart. Each line: id, parent, major:minor, root, mount point, ..., "-", type, ...
bool IsDevTmpfs(dev_t device) {
    std::FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (table == nullptr)
        return false;
    const std::string wanted =
        std::to_string(major(device)) + ':' + std::to_string(minor(device)) + ' ';
    bool found = false;
    char* line = nullptr;
    std::size_t capacity = 0;
    while (!found && ::getline(&line, &capacity, table) > 0) {
        const std::string_view text(line);
        const std::size_t first = text.find(' ');
        const std::size_t second = first == text.npos ? text.npos : text.find(' ', first + 1);
        if (second == text.npos || text.substr(second + 1, wanted.size()) != wanted)
            continue;
        const std::size_t dash = text.find(" - ");
        found = dash != text.npos && text.substr(dash + 3).starts_with("devtmpfs ");
    }
    std::free(line);
    std::fclose(table);
    return found;
}

}  // namespace

bool IsPseudoFileSystem(const Text& folder) {
    const TPathAt at(TextToUtf8(folder));
    if (!at)
        return false;
    // statfs has no *at() form: beyond the limit the folder itself is opened.
    TFd opened;
    if (!at.Whole()) {
        opened = TFd(::openat(at.Dir(), at.Name(), O_PATH | O_CLOEXEC));
        if (!opened)
            return false;
    }
    struct statfs fs;
    if ((opened ? ::fstatfs(opened.Get(), &fs) : ::statfs(at.Name(), &fs)) != 0)
        return false;
    // The magic numbers are 32 bits; some systems widen them with a sign.
    const auto type = static_cast<unsigned long>(fs.f_type) & 0xffffffffUL;
    if (IsPseudoType(type))
        return true;
    struct stat st;
    return (type == TMPFS_MAGIC || type == RAMFS_MAGIC) &&
           (opened ? ::fstat(opened.Get(), &st) : ::stat(at.Name(), &st)) == 0 &&
           IsDevTmpfs(st.st_dev);
}

#else

bool IsPseudoFileSystem(const Text&) {
    return false;  // the walk enters every file system where their types are not known
}

#endif

bool QueryFile(const Text& path, TFileStatus& status) {
    const TPathAt at(TextToUtf8(path));
    return at && StatusAt(at.Dir(), at.Name(), status);
}

std::int64_t FileSize(const Text& path) {
    TFileStatus status;
    return QueryFile(path, status) ? status.Size : 0;
}

namespace {

// What the path leads to, links followed.
bool TargetStatus(const Text& path, struct stat& st) {
    const TPathAt at(TextToUtf8(path));
    return at && ::fstatat(at.Dir(), at.Name(), &st, 0) == 0;
}

}  // namespace

bool FileExists(const Text& path) {
    struct stat st;
    return TargetStatus(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const Text& path) {
    struct stat st;
    return TargetStatus(path, st) && S_ISDIR(st.st_mode);
}

bool QueryIdentity(const Text& path, TFileId& id) {
    struct stat st;
    if (!TargetStatus(path, st))
        return false;
    id = IdOf(st);
    return true;
}

Text FullPath(const Text& path) {
    if (path.empty())
        return Text();
    Text source;
    if (path[0] != u'/') {
        std::string cwd(PATH_MAX, '\0');
        while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
            if (errno != ERANGE)
                Fail("Cannot read the current folder for", TextToUtf8(path), errno);
            cwd.resize(cwd.size() * 2);
        }
        cwd.resize(std::strlen(cwd.c_str()));
        source = Utf8ToText(cwd) + u'/';
    }
    source += path;
    // Components are kept as (start, length) in the result; ".." drops the last one and
    // stays at the root when there is none.
    Text result;
    std::size_t i = 0;
    while (i < source.size()) {
        while (i < source.size() && source[i] == u'/')
            ++i;
        std::size_t end = i;
        while (end < source.size() && source[end] != u'/')
            ++end;
        const TextView part = TextView(source).substr(i, end - i);
        i = end;
        if (part.empty() || part == u".")
            continue;
        if (part == u"..") {
            const std::size_t cut = result.rfind(u'/');
            result.resize(cut == Text::npos ? 0 : cut);
            continue;
        }
        result += u'/';
        result += part;
    }
    return result.empty() ? Text(u"/") : result;
}

Text ExecutableDir() {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
        if (n < 0)
            Fail("Cannot read", "/proc/self/exe", errno);
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            break;
        }
        target.resize(target.size() * 2);
    }
    const std::size_t cut = target.rfind('/');
    if (cut == std::string::npos || cut == 0)
        return Text(u"/");
    target.resize(cut);
    return Utf8ToText(target);
}

std::int64_t CurrentFileTime() {
    // The clock the kernel stamps files with.
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

Text TempDir() {
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir != nullptr && dir[0] != '\0' ? dir : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return Utf8ToText(folder);
}

TFileReader::TFileReader(const Text& path, TLinkRule links, TReadAccess access)
    : FPath(path), FHandle(-1) {
    const std::string name = TextToUtf8(path);
    const TPathAt at(name);
    // Non-blocking, so that opening a pipe cannot hang; what is opened is only ever a
    // regular file, for which the flag changes nothing (Read clears it if it ever does).
    const int fd = at ? ::openat(at.Dir(), at.Name(),
                                 O_RDONLY | O_CLOEXEC | O_NONBLOCK |
                                     (links == TLinkRule::lrRefuse ? O_NOFOLLOW : 0))
                      : -1;
    if (fd < 0)
        Fail("Cannot open file", name, errno);
    struct stat st;
    const char* reason = nullptr;
    if (::fstat(fd, &st) != 0) {
        reason = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        reason = std::strerror(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";  // a pipe or device could block or never end
    }
    if (reason != nullptr) {
        ::close(fd);
        Fail("Cannot open file", name, reason);
    }
#ifdef POSIX_FADV_RANDOM
    // Advice only: a system that ignores it reads the same bytes, just more of them.
    if (access == TReadAccess::raRandom)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    else if (access == TReadAccess::raSequential)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#else
    (void)access;
#endif
    FHandle = fd;
}

TFileReader::~TFileReader() {
    if (FHandle >= 0)
        ::close(static_cast<int>(FHandle));
}

TFileStatus TFileReader::Status() const {
    struct stat st;
    if (::fstat(static_cast<int>(FHandle), &st) != 0)
        Fail("Cannot query file", TextToUtf8(FPath), errno);
    return StatusOf(st);
}

std::size_t TFileReader::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(FHandle), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno == EAGAIN && ::fcntl(static_cast<int>(FHandle), F_SETFL, 0) == 0)
            continue;  // a lease held by another process: wait for it like a blocking read
        if (errno != EINTR)
            Fail("Cannot read file", TextToUtf8(FPath), errno);
    }
}

std::size_t TFileReader::ReadAt(void* buffer, std::size_t size, std::int64_t offset) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(static_cast<int>(FHandle), out + done, size - done,
                                  static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0)
            break;
        if (errno == EAGAIN && ::fcntl(static_cast<int>(FHandle), F_SETFL, 0) == 0)
            continue;
        if (errno != EINTR)
            Fail("Cannot read file", TextToUtf8(FPath), errno);
    }
    return done;
}

}  // namespace Platform
