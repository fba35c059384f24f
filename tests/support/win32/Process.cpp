#include "support/Process.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/FileSystem.h"

std::string BinFolder() {
    if (const char* bin = std::getenv("TWINSEEK_BIN"))
        return bin;
    return Platform::TextToUtf8(Platform::ExecutableDir());
}

namespace {

std::wstring W(const std::string& utf8) {
    const Text text = Platform::Utf8ToText(utf8);
    return std::wstring(text.begin(), text.end());
}

// One argument as the C runtime of the child splits the command line again.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

HANDLE TempOutput(std::wstring& name) {
    const Text dir = Platform::TempDir();
    wchar_t file[MAX_PATH + 1];
    ::GetTempFileNameW(std::wstring(dir.begin(), dir.end()).c_str(), L"tso", 0, file);
    name = file;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(file, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadAll(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    std::string content;
    if (h == INVALID_HANDLE_VALUE)
        return content;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0)
        content.append(buffer, n);
    ::CloseHandle(h);
    return content;
}

}  // namespace

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& env, int interruptAfterMs) {
    std::wstring exe = W(BinFolder() + "\\" + program);
    if (!exe.ends_with(L".exe"))
        exe += L".exe";
    std::wstring commandLine = Quote(exe);
    for (const std::string& arg : args)
        commandLine += L" " + Quote(W(arg));

    std::wstring block;
    if (wchar_t* own = ::GetEnvironmentStringsW()) {
        for (const wchar_t* e = own; *e != L'\0'; e += ::wcslen(e) + 1)
            block += std::wstring(e) + L'\0';
        ::FreeEnvironmentStringsW(own);
    }
    for (const std::string& entry : env)
        block += W(entry) + L'\0';
    block += L'\0';

    std::wstring outName, errName;
    HANDLE out = TempOutput(outName);
    HANDLE err = TempOutput(errName);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE in = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    TProcessResult result;
    if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, block.data(),
                         nullptr, &startup, &process)) {
        if (interruptAfterMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(interruptAfterMs));
            ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId);
        }
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        result.Status = static_cast<int>(status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(in);
    ::CloseHandle(out);
    ::CloseHandle(err);
    result.Out = ReadAll(outName);
    result.Err = ReadAll(errName);
    ::DeleteFileW(outName.c_str());
    ::DeleteFileW(errName.c_str());
    return result;
}
