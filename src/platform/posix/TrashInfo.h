#pragma once
// The texts of a freedesktop trash entry: the info file and the entry's name.
#include <ctime>
#include <string>
#include <string_view>

namespace Platform {

// The whole info file: the original path (bytes, percent-encoded) and the local time.
std::string TrashInfoText(std::string_view path, std::time_t when);

// The name of the n-th try (from 1) for an item in files/; its info file is this name and
// ".trashinfo".
std::string TrashEntryName(const std::string& name, int n);

// Digits of a number, whatever the locale.
std::string DecimalText(long long value);

}  // namespace Platform
