#pragma once
// Where the program keeps files of its own that can be rebuilt at any time.
#include "platform/Text.h"

namespace Platform {

// The user's cache folder for this program: $XDG_CACHE_HOME/twinseek, else
// ~/.cache/twinseek; on Windows %LOCALAPPDATA%\Twinseek. Not created here; empty when the
// system names no such place.
Text CacheFolder();

// Creates the folder and the missing folders above it, each new one open to the user alone.
// Raises EPlatformError when it cannot.
void MakeFolders(const Text& path);

// Removes the file, never a folder. False when nothing was removed (nothing there, a folder,
// no permission).
bool RemoveFile(const Text& path);

}  // namespace Platform
