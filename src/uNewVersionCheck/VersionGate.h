#pragma once
// Runs before the main window exists; false ends the program there.
#include <functional>

class TfrmNewVersion;

bool RunVersionGate();
// The same, with a look at the dialog before it shows (tests drive it from there).
bool RunVersionGate(const std::function<void(TfrmNewVersion& dialog)>& prepareDialog);
