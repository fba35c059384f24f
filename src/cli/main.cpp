#include "cli/CliRun.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h, whose types it uses
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/Text.h"

// The arguments as UTF-16 from the system, so that any path can be given, whatever the
// code page; the rest of the program takes them as UTF-8.
int main() {
    // The same bytes as on other systems: lines end with LF, also in files and pipes.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    int argc = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; wide != nullptr && i < argc; ++i)
        args.push_back(Platform::TextToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    if (wide != nullptr)
        ::LocalFree(wide);
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    return RunCli(static_cast<int>(args.size()), argv.data(), true);
}
#else
int main(int argc, char** argv) {
    return RunCli(argc, argv, true);
}
#endif
