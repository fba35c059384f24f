#pragma once
// The texts the shell calls are given, apart from the calls, so they are tested.
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/Text.h"

namespace Platform::Win32 {

// The source list of a shell file operation: every path followed by a NUL, and one more NUL
// at the end. Nothing when a path cannot be given to the shell: an empty one or one holding
// a NUL (either would cut the list), or one longer than MAX_PATH even in its short form.
std::optional<std::wstring> ShellPathList(const std::vector<Text>& paths);

// Sends the paths to the Recycle Bin in one shell request with these flags; true exactly
// when the shell reports success and nothing was aborted.
bool RecycleWithFlags(const std::vector<Text>& paths, unsigned flags);

// RecycleWithFlags with what became of each path, read from the disk before and after.
std::vector<TRecycleOutcome> RecycleEachWithFlags(const std::vector<Text>& paths, unsigned flags);

// The file manager's parameters that open a file's folder with the file selected.
std::wstring SelectParameters(TextView filePath);

}  // namespace Platform::Win32
