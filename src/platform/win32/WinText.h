#pragma once
// Helpers shared by the Windows sources: UTF-16 conversion, the long-path form, errors.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

namespace Platform::Win32 {

inline std::wstring Wide(TextView text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline Text FromWide(const wchar_t* text, std::size_t length) {
    return Text(reinterpret_cast<const char16_t*>(text), length);
}

inline Text FromWide(const std::wstring& text) {
    return FromWide(text.data(), text.size());
}

// The path made absolute (a bare drive "D:" is its root) in the \\?\ form, so that the
// calls of this layer accept paths beyond MAX_PATH. Empty for an empty path.
std::wstring LongPath(TextView path);

// GetFullPathNameW, except that a bare drive "D:" is the drive's root.
std::wstring FullPathName(TextView path);

// The ordinary form of a \\?\ path (\\?\UNC\s\x gives \\s\x), for the shell.
std::wstring WithoutLongPrefix(std::wstring path);

// The system's message for an error code, in UTF-8 without the trailing line break.
std::string ErrorText(DWORD error);

[[noreturn]] void Fail(const char* what, TextView path, DWORD error);

// 100-nanosecond ticks since 1601 to nanoseconds since 1970.
inline std::int64_t FromFileTime(std::int64_t ticks) {
    constexpr std::int64_t TicksTo1970 = 116444736000000000;
    return (ticks - TicksTo1970) * 100;
}
inline std::int64_t FromFileTime(const FILETIME& time) {
    return FromFileTime(
        static_cast<std::int64_t>((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

// Whether a reparse tag stands for another name (symbolic link, junction), as opposed to
// one that only stores the file elsewhere (cloud placeholders, deduplication).
inline bool IsLinkTag(DWORD tag) {
    return (tag & 0x20000000u) != 0;  // the name-surrogate bit
}

}  // namespace Platform::Win32
