#include "platform/FileSystem.h"

#include <windows.h>

#include <memory>

#include "platform/win32/WinText.h"

namespace Platform {

using Win32::LongPath;
using Win32::Wide;

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct THandleCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using THandle = std::unique_ptr<void, THandleCloser>;

// A handle for reading attributes only: it opens also what others hold open. Folders open
// too (backup semantics); followLinks false opens a link itself.
THandle OpenForAttributes(const std::wstring& path, bool followLinks, DWORD access = 0) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = ::CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                             OPEN_EXISTING, flags, nullptr);
    return THandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

TFileId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return TFileId{.Volume = info.dwVolumeSerialNumber,
                   .IndexHigh = 0,
                   .IndexLow = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool IsLinkEntry(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && Win32::IsLinkTag(tag);
}

bool IsDotOrDotDot(const wchar_t* name, std::size_t length) {
    return (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
}

// A folder another program holds open without sharing exists as much as one the user may
// not read: both list as empty, not as gone.
bool IsDenial(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

TListStatus OpenFailure(DWORD error) {
    return IsDenial(error) ? TListStatus::lsDenied : TListStatus::lsFailed;
}

// The identity of an open folder; false when the handle is not a folder.
bool FolderIdentity(HANDLE h, TFileId* folderId) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return false;
    if (folderId != nullptr)
        *folderId = IdOf(info);
    return true;
}

// FindFirstFileW / FindNextFileW, in the order the file system gives.
TListStatus FindList(const std::wstring& dir, std::vector<TDirEntry>& entries, TFileId* folderId) {
    std::wstring pattern = dir;
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // An empty drive root has no "." entry, so nothing at all is found.
        if (error != ERROR_FILE_NOT_FOUND)
            return OpenFailure(error);
        const THandle folder = OpenForAttributes(dir, true);
        return folder && FolderIdentity(folder.get(), folderId) ? TListStatus::lsOk
                                                                : TListStatus::lsFailed;
    }
    if (folderId != nullptr) {
        if (const THandle folder = OpenForAttributes(dir, true))
            FolderIdentity(folder.get(), folderId);
    }
    TListStatus status = TListStatus::lsOk;
    do {
        const std::size_t length = ::wcslen(data.cFileName);
        if (IsDotOrDotDot(data.cFileName, length))
            continue;
        TDirEntry& out = entries.emplace_back();
        out.Name = Win32::FromWide(data.cFileName, length);
        out.IsFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.IsLink = IsLinkEntry(data.dwFileAttributes, data.dwReserved0);
    } while (::FindNextFileW(find, &data));
    // A folder removed while it is read ends with an error: it lists as gone.
    if (::GetLastError() != ERROR_NO_MORE_FILES) {
        entries.clear();
        status = TListStatus::lsFailed;
    }
    ::FindClose(find);
    return status;
}

enum class TMeasured { mOk, mDenied, mFailed, mUnsupported };

// The same listing through the open folder, with each entry's size and file index, so no
// entry has to be opened on its own.
TMeasured MeasuredList(const std::wstring& dir, std::vector<TDirEntry>& entries,
                       TFileId* folderId) {
    HANDLE raw = ::CreateFileW(dir.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, ShareAll,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (raw == INVALID_HANDLE_VALUE)
        return IsDenial(::GetLastError()) ? TMeasured::mDenied : TMeasured::mFailed;
    const THandle folder(raw);
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(raw, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return TMeasured::mFailed;
    const TFileId id = IdOf(info);
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));  // 8-byte aligned
    const DWORD bufferSize = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
    FILE_INFO_BY_HANDLE_CLASS infoClass = FileIdBothDirectoryRestartInfo;
    bool first = true;
    while (::GetFileInformationByHandleEx(raw, infoClass, buffer.data(), bufferSize)) {
        infoClass = FileIdBothDirectoryInfo;
        first = false;
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        for (;;) {
            const auto* item = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
            const std::size_t length = item->FileNameLength / sizeof(wchar_t);
            if (!IsDotOrDotDot(item->FileName, length)) {
                TDirEntry& out = entries.emplace_back();
                out.Name = Win32::FromWide(item->FileName, length);
                out.IsFolder = (item->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                // With a reparse point, the extended-attribute size field holds its tag.
                out.IsLink = IsLinkEntry(item->FileAttributes, item->EaSize);
                if (!out.IsFolder) {
                    out.Measured = true;
                    out.Status.IsRegular = !out.IsLink;
                    out.Status.Size = out.IsLink ? 0 : item->EndOfFile.QuadPart;
                    out.Status.Id =
                        TFileId{.Volume = id.Volume,
                                .IndexHigh = 0,
                                .IndexLow = static_cast<std::uint64_t>(item->FileId.QuadPart)};
                    out.Status.ModifiedTime = Win32::FromFileTime(item->LastWriteTime.QuadPart);
                    out.Status.ChangeTime = Win32::FromFileTime(item->ChangeTime.QuadPart);
                }
            }
            if (item->NextEntryOffset == 0)
                break;
            bytes += item->NextEntryOffset;
        }
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_NO_MORE_FILES || (first && error == ERROR_FILE_NOT_FOUND)) {
        if (folderId != nullptr)
            *folderId = id;
        return TMeasured::mOk;
    }
    entries.clear();
    if (first && (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
                  error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED))
        return TMeasured::mUnsupported;  // a file system without this query
    return TMeasured::mFailed;
}

}  // namespace

TListStatus ListFolder(const Text& folder, std::vector<TDirEntry>& entries, TFileId* folderId) {
    entries.clear();
    if (folder.empty())
        return TListStatus::lsFailed;
    return FindList(LongPath(folder), entries, folderId);
}

TListStatus ListFolderMeasured(const Text& folder, std::vector<TDirEntry>& entries,
                               TFileId* folderId) {
    entries.clear();
    if (folder.empty())
        return TListStatus::lsFailed;
    const std::wstring dir = LongPath(folder);
    switch (MeasuredList(dir, entries, folderId)) {
        case TMeasured::mOk:
            return TListStatus::lsOk;
        case TMeasured::mDenied:
            return TListStatus::lsDenied;
        case TMeasured::mFailed:
            return TListStatus::lsFailed;
        case TMeasured::mUnsupported:
            break;
    }
    return FindList(dir, entries, folderId);
}

bool IsPseudoFileSystem(const Text&) {
    return false;  // every Windows file system holds stored files
}

namespace {

// Whether an open handle is a link or junction itself (opened with its reparse point).
bool IsLinkHandle(HANDLE h, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return ::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
           Win32::IsLinkTag(tag.ReparseTag);
}

// What QueryFile gives, of an open handle.
bool StatusOf(HANDLE h, TFileStatus& status) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info))
        return false;
    const bool link = IsLinkHandle(h, info.dwFileAttributes);
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.IsRegular = !folder && !link;
    status.Size = status.IsRegular
                      ? static_cast<std::int64_t>((std::uint64_t(info.nFileSizeHigh) << 32) |
                                                  info.nFileSizeLow)
                      : 0;
    status.Id = IdOf(info);
    // Both times from one call, as a listing gives them: some implementations round the
    // older call's write time to the second, and the cache compares to the nanosecond.
    FILE_BASIC_INFO basic;
    if (::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        status.ModifiedTime = Win32::FromFileTime(basic.LastWriteTime.QuadPart);
        status.ChangeTime = Win32::FromFileTime(basic.ChangeTime.QuadPart);
    } else {
        status.ModifiedTime = Win32::FromFileTime(info.ftLastWriteTime);
        status.ChangeTime = 0;
    }
    return true;
}

}  // namespace

bool QueryFile(const Text& path, TFileStatus& status) {
    if (path.empty())
        return false;
    const THandle h = OpenForAttributes(LongPath(path), false);
    return h && StatusOf(h.get(), status);
}

std::int64_t FileSize(const Text& path) {
    TFileStatus status;
    return QueryFile(path, status) ? status.Size : 0;
}

namespace {

// Attributes of what the path leads to, links followed; false when nothing is there.
bool TargetAttributes(const Text& path, DWORD& attributes) {
    if (path.empty())
        return false;
    const std::wstring full = LongPath(path);
    attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return true;
    const THandle h = OpenForAttributes(full, true);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !::GetFileInformationByHandle(h.get(), &info))
        return false;  // a broken link
    attributes = info.dwFileAttributes;
    return true;
}

}  // namespace

bool FileExists(const Text& path) {
    DWORD attributes;
    return TargetAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const Text& path) {
    DWORD attributes;
    return TargetAttributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool QueryIdentity(const Text& path, TFileId& id) {
    if (path.empty())
        return false;
    const THandle h = OpenForAttributes(LongPath(path), true);
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !::GetFileInformationByHandle(h.get(), &info))
        return false;
    id = IdOf(info);
    return true;
}

Text FullPath(const Text& path) {
    return Win32::FromWide(Win32::FullPathName(path));
}

Text ExecutableDir() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0)
            Win32::Fail("Cannot read the name of", u"the running program", ::GetLastError());
        if (n < name.size()) {
            name.resize(n);
            break;
        }
        name.resize(name.size() * 2);
    }
    name = Win32::WithoutLongPrefix(name);
    const std::size_t cut = name.find_last_of(L"\\/");
    if (cut == std::wstring::npos)
        return Win32::FromWide(name);
    // A program in a drive root keeps the root's separator: "C:" alone is another folder.
    name.resize(cut > 0 && name[cut - 1] == L':' ? cut + 1 : cut);
    return Win32::FromWide(name);
}

std::int64_t CurrentFileTime() {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    return Win32::FromFileTime(now);
}

Text TempDir() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD n = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
        if (n == 0)
            Win32::Fail("Cannot find", u"the folder for temporary files", ::GetLastError());
        if (n < folder.size()) {
            folder.resize(n);
            break;
        }
        folder.resize(n + 1);
    }
    if (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/') &&
        folder[folder.size() - 2] != L':')
        folder.pop_back();
    return Win32::FromWide(folder);
}

namespace {

// Shared for reading and writing: a file another program is writing is still hashed.
HANDLE OpenForReading(const std::wstring& path, bool followLinks, TReadAccess access) {
    const DWORD flags =
        (access == TReadAccess::raRandom ? FILE_FLAG_RANDOM_ACCESS : FILE_FLAG_SEQUENTIAL_SCAN) |
        (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, flags, nullptr);
}

}  // namespace

TFileReader::TFileReader(const Text& path, TLinkRule links, TReadAccess access)
    : FPath(path), FHandle(-1) {
    if (path.empty())
        Win32::Fail("Cannot open file", path, ERROR_FILE_NOT_FOUND);
    const std::wstring name = LongPath(path);
    HANDLE h = OpenForReading(name, links == TLinkRule::lrFollow, access);
    if (h == INVALID_HANDLE_VALUE)
        Win32::Fail("Cannot open file", path, ::GetLastError());
    if (links == TLinkRule::lrRefuse) {
        BY_HANDLE_FILE_INFORMATION info;
        const bool known = ::GetFileInformationByHandle(h, &info) != 0;
        if (!known || IsLinkHandle(h, info.dwFileAttributes)) {
            ::CloseHandle(h);
            throw EPlatformError("Cannot open file \"" + TextToUtf8(path) +
                                 "\": " + (known ? "a link" : "its attributes cannot be read"));
        }
        // Any other reparse point (a cloud placeholder, a deduplicated file) only keeps the
        // data elsewhere, which a handle to the reparse point itself does not read: it is
        // opened again the ordinary way.
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            ::CloseHandle(h);
            h = OpenForReading(name, true, access);
            if (h == INVALID_HANDLE_VALUE)
                Win32::Fail("Cannot open file", path, ::GetLastError());
        }
    }
    // A device or pipe could block or never end.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        throw EPlatformError("Cannot open file \"" + TextToUtf8(path) + "\": not a regular file");
    }
    FHandle = reinterpret_cast<std::intptr_t>(h);
}

TFileReader::~TFileReader() {
    if (FHandle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(FHandle));
}

TFileStatus TFileReader::Status() const {
    TFileStatus status;
    if (!StatusOf(reinterpret_cast<HANDLE>(FHandle), status))
        Win32::Fail("Cannot query file", FPath, ::GetLastError());
    return status;
}

std::size_t TFileReader::Read(void* buffer, std::size_t size) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(FHandle), buffer, chunk, &read, nullptr))
        Win32::Fail("Cannot read file", FPath, ::GetLastError());
    return read;
}

std::size_t TFileReader::ReadAt(void* buffer, std::size_t size, std::int64_t offset) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const std::uint64_t at = static_cast<std::uint64_t>(offset) + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = size - done;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!::ReadFile(reinterpret_cast<HANDLE>(FHandle), out + done, chunk, &read, &where)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            Win32::Fail("Cannot read file", FPath, ::GetLastError());
        }
        if (read == 0)
            break;
        done += read;
    }
    return done;
}

}  // namespace Platform
