#pragma once
// Where a file system is mounted, as the trash on another mount needs it.
#include <sys/types.h>

#include <optional>
#include <string>

namespace Platform {

// The top folder of the mount that holds folder (a real path, without links): going up
// from it, the first folder that is a mount point of this process's view, or whose parent
// is not on device. A bind mount so counts as a top although its file system goes on
// above it.
std::string MountTopFolder(const std::string& folder, dev_t device);

// The file system an absolute path is on, or would be on once made: that of its nearest
// existing ancestor.
std::optional<dev_t> DeviceOf(std::string path);

}  // namespace Platform
