#pragma once
// Runs before the main window exists; false ends the program there.
bool RunVersionGate();
