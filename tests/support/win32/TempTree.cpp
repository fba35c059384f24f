#include <windows.h>
#include <winioctl.h>

#include <stdexcept>
#include <vector>

#include "platform/FileSystem.h"
#include "support/TempTree.h"
#include "support/TempTreeSystem.h"

namespace {

std::wstring W(const std::string& utf8) {
    const Text text = Platform::Utf8ToText(utf8);
    return L"\\\\?\\" + std::wstring(text.begin(), text.end());
}

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error("TTempTree: " + what + " " + path + ": error " +
                             std::to_string(::GetLastError()));
}

}  // namespace

namespace TempTreeSystem {

std::string Native(std::string_view rel) {
    std::string path(rel);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string MakeRoot() {
    const std::string base = Platform::TextToUtf8(Platform::TempDir());
    const std::string stem =
        base + "\\twinseek-test-" + std::to_string(::GetCurrentProcessId()) + "-";
    for (unsigned attempt = ::GetTickCount();; ++attempt) {
        const std::string candidate = stem + std::to_string(attempt % 1000000);
        if (::CreateDirectoryW(W(candidate).c_str(), nullptr))
            return candidate;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            Fail("cannot make", candidate);
    }
}

void MakeFolders(const std::string& path, std::size_t from) {
    for (std::size_t i = path.find(Separator, from);; i = path.find(Separator, i + 1)) {
        const std::string folder = path.substr(0, i);
        if (!::CreateDirectoryW(W(folder).c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            Fail("cannot make folder", folder);
        if (i == std::string::npos)
            break;
    }
}

void RemoveAll(const std::string& path) {
    const std::wstring wide = W(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    ::SetFileAttributesW(wide.c_str(),
                         FILE_ATTRIBUTE_NORMAL | (attributes & FILE_ATTRIBUTE_DIRECTORY));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        std::vector<Platform::TDirEntry> entries;
        Platform::ListFolder(Platform::Utf8ToText(path), entries);
        for (const Platform::TDirEntry& entry : entries)
            RemoveAll(path + "\\" + Platform::TextToUtf8(entry.Name));
        ::RemoveDirectoryW(wide.c_str());
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::RemoveDirectoryW(wide.c_str());
    } else {
        ::DeleteFileW(wide.c_str());
    }
}

void WriteFile(const std::string& path, std::string_view bytes) {
    HANDLE h = ::CreateFileW(W(path).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        Fail("cannot create", path);
    std::size_t written = 0;
    while (written < bytes.size()) {
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data() + written, static_cast<DWORD>(bytes.size() - written), &n,
                         nullptr)) {
            ::CloseHandle(h);
            Fail("cannot write", path);
        }
        written += n;
    }
    ::CloseHandle(h);
}

void SetSparseSize(const std::string& path, std::uint64_t size) {
    HANDLE h = ::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        Fail("cannot open", path);
    // Without the sparse flag, NTFS would write the whole size in zeros.
    DWORD returned = 0;
    ::DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool sized = ::SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
    ::CloseHandle(h);
    if (!sized)
        Fail("cannot size", path);
}

void MakeLink(const std::string& path, std::string_view target) {
    const std::size_t slash = path.rfind('\\');
    const std::string nativeTarget = Native(target);
    const bool absolute = nativeTarget.size() > 1 && nativeTarget[1] == ':';
    const std::string resolved =
        absolute ? nativeTarget : path.substr(0, slash) + "\\" + nativeTarget;
    const DWORD targetAttributes = ::GetFileAttributesW(W(resolved).c_str());
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
        (targetAttributes & FILE_ATTRIBUTE_DIRECTORY))
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    const Text targetText = Platform::Utf8ToText(nativeTarget);
    const std::wstring targetWide(targetText.begin(), targetText.end());
    // Some systems report success without making the link: look at what is there.
    if (!::CreateSymbolicLinkW(W(path).c_str(), targetWide.c_str(), flags) ||
        ::GetFileAttributesW(W(path).c_str()) == INVALID_FILE_ATTRIBUTES)
        Fail("cannot link", path);
}

void MakeHardLink(const std::string& path, const std::string& existing) {
    if (!::CreateHardLinkW(W(path).c_str(), W(existing).c_str(), nullptr))
        Fail("cannot hard-link", path);
}

std::optional<std::intptr_t> Deny(const std::string& path) {
    // No sharing: every later open for reading or listing fails with a sharing violation.
    HANDLE h = ::CreateFileW(W(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        Fail("cannot deny", path);
    return reinterpret_cast<std::intptr_t>(h);
}

void Release(std::intptr_t handle) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

}  // namespace TempTreeSystem

bool RunningAsRoot() {
    return false;
}

int RunWhereDenied(const std::function<int()>& body) {
    try {
        return body();
    } catch (...) {
        return -1;
    }
}

int RunAsNobody(const std::function<int()>&) {
    return -1;  // no user to switch to here
}
