#include "platform/PathSyntax.h"

namespace Platform {

namespace {

bool IsDriveLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool HasDriveColon(TextView path) {
    return path.size() >= 2 && path[1] == u':' && IsDriveLetter(path[0]);
}

// Length of the Windows drive part: 2 for "C:", the length of "\\server\share" for a
// network path (as much of it as there is), 0 otherwise.
std::size_t WindowsDriveLength(TextView path) {
    constexpr TPathSyntax syntax = TPathSyntax::Windows;
    if (HasDriveColon(path))
        return 2;
    if (path.size() < 2 || !IsPathSeparator(path[0], syntax) || !IsPathSeparator(path[1], syntax))
        return 0;
    std::size_t i = 2;
    for (int part = 0; part < 2; ++part) {
        if (part == 1)
            ++i;  // past the separator between server and share
        while (i < path.size() && !IsPathSeparator(path[i], syntax))
            ++i;
        if (i >= path.size())
            return path.size();
    }
    return i;
}

std::size_t DriveLength(TextView path, TPathSyntax syntax) {
    return syntax == TPathSyntax::Windows ? WindowsDriveLength(path) : 0;
}

// Index of the last separator (or, on Windows, drive colon), npos when there is none.
std::size_t LastDelimiter(TextView path, TPathSyntax syntax) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (IsPathSeparator(path[i], syntax))
            return i;
        if (syntax == TPathSyntax::Windows && path[i] == u':')
            return i;
    }
    return TextView::npos;
}

}  // namespace

char16_t PathSeparator(TPathSyntax syntax) {
    return syntax == TPathSyntax::Windows ? u'\\' : u'/';
}

bool IsPathSeparator(char16_t c, TPathSyntax syntax) {
    return c == u'/' || (syntax == TPathSyntax::Windows && c == u'\\');
}

TextView DrivePart(TextView path, TPathSyntax syntax) {
    return path.substr(0, DriveLength(path, syntax));
}

bool IsRootPath(TextView path, TPathSyntax syntax) {
    if (syntax == TPathSyntax::Posix) {
        if (path.empty())
            return false;
        for (char16_t c : path)
            if (c != u'/')
                return false;
        return true;
    }
    const std::size_t drive = WindowsDriveLength(path);
    if (drive == 0)
        return false;
    return path.size() == drive ||
           (path.size() == drive + 1 && IsPathSeparator(path[drive], syntax));
}

bool EndsWithSeparator(TextView path, TPathSyntax syntax) {
    return !path.empty() && IsPathSeparator(path.back(), syntax);
}

Text IncludeTrailingSeparator(TextView path, TPathSyntax syntax) {
    Text result(path);
    // An empty path stays empty: a lone separator would name the root.
    if (!path.empty() && !EndsWithSeparator(path, syntax))
        result += PathSeparator(syntax);
    return result;
}

Text ExcludeTrailingSeparator(TextView path, TPathSyntax syntax) {
    if (EndsWithSeparator(path, syntax))
        path.remove_suffix(1);
    return Text(path);
}

TextView LastComponent(TextView path, TPathSyntax syntax) {
    const std::size_t cut = LastDelimiter(path, syntax);
    return cut == TextView::npos ? path : path.substr(cut + 1);
}

Text DirectoryOf(TextView path, TPathSyntax syntax) {
    const std::size_t cut = LastDelimiter(path, syntax);
    if (cut == TextView::npos)
        return Text();
    if (!IsPathSeparator(path[cut], syntax))
        return Text(path.substr(0, cut + 1));  // "C:"
    const bool keep = cut == 0 || path[cut - 1] == u':' || IsPathSeparator(path[cut - 1], syntax) ||
                      cut == DriveLength(path, syntax);  // the root of a network share
    return Text(path.substr(0, keep ? cut + 1 : cut));
}

Text JoinPath(TextView folder, TextView name, TPathSyntax syntax) {
    if (folder.empty())
        return Text(name);
    // Sized once: a scan keeps hundreds of thousands of these paths.
    const bool addSeparator = !EndsWithSeparator(folder, syntax);
    Text result;
    result.reserve(folder.size() + (addSeparator ? 1 : 0) + name.size());
    result += folder;
    if (addSeparator)
        result += PathSeparator(syntax);
    result += name;
    return result;
}

}  // namespace Platform
