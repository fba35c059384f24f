#include "platform/PrivateFolder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>

#include "platform/FileSystem.h"
#include "platform/posix/PathAt.h"

namespace Platform {

namespace {

constexpr std::size_t RandomPart = 6;  // the XXXXXX of mkdtemp

// mkdtemp in the folder of a path beyond the limit, which mkdtemp cannot take: six random
// letters or digits, and a name that exists is never taken.
bool MakeTemporaryFolderAt(const TPathAt& at, std::string& name) {
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string leaf = at.Name();
    for (int attempt = 0; attempt < 10000; ++attempt) {
        for (std::size_t i = leaf.size() - RandomPart; i < leaf.size(); ++i)
            leaf[i] = Letters[random() % (sizeof Letters - 1)];
        if (::mkdirat(at.Dir(), leaf.c_str(), 0700) == 0) {
            name.replace(name.size() - RandomPart, RandomPart, leaf, leaf.size() - RandomPart);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

}  // namespace

Text CreatePrivateFolder(const Text& parent, TextView prefix) {
    std::string name = TextToUtf8(parent);
    if (name.empty() || name.back() != '/')
        name += '/';
    name += TextToUtf8(prefix);
    name += std::string(RandomPart, 'X');
    // mkdtemp makes the folder with mode 0700 and never takes a name that exists, a planted
    // link included.
    const TPathAt at(name);
    if (!at ||
        (at.Whole() ? ::mkdtemp(name.data()) == nullptr : !MakeTemporaryFolderAt(at, name))) {
        const int error = errno;
        throw EPlatformError("Cannot create folder in \"" + TextToUtf8(parent) +
                             "\": " + std::strerror(error));
    }
    return Utf8ToText(name);
}

}  // namespace Platform
