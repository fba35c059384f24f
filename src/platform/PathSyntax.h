#pragma once
// Path syntax rules as pure functions of the syntax, so that the Windows rules are tested
// on every platform.
#include "platform/Text.h"

namespace Platform {

enum class TPathSyntax { Windows, Posix };

#ifdef _WIN32
inline constexpr TPathSyntax NativeSyntax = TPathSyntax::Windows;
#else
inline constexpr TPathSyntax NativeSyntax = TPathSyntax::Posix;
#endif

char16_t PathSeparator(TPathSyntax syntax);
bool IsPathSeparator(char16_t c, TPathSyntax syntax);

// The drive part: "C:" of a drive-letter path, "\\server\share" of a network path on
// Windows; on POSIX always empty.
TextView DrivePart(TextView path, TPathSyntax syntax);

// A path whose whole text is its drive or root: "C:\", "\\server\share\", "/".
bool IsRootPath(TextView path, TPathSyntax syntax);

bool EndsWithSeparator(TextView path, TPathSyntax syntax);
Text IncludeTrailingSeparator(TextView path, TPathSyntax syntax);
// Removes one trailing separator, if there is one.
Text ExcludeTrailingSeparator(TextView path, TPathSyntax syntax);

// The text after the last separator (on Windows also after a drive colon).
TextView LastComponent(TextView path, TPathSyntax syntax);

// The directory of a file path: up to its last separator (or drive colon), without that
// separator unless it directly follows a colon or another separator, or is the POSIX root:
// C:\a.txt gives C:\, C:\Data\x.jpg gives C:\Data, /a.txt gives /.
Text DirectoryOf(TextView path, TPathSyntax syntax);

// Joins a folder and an entry name with one separator.
Text JoinPath(TextView folder, TextView name, TPathSyntax syntax);

}  // namespace Platform
