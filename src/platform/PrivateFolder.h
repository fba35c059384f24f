#pragma once
// A folder of the user's own, for a file that no other user may plant, replace or change
// before it is used (a downloaded installer, which is then started).
#include "platform/Text.h"

namespace Platform {

// Creates a new, empty folder inside parent whose name is prefix and random characters,
// open to the current user alone (POSIX: mode 0700; Windows: an access list that allows the
// user, the system and the administrators). An entry that exists already under a chosen name
// is never used: another name is tried. Returns the folder's path; raises EPlatformError with
// the path and the system's reason.
Text CreatePrivateFolder(const Text& parent, TextView prefix);

}  // namespace Platform
