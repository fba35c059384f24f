#pragma once
// Runs a program of the build as a separate process, for black-box tests of the command line.
#include <functional>
#include <string>
#include <vector>

struct TProcessResult {
    int Status = -1;  // exit status, or 128 + signal
    std::string Out;
    std::string Err;
};

// Runs bin/<program> of the build folder (TWINSEEK_BIN, else beside the test program) with
// the arguments; extra environment entries "NAME=value" are added to the test's own.
TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& env = {}, int interruptAfterMs = -1);

// The folder of the build's executables.
std::string BinFolder();

#ifndef _WIN32
// How a forked child ended: the status it exited with, or the signal that ended it.
struct TChildEnd {
    bool Exited = false;
    int ExitStatus = -1;  // when Exited
    int Signal = 0;       // when not
};

// Runs body in a forked child, which exits with body's value (0..255).
TChildEnd RunForked(const std::function<int()>& body);
#endif
