#pragma once
// The terminal, for the command line: is stderr one, how wide is it, and Ctrl+C.
namespace Platform {

bool StderrIsTerminal();
// Columns of the terminal on stderr; 80 when unknown.
int TerminalColumns();
// Calls handler from the interrupt signal (Ctrl+C). The handler must be async-signal-safe.
void OnInterrupt(void (*handler)());
// Ends the process at once with the status, without clean-up (second Ctrl+C).
[[noreturn]] void ExitNow(int status);

}  // namespace Platform
