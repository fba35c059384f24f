#include "platform/Console.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Platform {

namespace {

void (*interruptHandler)() = nullptr;

extern "C" void OnSigint(int) {
    if (interruptHandler)
        interruptHandler();
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void UseBinaryStandardStreams() {
    // They are.
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool StdinIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void OnInterrupt(void (*handler)()) {
    interruptHandler = handler;
    struct sigaction action {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

void ExitNow(int status) {
    _exit(status);
}

void IgnoreOutputSignals() {
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
}

bool WriteText(std::FILE* stream, std::string_view utf8) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

void WriteStderrFromInterrupt(std::string_view utf8) {
    while (!utf8.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, utf8.data(), utf8.size());
        if (n <= 0)
            return;
        utf8.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace Platform
