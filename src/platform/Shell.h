#pragma once
// The desktop shell: the Recycle Bin or trash, the file manager, default actions.
// On Windows these are shell calls. Elsewhere the trash is written by this layer itself
// (twinseek_platform, so the command line has it too) and the rest are the desktop's
// freedesktop services (twinseek_shell).
#include <string>
#include <vector>

#include "platform/Text.h"

namespace Platform {

// Moves every path (files, and folders with all they hold) to the Recycle Bin or the
// desktop's trash in one request; never deletes outright. True exactly when every path
// went; an empty list asks nothing and gives false.
bool MoveToRecycleBin(const std::vector<Text>& paths);

// What became of one path of such a request.
struct TRecycleOutcome {
    bool Moved = false;
    std::string Reason;  // when not moved: a short English reason, e.g. "does not exist"
};

// MoveToRecycleBin with the outcome of every path, in the order given.
std::vector<TRecycleOutcome> MoveToRecycleBinEach(const std::vector<Text>& paths);

// Opens the file manager at the file's folder with the file selected; when no file
// manager can select it, the folder is opened. False when neither could be started.
bool ShowInFileManager(TextView filePath);

// The shell's default action on a folder, document or web address ("open"). False when
// nothing could be started for it.
bool ShellOpen(TextView target);

// Starts a program file, such as a downloaded installer, through the shell; false when the
// shell could not start it.
bool ShellStart(TextView programPath);

}  // namespace Platform
