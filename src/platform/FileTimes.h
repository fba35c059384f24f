#pragma once
// When a file was last written, for choosing which copy of a group to keep and for telling
// whether a file changed between its check and the command that acts on it.
#include <cstdint>

#include "platform/Text.h"

namespace Platform {

// The last write time of the entry itself (links not followed) in units that only compare:
// a later write gives a larger number. False when the entry cannot be asked.
bool QueryModifiedTime(const Text& path, std::int64_t& time);

}  // namespace Platform
