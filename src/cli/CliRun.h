#pragma once
// The whole command-line program; exit status 0 done, 1 error, 2 bad usage or no folder,
// 130 stopped by Ctrl+C.
// With exitWithoutCleanUp the process ends at once after its output, without freeing.
int RunCli(int argc, const char* const* argv, bool exitWithoutCleanUp = false);
