#pragma once
#include <string_view>

#include "platform/Text.h"

namespace Platform {

// Creates or replaces the file with the bytes. Raises EPlatformError with the path and the
// system's reason when it cannot be created or written.
void WriteWholeFile(const Text& path, std::string_view bytes);

}  // namespace Platform
