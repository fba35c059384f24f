#pragma once
#include <string_view>

#include "platform/Text.h"

namespace Platform {

// Creates or replaces the file with the bytes. They go to a new file of our own beside it
// first, which then takes the file's place, so a full disk, a size limit or an interrupted
// write never leaves the old file half overwritten; the new file is removed on a failure.
// A pipe or a device in the file's place is written into. Raises EPlatformError with the
// path and the system's reason when the file cannot be created, written or replaced.
void WriteWholeFile(const Text& path, std::string_view bytes);

}  // namespace Platform
