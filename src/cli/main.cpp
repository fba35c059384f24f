#include "cli/CliRun.h"

int main(int argc, char** argv) { return RunCli(argc, argv, true); }
