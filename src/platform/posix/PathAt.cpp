#include "platform/posix/PathAt.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace Platform {

namespace {

#ifdef O_PATH
constexpr int FolderOnly = O_PATH | O_DIRECTORY | O_CLOEXEC;  // the search right, as a lookup
#else
constexpr int FolderOnly = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The longest path the system takes whole, its NUL not counted.
constexpr std::size_t Longest = PATH_MAX - 1;

// Links followed in a row before a path counts as a loop, as the system counts them.
constexpr int MaxLinks = 40;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The name under which the open folder holds the folder of identity st. The entry's d_ino is
// tried first; at a mount point it is that of the folder covered, so then every folder entry
// is asked for its status.
bool NameIn(int folderFd, const struct stat& st, std::string& name) {
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    bool found = false;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        ::rewinddir(dir);
        while (const dirent* entry = ::readdir(dir)) {
            if (IsDotOrDotDot(entry->d_name) || (pass == 0 && entry->d_ino != st.st_ino) ||
                (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
                continue;
            struct stat candidate {};
            if (::fstatat(folderFd, entry->d_name, &candidate, AT_SYMLINK_NOFOLLOW) == 0 &&
                SameFile(candidate, st)) {
                name = entry->d_name;
                found = true;
                break;
            }
        }
    }
    ::closedir(dir);
    if (!found)
        errno = ENOENT;  // moved away while it was looked for
    return found;
}

// The absolute path of an open folder, read upwards through "..", as the system's realpath
// cannot give it beyond the limit.
bool FolderPathOf(TFd folder, std::string& path) {
    std::vector<std::string> names;
    struct stat here {};
    if (::fstat(folder.Get(), &here) != 0)
        return false;
    for (;;) {
        TFd up(::openat(folder.Get(), "..", FolderOnly));
        struct stat above {};
        if (!up || ::fstat(up.Get(), &above) != 0)
            return false;
        if (SameFile(above, here))
            break;  // the root is its own parent
        if (!NameIn(up.Get(), here, names.emplace_back()))
            return false;
        folder = std::move(up);
        here = above;
    }
    path.clear();
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        path += '/' + *name;
    if (path.empty())
        path = "/";
    return true;
}

// Opens the pieces of a path beyond the limit; 0 or the error.
int OpenPieces(const std::string& path, std::size_t& nameAt, TFd& folder) {
    while (path.size() - nameAt > Longest) {
        const std::string_view rest = std::string_view(path).substr(nameAt);
        // The last separator within the limit that a component follows: what lies before it
        // is one piece, and what follows is neither empty nor absolute.
        std::size_t cut = std::string_view::npos;
        for (std::size_t i = std::min(Longest, rest.size() - 2) + 1; i-- > 0;) {
            if (rest[i] == '/' && rest[i + 1] != '/') {
                cut = i;
                break;
            }
        }
        if (cut == std::string_view::npos)
            return ENAMETOOLONG;  // one name, or one run of separators, beyond the limit
        const std::string piece = cut == 0 ? std::string("/") : std::string(rest.substr(0, cut));
        TFd next(::openat(folder ? folder.Get() : AT_FDCWD, piece.c_str(), FolderOnly));
        if (!next)
            return errno;
        folder = std::move(next);
        nameAt += cut + 1;
    }
    return 0;
}

}  // namespace

TFd::~TFd() {
    if (FFd >= 0)
        ::close(FFd);
}

TPathAt::TPathAt(std::string path) : FPath(std::move(path)) {
    if (FPath.size() <= Longest)
        return;
    FError = OpenPieces(FPath, FNameAt, FFolder);
    if (FError != 0) {
        FFolder = TFd();
        errno = FError;
    }
}

bool RealPath(const std::string& path, std::string& real) {
    if (path.size() <= Longest) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            real = resolved;
            std::free(resolved);
            return true;
        }
        if (errno != ENAMETOOLONG)
            return false;  // else the path it leads to is beyond the limit
    }
    std::string current = path;
    for (int links = 0; links <= MaxLinks; ++links) {
        std::string_view view(current);
        const bool trailing = view.size() > 1 && view.back() == '/';
        while (view.size() > 1 && view.back() == '/')
            view.remove_suffix(1);
        const std::size_t slash = view.rfind('/');
        const std::string last(slash == view.npos ? view : view.substr(slash + 1));
        if (last.empty() || last == "." || last == "..") {
            const TPathAt at(current);
            TFd whole(at ? ::openat(at.Dir(), at.Name(), FolderOnly) : -1);
            return whole && FolderPathOf(std::move(whole), real);
        }
        const std::string folder = slash == view.npos ? std::string(".")
                                   : slash == 0       ? std::string("/")
                                                      : std::string(view.substr(0, slash));
        const TPathAt at(folder);
        TFd folderFd(at ? ::openat(at.Dir(), at.Name(), FolderOnly) : -1);
        struct stat st {};
        if (!folderFd || ::fstatat(folderFd.Get(), last.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (S_ISLNK(st.st_mode)) {
            std::string target(PATH_MAX, '\0');
            const ssize_t n =
                ::readlinkat(folderFd.Get(), last.c_str(), target.data(), target.size());
            if (n < 0)
                return false;
            if (static_cast<std::size_t>(n) == target.size()) {
                errno = ENAMETOOLONG;  // no link the system makes holds that much
                return false;
            }
            target.resize(static_cast<std::size_t>(n));
            current =
                (target.starts_with('/') ? target : folder + '/' + target) + (trailing ? "/" : "");
            continue;
        }
        if (trailing && !S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        if (!FolderPathOf(std::move(folderFd), real))
            return false;
        real += (real == "/" ? "" : "/") + last;
        return true;
    }
    errno = ELOOP;
    return false;
}

}  // namespace Platform
