#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "platform/Console.h"

int main(int argc, char** argv) {
    Platform::UseBinaryStandardStreams();
    // Any path can be given, whatever the code page; the rest of the program takes UTF-8.
    const std::vector<std::string> args = Platform::ProgramArguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& arg : args)
        pointers.push_back(arg.c_str());
    pointers.push_back(nullptr);
    return RunCli(static_cast<int>(args.size()), pointers.data(), true);
}
