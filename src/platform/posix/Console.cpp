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

void WriteText(std::FILE* stream, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace Platform
