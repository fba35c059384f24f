#pragma once
// What one path is on the disk right now, links not followed: the questions the check
// before a removal and the clean-up after it ask.
#include <string>

#include "platform/Text.h"

namespace Platform {

// Nothing is at the path any more: no file, folder or link of that name, or one of its
// parent folders is gone. False when the path exists or cannot be asked about (a parent
// the user may not search): what cannot be seen is not taken for gone.
bool PathIsGone(const Text& path);

// Where the link at the path points, as the system stores it (POSIX: the target's bytes;
// Windows: the reparse tag and data), so that two links are equal exactly when they lead
// to the same place. False when the path is no link or cannot be read.
bool ReadLinkTarget(const Text& path, std::string& target);

}  // namespace Platform
