#pragma once
// The per-user store of the language choice, as the command line reads it (the window uses
// the toolkit's settings store, which keeps the same value in the same place).
#include <cstdint>
#include <optional>

#include "platform/Text.h"

namespace Platform {

// The largest settings file that is read; ours holds one short value. Anything that is not
// a regular file of at most this size (a folder, a pipe, a link to a device) is taken as no
// file, so that reading it can neither hang nor run without end.
inline constexpr std::int64_t SettingsFileLimit = 1024 * 1024;

// The stored value CurrentLanguage, or nothing when there is none.
std::optional<Text> ReadStoredLanguage();

}  // namespace Platform
