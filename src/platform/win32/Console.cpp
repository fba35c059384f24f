#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h, whose types it uses
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "platform/win32/WinText.h"

namespace Platform {

namespace {

void (*interruptHandler)() = nullptr;

BOOL WINAPI OnControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (interruptHandler)
        interruptHandler();
    return TRUE;
}

// The console behind the stream, or null when it goes to a file or pipe.
HANDLE ConsoleOf(std::FILE* stream) {
    const DWORD which = stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    if (stream != stderr && stream != stdout)
        return nullptr;
    HANDLE h = ::GetStdHandle(which);
    DWORD mode = 0;
    if (h == nullptr || h == INVALID_HANDLE_VALUE || !::GetConsoleMode(h, &mode))
        return nullptr;
    // The status line is redrawn with escape sequences.
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0)
        ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    return h;
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide != nullptr && i < count; ++i)
        args.push_back(TextToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    if (wide != nullptr)
        ::LocalFree(wide);
    return args;
}

void UseBinaryStandardStreams() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool StdinIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool StderrIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) {
        const int columns = info.srWindow.Right - info.srWindow.Left + 1;
        if (columns > 0)
            return columns;
    }
    return 80;
}

void OnInterrupt(void (*handler)()) {
    interruptHandler = handler;
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

void ExitNow(int status) {
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
    ::_exit(status);  // not reached
}

void IgnoreOutputSignals() {
    // Writes fail with an error here anyway.
}

bool WriteText(std::FILE* stream, std::string_view utf8) {
    HANDLE console = ConsoleOf(stream);
    if (console == nullptr)
        return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    std::fflush(stream);  // what went through the C stream comes first
    const Text text = Utf8ToText(utf8);
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t piece = std::min<std::size_t>(text.size() - done, 16384);
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data() + done, static_cast<DWORD>(piece), &written,
                             nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

void WriteStderrFromInterrupt(std::string_view utf8) {
    // The console's control handler runs on a thread of its own, where the usual way is safe.
    WriteText(stderr, utf8);
}

}  // namespace Platform
