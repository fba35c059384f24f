#include "platform/posix/TrashInfo.h"

#include <charconv>
#include <climits>

namespace Platform {

namespace {

// Every byte but the unreserved ones and "/" as %XX, so that any name (spaces, "%", line
// breaks, bytes that are not UTF-8) comes back exactly when the desktop decodes it.
std::string EncodePath(std::string_view bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' || b == '~' ||
                           b == '/';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

void AppendPadded(std::string& out, int value, int width) {
    const std::string digits = DecimalText(value);
    out.append(digits.size() < static_cast<std::size_t>(width) ? width - digits.size() : 0, '0');
    out += digits;
}

// YYYY-MM-DDThh:mm:ss in local time.
std::string DeletionDate(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    std::string out;
    AppendPadded(out, local.tm_year + 1900, 4);
    out += '-';
    AppendPadded(out, local.tm_mon + 1, 2);
    out += '-';
    AppendPadded(out, local.tm_mday, 2);
    out += 'T';
    AppendPadded(out, local.tm_hour, 2);
    out += ':';
    AppendPadded(out, local.tm_min, 2);
    out += ':';
    AppendPadded(out, local.tm_sec, 2);
    return out;
}

// At most size bytes of text, not cutting a UTF-8 sequence where it can help it.
std::string CutName(const std::string& text, std::size_t size) {
    if (text.size() <= size)
        return text;
    std::size_t cut = size;
    for (int back = 0; back < 3 && cut > 1 && (text[cut] & 0xC0) == 0x80; ++back)
        --cut;
    return text.substr(0, cut);
}

}  // namespace

std::string DecimalText(long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

std::string TrashInfoText(std::string_view path, std::time_t when) {
    return "[Trash Info]\nPath=" + EncodePath(path) + "\nDeletionDate=" + DeletionDate(when) + "\n";
}

// The item's name in the trash: its own, or from the second try on with ".n" before the
// extension; cut, keeping the extension, so that the info file's name still fits a folder.
std::string TrashEntryName(const std::string& name, int n) {
    constexpr std::size_t room = NAME_MAX - std::string_view(".trashinfo").size();
    constexpr std::size_t longestExtension = 16;
    const std::string number = n > 1 ? "." + DecimalText(n) : std::string();
    if (number.empty() && name.size() <= room)
        return name;
    std::string stem = name, extension;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot <= longestExtension) {
        stem = name.substr(0, dot);
        extension = name.substr(dot);
    }
    return CutName(stem, room - number.size() - extension.size()) + number + extension;
}

}  // namespace Platform
