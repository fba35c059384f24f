#include "platform/LanguageStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/PathAt.h"

namespace Platform {

namespace {

// Where the toolkit's native settings of organisation "Twinseek" live for this user.
std::string SettingsFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] != '\0')
        return std::string(config) + "/Twinseek.conf";
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
        home = env;
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr) {
        home = user->pw_dir;
    }
    return home + "/.config/Twinseek.conf";
}

std::string_view Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// A plain string value as the settings writer stores it: optionally in double quotes, with
// backslash escapes; "@@" stands for a leading "@", other "@" forms are not plain strings.
std::optional<std::string> DecodeValue(std::string_view raw) {
    std::string_view value = Trim(raw);
    if (value.starts_with("@@")) {
        value.remove_prefix(1);
    } else if (value.starts_with('@')) {
        return std::nullopt;
    }
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && i + 1 < value.size()) {
            const char e = value[++i];
            out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == '0' ? '\0' : e;
        } else if (!quoted && (c == ';' || c == ',')) {
            break;  // a comment, or a list: the first item only
        } else {
            out += c;
        }
    }
    return out;
}

// The whole file, when it is a regular one of bounded size. Opened without blocking, so
// that a pipe in its place cannot hold the program; the type is asked of the open file.
std::optional<std::string> ReadSettingsFile(const std::string& name) {
    const TPathAt at(name);
    const int fd = at ? ::openat(at.Dir(), at.Name(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd < 0)
        return std::nullopt;
    struct TCloser {
        int Fd;
        ~TCloser() { ::close(Fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > SettingsFileLimit)
        return std::nullopt;
    std::string content;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(n));
        if (static_cast<std::int64_t>(content.size()) > SettingsFileLimit)
            return std::nullopt;  // grew while read
    }
}

}  // namespace

std::optional<Text> ReadStoredLanguage() {
    const std::optional<std::string> file = ReadSettingsFile(SettingsFile());
    if (!file)
        return std::nullopt;
    const std::string& content = *file;
    std::optional<std::string> found;
    bool topLevel = true;  // keys before any section, and those of [General]
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        const std::string_view line = Trim(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (line.starts_with('[')) {
            topLevel = line == "[General]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!topLevel || equals == std::string_view::npos)
            continue;
        if (Trim(line.substr(0, equals)) != "CurrentLanguage")
            continue;
        if (auto value = DecodeValue(line.substr(equals + 1)))
            found = std::move(value);
    }
    if (!found)
        return std::nullopt;
    return Utf8ToText(*found);
}

}  // namespace Platform
