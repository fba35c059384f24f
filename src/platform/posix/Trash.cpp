// The freedesktop trash, written here so that names go by their bytes and the command line
// has it too.
//
// Each item goes by one rename into the trash of its own file system: the home trash when it
// lies on the same one, else the trash at the top of its mount. The info file is made first
// and exclusively, which claims the name; the rename never replaces what files/ holds
// already. Nothing is copied and nothing is deleted: an item that cannot be renamed into a
// trash stays where it is, and only the info file made for it is removed again.
#include "platform/Shell.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/posix/MountPoints.h"
#include "platform/posix/PathAt.h"
#include "platform/posix/TrashInfo.h"

namespace Platform {

namespace {

#ifdef O_PATH
constexpr int DirOpen = O_PATH | O_DIRECTORY | O_CLOEXEC;  // no read right needed
#else
constexpr int DirOpen = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Candidate names tried for one item before the trash counts as full.
constexpr int MaxNameTries = 100000;

// A folder opened by its path, whatever the path's length; -1 when it cannot be.
int OpenFolder(const std::string& path) {
    const TPathAt at(path);
    return at ? ::openat(at.Dir(), at.Name(), DirOpen) : -1;
}

// English on purpose: strerror follows the user's locale once a toolkit has set it.
std::string ErrorReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOENT:
            return "does not exist";
        case ENOTDIR:
            return "a folder of its path is not a folder";
        case EROFS:
            return "the file system is read-only";
        case ENOSPC:
        case EDQUOT:
            return "no space left on the file system";
        case EBUSY:
            return "in use by the system";
        case ENAMETOOLONG:
            return "the name is too long";
        case ELOOP:
            return "too many links in its path";
        case EXDEV:
            return "on another file system than its trash";
        case EINVAL:
            return "it holds the trash folder";
        default:
            return "system error " + DecimalText(error);
    }
}

// ---- The item

struct TItem {
    std::string Parent;  // absolute, as given: links on the way are not resolved
    std::string Name;
    TFd ParentFd;
    struct stat Status {};  // the item itself, links not followed
};

bool OpenItem(const Text& path, TItem& item, std::string& reason) {
    if (path.empty()) {
        reason = "empty path";
        return false;
    }
    if (path.find(u'\0') != Text::npos) {
        reason = "the path holds a NUL character";
        return false;
    }
    std::string full;
    try {
        // Lexical, as every path of the scan; a trailing "/" goes, so a link is the link.
        full = TextToUtf8(FullPath(path));
    } catch (const EPlatformError&) {
        reason = "the current folder cannot be read";
        return false;
    }
    const std::size_t cut = full.rfind('/');
    if (full == "/" || cut == std::string::npos) {
        reason = "is the root folder";
        return false;
    }
    item.Parent = cut == 0 ? "/" : full.substr(0, cut);
    item.Name = full.substr(cut + 1);
    item.ParentFd = TFd(OpenFolder(item.Parent));
    struct stat parent {};
    if (!item.ParentFd || ::fstat(item.ParentFd.Get(), &parent) != 0 ||
        ::fstatat(item.ParentFd.Get(), item.Name.c_str(), &item.Status, AT_SYMLINK_NOFOLLOW) != 0) {
        reason = ErrorReason(errno);
        return false;
    }
    if (item.Status.st_dev != parent.st_dev) {
        reason = "is a mount point";
        return false;
    }
    return true;
}

// ---- Trash folders

struct TTrashFolder {
    TFd Files, Info;
    std::map<std::string, int> NextTry;  // per item name, the first number not yet taken
};

bool IsOwnPrivateFolder(const struct stat& st) {
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

// A folder of a trash, made 0700 when missing, never a link. own: it must be the user's
// and writable by nobody else, as a trash in a folder that others share must be.
bool OpenTrashPart(int dirFd, const std::string& name, bool own, TFd& fd, std::string& reason) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        fd = TFd(::openat(dirFd, name.c_str(), DirOpen | O_NOFOLLOW));
        struct stat st {};
        if (fd && ::fstat(fd.Get(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                break;
            if (own && !IsOwnPrivateFolder(st)) {
                reason = name + " belongs to another user or others may change it";
                fd = TFd();
                return false;
            }
            return true;
        }
        if (errno == ENOTDIR || errno == ELOOP)
            break;
        if (errno != ENOENT || (::mkdirat(dirFd, name.c_str(), 0700) != 0 && errno != EEXIST)) {
            reason = name + " cannot be made: " + ErrorReason(errno);
            fd = TFd();
            return false;
        }
    }
    reason = name + " is a link or not a folder";
    fd = TFd();
    return false;
}

bool OpenFilesAndInfo(int trashFd, bool own, TTrashFolder& trash, std::string& reason) {
    return OpenTrashPart(trashFd, "files", own, trash.Files, reason) &&
           OpenTrashPart(trashFd, "info", own, trash.Info, reason);
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// $XDG_DATA_HOME/Trash, else ~/.local/share/Trash; empty without a home folder.
std::string HomeTrashPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return WithoutTrailingSlashes(data) + "/Trash";
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
        home = env;
    } else {
        std::string buffer(16384, '\0');
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
            home = found->pw_dir;
    }
    if (home.empty())
        return {};
    home = WithoutTrailingSlashes(home);
    return (home == "/" ? "" : home) + "/.local/share/Trash";
}

// Makes the folder and any missing folder above it, 0700 as the user's data folders are.
bool MakeFolders(const std::string& path, int& error) {
    for (std::size_t i = path.find('/', 1);; i = path.find('/', i + 1)) {
        const TPathAt part(path.substr(0, i));
        if (!part || (::mkdirat(part.Dir(), part.Name(), 0700) != 0 && errno != EEXIST)) {
            error = errno;
            return false;
        }
        if (i == std::string::npos)
            return true;
    }
}

// The top folder of the mount that holds the item, and the item's path relative to it.
bool LocateOnMount(const TItem& item, std::string& top, std::string& relative,
                   std::string& reason) {
    std::string parent;
    if (!RealPath(item.Parent, parent)) {
        reason = ErrorReason(errno);
        return false;
    }
    // The folder the item is renamed from must be the one measured here.
    const TPathAt at(parent);
    struct stat byPath {};
    struct stat opened {};
    if (!at || ::fstatat(at.Dir(), at.Name(), &byPath, 0) != 0 ||
        ::fstat(item.ParentFd.Get(), &opened) != 0 || byPath.st_dev != opened.st_dev ||
        byPath.st_ino != opened.st_ino) {
        reason = "its folder changed while it was being moved";
        return false;
    }
    top = MountTopFolder(parent, item.Status.st_dev);
    relative = parent == top ? std::string() : parent.substr(top == "/" ? 1 : top.size() + 1);
    relative += (relative.empty() ? "" : "/") + item.Name;
    return true;
}

// The trash folders one request uses, opened once.
class TTrashes {
public:
    TTrashes() : FHomePath(HomeTrashPath()) {
        if (!FHomePath.empty())
            FHomeDevice = DeviceOf(FHomePath + "/files");
    }

    bool IsOnHomeDevice(const TItem& item) const {
        return FHomeDevice && *FHomeDevice == item.Status.st_dev;
    }

    TTrashFolder* Home(std::string& reason) {
        if (!FHomeTried) {
            FHomeTried = true;
            OpenHome();
        }
        reason = FHomeFailure;
        return FHome ? &*FHome : nullptr;
    }

    // $top/.Trash/$uid when $top/.Trash is a real folder with the sticky bit, else
    // $top/.Trash-$uid.
    TTrashFolder* OnMount(const std::string& top, std::string& reason) {
        if (auto it = FMounts.find(top); it != FMounts.end())
            return &it->second;
        const TFd topFd(OpenFolder(top));
        if (!topFd) {
            reason = "the top folder of its file system (" + top +
                     ") cannot be opened: " + ErrorReason(errno);
            return nullptr;
        }
        const std::string uid = DecimalText(::geteuid());
        TTrashFolder trash;
        std::string why;
        const TFd shared(::openat(topFd.Get(), ".Trash", DirOpen | O_NOFOLLOW));
        struct stat st {};
        if (shared && ::fstat(shared.Get(), &st) == 0 && S_ISDIR(st.st_mode) &&
            (st.st_mode & S_ISVTX) != 0) {
            TFd own;
            if (OpenTrashPart(shared.Get(), uid, true, own, why) &&
                OpenFilesAndInfo(own.Get(), true, trash, why))
                return &FMounts.emplace(top, std::move(trash)).first->second;
        }
        TFd own;
        if (OpenTrashPart(topFd.Get(), ".Trash-" + uid, true, own, why) &&
            OpenFilesAndInfo(own.Get(), true, trash, why))
            return &FMounts.emplace(top, std::move(trash)).first->second;
        reason = "no trash may be used on its file system (" + top + "): " + why;
        return nullptr;
    }

private:
    void OpenHome() {
        if (FHomePath.empty()) {
            FHomeFailure = "there is no home folder for the trash";
            return;
        }
        int error = 0;
        if (!MakeFolders(FHomePath, error)) {
            FHomeFailure =
                "the trash folder " + FHomePath + " cannot be made: " + ErrorReason(error);
            return;
        }
        // The home trash may be a link the user made; its parts may not.
        const TFd trashFd(OpenFolder(FHomePath));
        TTrashFolder trash;
        std::string why;
        if (!trashFd) {
            FHomeFailure =
                "the trash folder " + FHomePath + " cannot be opened: " + ErrorReason(errno);
        } else if (!OpenFilesAndInfo(trashFd.Get(), false, trash, why)) {
            FHomeFailure = "the trash folder " + FHomePath + " cannot be used: " + why;
        } else {
            FHome = std::move(trash);
        }
    }

    std::string FHomePath;
    std::optional<dev_t> FHomeDevice;
    bool FHomeTried = false;
    std::optional<TTrashFolder> FHome;
    std::string FHomeFailure;
    std::map<std::string, TTrashFolder> FMounts;
};

// ---- The move

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// 0 or the error; EEXIST when the target name is taken, which is never replaced.
int RenameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    // EINVAL is also a file system that cannot do it: asked again below.
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    struct stat st {};
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
}

enum class TMove { Moved, OtherFileSystem, Failed };

TMove MoveInto(const TItem& item, TTrashFolder& trash, const std::string& infoPath,
               std::string& reason) {
    const std::string info = TrashInfoText(infoPath, std::time(nullptr));
    int& next = trash.NextTry[item.Name];
    for (int n = std::max(next, 1); n < MaxNameTries; ++n) {
        const std::string name = TrashEntryName(item.Name, n);
        const std::string infoName = name + ".trashinfo";
        const int fd = ::openat(trash.Info.Get(), infoName.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            reason = "its trash info file cannot be made: " + ErrorReason(errno);
            return TMove::Failed;
        }
        const bool written = WriteAll(fd, info);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            ::unlinkat(trash.Info.Get(), infoName.c_str(), 0);
            reason = "its trash info file cannot be written: " + ErrorReason(writeError);
            return TMove::Failed;
        }
        const int error = RenameNoReplace(item.ParentFd.Get(), item.Name.c_str(), trash.Files.Get(),
                                          name.c_str());
        if (error == 0) {
            next = n + 1;
            return TMove::Moved;
        }
        ::unlinkat(trash.Info.Get(), infoName.c_str(), 0);
        if (error == EEXIST)
            continue;  // files/ holds the name without an info file
        if (error == EXDEV)
            return TMove::OtherFileSystem;
        reason = ErrorReason(error);
        return TMove::Failed;
    }
    reason = "the trash has no free name for it";
    return TMove::Failed;
}

TRecycleOutcome TrashOne(const Text& path, TTrashes& trashes) {
    TRecycleOutcome outcome;
    TItem item;
    if (!OpenItem(path, item, outcome.Reason))
        return outcome;
    if (trashes.IsOnHomeDevice(item)) {
        TTrashFolder* home = trashes.Home(outcome.Reason);
        if (home == nullptr)
            return outcome;
        const std::string absolute = (item.Parent == "/" ? "" : item.Parent) + "/" + item.Name;
        switch (MoveInto(item, *home, absolute, outcome.Reason)) {
            case TMove::Moved:
                outcome.Moved = true;
                return outcome;
            case TMove::Failed:
                return outcome;
            case TMove::OtherFileSystem:
                break;  // the same file system seen through another mount (a bind mount)
        }
    }
    std::string top, relative;
    if (!LocateOnMount(item, top, relative, outcome.Reason))
        return outcome;
    TTrashFolder* trash = trashes.OnMount(top, outcome.Reason);
    if (trash == nullptr)
        return outcome;
    switch (MoveInto(item, *trash, relative, outcome.Reason)) {
        case TMove::Moved:
            outcome.Moved = true;
            break;
        case TMove::OtherFileSystem:
            outcome.Reason = ErrorReason(EXDEV);
            break;
        case TMove::Failed:
            break;
    }
    return outcome;
}

}  // namespace

std::vector<TRecycleOutcome> MoveToRecycleBinEach(const std::vector<Text>& paths) {
    ::tzset();  // the deletion dates are local time, as the zone is now
    TTrashes trashes;
    std::vector<TRecycleOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const Text& path : paths)
        outcomes.push_back(TrashOne(path, trashes));
    return outcomes;
}

bool MoveToRecycleBin(const std::vector<Text>& paths) {
    if (paths.empty())
        return false;
    bool all = true;
    for (const TRecycleOutcome& outcome : MoveToRecycleBinEach(paths))
        all = all && outcome.Moved;
    return all;
}

}  // namespace Platform
