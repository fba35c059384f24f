#include "platform/LanguageStore.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

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

}  // namespace

std::optional<Text> ReadStoredLanguage() {
    std::ifstream file(SettingsFile(), std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
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
