#pragma once
// Files and folders as the scan sees them.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace Platform {

// An error of the operating system, with the path it concerns in the message (UTF-8).
class EPlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Identity of one physical file or folder (POSIX: device and inode; Windows: volume serial
// number and file index), whatever path leads to it.
struct TFileId {
    std::uint64_t Volume = 0;
    std::uint64_t IndexHigh = 0;
    std::uint64_t IndexLow = 0;
    bool operator==(const TFileId&) const = default;
};

struct TFileIdHash {
    std::size_t operator()(const TFileId& id) const noexcept {
        return static_cast<std::size_t>(id.IndexLow * 0x9E3779B97F4A7C15ull ^ id.IndexHigh ^
                                        (id.Volume << 17));
    }
};

struct TFileStatus {
    std::int64_t Size = 0;  // bytes; 0 for a link, a folder, a pipe, a socket or a device
    TFileId Id;
    bool IsRegular = false;  // a plain file (not a link, folder or special file)
    // Nanoseconds since 1970-01-01 UTC, as finely as the file system keeps them; the change
    // time is the inode's (POSIX st_ctime) or FILE_BASIC_INFO's ChangeTime (Windows).
    std::int64_t ModifiedTime = 0;
    std::int64_t ChangeTime = 0;
};

struct TDirEntry {
    Text Name;              // the entry's own name, never "." or ".."
    bool IsFolder = false;  // a folder, or a link whose target is a folder
    bool IsLink = false;    // a symbolic link (or, on Windows, a reparse point)
    // ListFolderMeasured: Status is what QueryFile gives for the entry, when Measured.
    bool Measured = false;
    TFileStatus Status;
};

enum class TListStatus {
    lsOk,      // listed
    lsDenied,  // exists but cannot be opened: lists as empty
    lsFailed,  // does not exist (any more), is not a folder, or the path is rejected
};

// Every entry of a folder, dot files included, "." and ".." left out, in the platform's
// enumeration order. When folderId is given and the folder could be opened, it receives the
// identity of the folder itself.
TListStatus ListFolder(const Text& folder, std::vector<TDirEntry>& entries,
                       TFileId* folderId = nullptr);
// ListFolder that also measures each entry that is not a folder where the platform can do
// it cheaply: through the open folder, so the whole path is not looked up once per file.
// An entry left unmeasured is measured by its path, with QueryFile.
TListStatus ListFolderMeasured(const Text& folder, std::vector<TDirEntry>& entries,
                               TFileId* folderId = nullptr);

// A folder on a file system of the kernel's own making rather than of stored files: process
// and device tables, control and tracing files (proc, sysfs, devtmpfs, cgroup, debugfs and
// their kin). Their trees hold no files worth comparing, and some never end (links that lead
// back into them) or change while they are read, so the walk does not enter them. Links are
// followed. False where the type cannot be told; always false on Windows, which has none.
bool IsPseudoFileSystem(const Text& folder);

// The entry itself, links not followed. False when it cannot be queried (it vanished, say).
bool QueryFile(const Text& path, TFileStatus& status);

// The current time in the unit of TFileStatus's times.
std::int64_t CurrentFileTime();

// Size of a file in bytes as QueryFile gives it; 0 when it cannot be read.
std::int64_t FileSize(const Text& path);

// An existing file that is not a folder; links are followed.
bool FileExists(const Text& path);
// An existing folder; links are followed.
bool DirectoryExists(const Text& path);
// Identity of the folder or file at the path, links followed.
bool QueryIdentity(const Text& path, TFileId& id);

// Absolute path: relative paths against the current folder, "." and ".." resolved
// lexically (links are not resolved), repeated separators collapsed.
Text FullPath(const Text& path);

// Folder of the running executable, without a trailing separator.
Text ExecutableDir();
// The user's folder for temporary files, without a trailing separator.
Text TempDir();

enum class TLinkRule {
    lrFollow,  // a link opens the file it leads to
    lrRefuse,  // a link is not opened: the open fails (Windows: a link or junction)
};

// How a file is going to be read, so that the system reads ahead as much as suits it.
enum class TReadAccess {
    raDefault,     // the system's own guess
    raSequential,  // from start to end in large blocks: read ahead generously
    raRandom,      // a few small blocks here and there: read no more than asked
};

// A file opened for reading only, shared with other readers and writers.
class TFileReader {
public:
    // Raises EPlatformError.
    explicit TFileReader(const Text& path, TLinkRule links = TLinkRule::lrFollow,
                         TReadAccess access = TReadAccess::raDefault);
    ~TFileReader();
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;
    // Reads up to size bytes; 0 at the end of the file. Raises EPlatformError.
    std::size_t Read(void* buffer, std::size_t size);
    // Reads size bytes from offset, fewer only where the file ends first. Not to be mixed
    // with Read on one reader (on Windows it moves Read's position). Raises EPlatformError.
    std::size_t ReadAt(void* buffer, std::size_t size, std::int64_t offset);
    // Size and identity of the open file itself, whatever its path leads to now. Raises.
    TFileStatus Status() const;

private:
    Text FPath;
    std::intptr_t FHandle;
};

}  // namespace Platform
