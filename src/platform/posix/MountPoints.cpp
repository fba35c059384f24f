#include "platform/posix/MountPoints.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <set>
#include <string_view>

#include "platform/posix/PathAt.h"

namespace Platform {

namespace {

// A field of mountinfo with its octal escapes (\040 for a space) undone.
std::string Unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t at, char high) {
            return at < field.size() && field[at] >= '0' && field[at] <= high;
        };
        if (field[i] == '\\' && octal(i + 1, '3') && octal(i + 2, '7') && octal(i + 3, '7')) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// The mount points of this process's view: the fifth field of each line of mountinfo.
std::set<std::string> MountPoints() {
    std::set<std::string> points;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::size_t start = 0;
        for (int field = 0; field < 4 && start != std::string::npos; ++field) {
            start = line.find(' ', start);
            if (start != std::string::npos)
                ++start;
        }
        if (start == std::string::npos)
            continue;
        const std::size_t end = line.find(' ', start);
        points.insert(Unescaped(std::string_view(line).substr(start, end - start)));
    }
    return points;
}

// What the path leads to, links followed, whatever its length.
bool StatusOf(const std::string& path, struct stat& st) {
    const TPathAt at(path);
    return at && ::fstatat(at.Dir(), at.Name(), &st, 0) == 0;
}

std::string ParentOf(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    return cut == 0 || cut == std::string::npos ? "/" : path.substr(0, cut);
}

}  // namespace

std::string MountTopFolder(const std::string& folder, dev_t device) {
    const std::set<std::string> mounts = MountPoints();
    std::string top = folder;
    while (top != "/" && mounts.count(top) == 0) {
        const std::string up = ParentOf(top);
        struct stat st {};
        if (!StatusOf(up, st) || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

std::optional<dev_t> DeviceOf(std::string path) {
    for (;;) {
        struct stat st {};
        if (StatusOf(path, st))
            return st.st_dev;
        if ((errno != ENOENT && errno != ENOTDIR) || path == "/")
            return std::nullopt;
        path = ParentOf(path);
    }
}

}  // namespace Platform
