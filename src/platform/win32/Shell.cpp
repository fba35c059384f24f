#include "platform/Shell.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <shellapi.h>

#include "platform/PathSyntax.h"
#include "platform/win32/ShellRequest.h"
#include "platform/win32/WinText.h"

namespace Platform {

namespace Win32 {

namespace {

// The path as the shell takes it: backslashes, no \\?\ prefix, shorter than MAX_PATH. A
// deeper path is given by its short (8.3) form where the volume keeps one.
std::optional<std::wstring> ShellPath(const Text& path) {
    if (path.empty() || path.find(u'\0') != Text::npos)
        return std::nullopt;
    std::wstring wide = Wide(path);
    for (wchar_t& c : wide)
        if (c == L'/')
            c = L'\\';
    wide = WithoutLongPrefix(wide);
    if (wide.size() < MAX_PATH)
        return wide;
    const std::wstring full = LongPath(path);
    std::wstring shortName(full.size() + 1, L'\0');
    const DWORD n =
        ::GetShortPathNameW(full.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (n == 0 || n >= shortName.size())
        return std::nullopt;
    shortName = WithoutLongPrefix(shortName.substr(0, n));
    if (shortName.size() >= MAX_PATH)
        return std::nullopt;
    return shortName;
}

// ShellExecuteW's answer: values up to 32 are errors.
bool Started(HINSTANCE result) {
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

std::optional<std::wstring> ShellPathList(const std::vector<Text>& paths) {
    std::wstring list;
    for (const Text& path : paths) {
        const std::optional<std::wstring> shellPath = ShellPath(path);
        if (!shellPath)
            return std::nullopt;
        list += *shellPath;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

bool RecycleWithFlags(const std::vector<Text>& paths, unsigned flags) {
    if (paths.empty())
        return false;
    // A path the shell cannot take stops the whole request before anything moves, rather
    // than leaving the shell to delete it outright.
    const std::optional<std::wstring> list = ShellPathList(paths);
    if (!list)
        return false;
    SHFILEOPSTRUCTW request{};
    request.hwnd = ::GetActiveWindow();
    request.wFunc = FO_DELETE;
    request.pFrom = list->c_str();
    request.fFlags = static_cast<FILEOP_FLAGS>(flags);
    return ::SHFileOperationW(&request) == 0 && !request.fAnyOperationsAborted;
}

std::vector<TRecycleOutcome> RecycleEachWithFlags(const std::vector<Text>& paths, unsigned flags) {
    // The shell answers for the request as a whole; what went is read from the disk.
    const auto exists = [](const Text& path) {
        const std::wstring longPath = LongPath(path);
        return !longPath.empty() &&
               ::GetFileAttributesW(longPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    std::vector<TRecycleOutcome> outcomes(paths.size());
    std::vector<bool> existed(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        existed[i] = exists(paths[i]);
    const bool all = RecycleWithFlags(paths, flags);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!existed[i])
            outcomes[i].Reason = "does not exist";
        else if (all || !exists(paths[i]))
            outcomes[i].Moved = true;
        else
            outcomes[i].Reason = "the Recycle Bin request failed";
    }
    return outcomes;
}

std::wstring SelectParameters(TextView filePath) {
    return L"/select,\"" + WithoutLongPrefix(Wide(filePath)) + L"\"";
}

}  // namespace Win32

bool MoveToRecycleBin(const std::vector<Text>& paths) {
    // The shell's own confirmation, progress and error windows stay.
    return Win32::RecycleWithFlags(paths, FOF_ALLOWUNDO);
}

std::vector<TRecycleOutcome> MoveToRecycleBinEach(const std::vector<Text>& paths) {
    return Win32::RecycleEachWithFlags(paths, FOF_ALLOWUNDO);
}

bool ShowInFileManager(TextView filePath) {
    const std::wstring parameters = Win32::SelectParameters(filePath);
    const HINSTANCE started = ::ShellExecuteW(nullptr, L"open", L"explorer.exe", parameters.c_str(),
                                              nullptr, SW_SHOWNORMAL);
    if (Win32::Started(started))
        return true;
    return ShellOpen(DirectoryOf(filePath, TPathSyntax::Windows));
}

bool ShellOpen(TextView target) {
    if (target.empty())
        return false;
    const std::wstring wide = Win32::Wide(target);
    return Win32::Started(
        ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool ShellStart(TextView programPath) {
    // No verb: the program's default action, which for an installer asks for elevation.
    const std::wstring wide = Win32::Wide(programPath);
    const HINSTANCE started =
        ::ShellExecuteW(nullptr, nullptr, wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;  // values up to 32 are errors
}

}  // namespace Platform
