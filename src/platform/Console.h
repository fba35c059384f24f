#pragma once
// The terminal, for the command line: is stderr one, how wide is it, and Ctrl+C.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// The program's arguments as UTF-8, whatever the system's code page: Windows hands main()
// them in the code page, so they are taken from the system as UTF-16 there.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard output and error write their bytes unchanged: lines end with LF on every system,
// in files and pipes too.
void UseBinaryStandardStreams();

bool StderrIsTerminal();
// Whether standard input is a terminal, which echoes the line the user answers with.
bool StdinIsTerminal();
// Columns of the terminal on stderr; 80 when unknown.
int TerminalColumns();
// Calls handler from the interrupt signal (Ctrl+C). The handler must be async-signal-safe.
void OnInterrupt(void (*handler)());
// Ends the process at once with the status, without clean-up (second Ctrl+C).
[[noreturn]] void ExitNow(int status);

// A closed pipe or a file-size limit make a write fail with an error instead of ending the
// process (POSIX: SIGPIPE and SIGXFSZ are ignored).
void IgnoreOutputSignals();

// Writes UTF-8 text to stdout or stderr. A Windows console gets it as UTF-16, so that every
// character shows whatever its code page; files and pipes get the bytes as they are. False
// when the stream failed (a full disk, a closed pipe).
bool WriteText(std::FILE* stream, std::string_view utf8);
// Writes to stderr from the interrupt handler: unbuffered, no allocation, no lock.
void WriteStderrFromInterrupt(std::string_view utf8);

}  // namespace Platform
