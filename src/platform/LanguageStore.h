#pragma once
// The per-user store of the language choice, as the command line reads it (the window uses
// the toolkit's settings store, which keeps the same value in the same place).
#include <optional>

#include "platform/Text.h"

namespace Platform {

// The stored value CurrentLanguage, or nothing when there is none.
std::optional<Text> ReadStoredLanguage();

}  // namespace Platform
