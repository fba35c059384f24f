#include "platform/PrivateFolder.h"

#include <stdlib.h>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FileSystem.h"

namespace Platform {

Text CreatePrivateFolder(const Text& parent, TextView prefix) {
    std::string name = TextToUtf8(parent);
    if (name.empty() || name.back() != '/')
        name += '/';
    name += TextToUtf8(prefix);
    name += "XXXXXX";
    // mkdtemp makes the folder with mode 0700 and never takes a name that exists, a planted
    // link included.
    if (::mkdtemp(name.data()) == nullptr) {
        const int error = errno;
        throw EPlatformError("Cannot create folder in \"" + TextToUtf8(parent) +
                             "\": " + std::strerror(error));
    }
    return Utf8ToText(name);
}

}  // namespace Platform
