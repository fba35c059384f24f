#pragma once
// The whole command-line program; exit status 0 done, 1 error (a failed write of the list,
// a status line or a CSV file too), 2 bad usage, no folder or a path that cannot be used,
// 130 stopped by Ctrl+C.
// With exitWithoutCleanUp the process ends at once after its output, without freeing.
int RunCli(int argc, const char* const* argv, bool exitWithoutCleanUp = false);
