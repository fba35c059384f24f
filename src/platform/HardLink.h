#pragma once
// A second name for a file, and a name moved over another in one step: what replacing a
// duplicate by a hard link to its kept copy is made of.
#include "platform/Text.h"

namespace Platform {

enum class TLinkStatus {
    lsDone,
    lsExists,       // something already has the new name: it was left alone
    lsOtherVolume,  // the two names would lie on different volumes
    lsDenied,       // no permission
    lsUnsupported,  // the file system has no hard links
    lsFailed,       // any other reason
};

// Gives the existing file the new name as well. Never replaces anything at newPath.
TLinkStatus MakeHardLink(const Text& existing, const Text& newPath);

// Renames source to target, replacing the file at target in one step.
TLinkStatus RenameOver(const Text& source, const Text& target);

// Removes one file name (not a folder); true when it went.
bool RemoveFileName(const Text& path);

}  // namespace Platform
