#include "core/FolderPaths.h"

#include "core/CompareText.h"
#include "platform/FileSystem.h"
#include "platform/TextServices.h"

using Platform::TPathSyntax;

namespace {

// Made absolute; a bare drive "D:" is its root, not its current folder.
Text AbsoluteFolder(TextView path, TPathSyntax syntax, const TFullPathFunction& fullPath) {
    Text folder(path);
    if (syntax == TPathSyntax::Windows && folder.size() == 2 && folder[1] == u':')
        folder += u'\\';
    return fullPath(folder);
}

Text NativeFullPath(const Text& path) {
    return Platform::FullPath(path);
}

}  // namespace

Text NormalizeFolder(TextView path, TPathSyntax syntax, const TFullPathFunction& fullPath) {
    const TextView trimmed = Platform::TrimBlanks(path);
    if (trimmed.empty())
        return Text();
    return Platform::IncludeTrailingSeparator(AbsoluteFolder(trimmed, syntax, fullPath), syntax);
}

Text NormalizeFolder(TextView path) {
    return NormalizeFolder(path, Platform::NativeSyntax, NativeFullPath);
}

bool SameFolderText(TextView a, TextView b, TPathSyntax syntax) {
    return PathKey(a, syntax) == PathKey(b, syntax);
}

Text FolderParent(TextView folder, TPathSyntax syntax) {
    const Text bare = Platform::ExcludeTrailingSeparator(folder, syntax);
    if (bare.empty())
        return Text(folder);  // the POSIX root is its own parent
    std::size_t cut = TextView::npos;
    for (std::size_t i = bare.size(); i-- > 0;) {
        if (Platform::IsPathSeparator(bare[i], syntax)) {
            cut = i;
            break;
        }
    }
    if (cut == TextView::npos)
        return bare;  // a drive root such as D: stays itself
    // The separator stays where it directly follows a drive colon, and at the POSIX root.
    if ((cut > 0 && bare[cut - 1] == u':') || cut == 0)
        return bare.substr(0, cut + 1);
    return bare.substr(0, cut);
}

Text NormalizeDirPath(TextView path, Platform::TPathSyntax syntax,
                      const TFullPathFunction& fullPath) {
    Text key = Platform::ExcludeTrailingSeparator(AbsoluteFolder(path, syntax, fullPath), syntax);
    if (CompareText(key, Platform::DrivePart(key, syntax)) == 0)
        key += Platform::PathSeparator(syntax);
    return key;
}

Text NormalizeDirPath(TextView path) {
    return NormalizeDirPath(path, Platform::NativeSyntax, NativeFullPath);
}

Text DirEntryName(TextView path, Platform::TPathSyntax syntax) {
    const Text bare = Platform::ExcludeTrailingSeparator(path, syntax);
    TextView name = Platform::LastComponent(bare, syntax);
    if (name.empty())
        name = bare;
    if (name.empty())
        name = path;  // the POSIX root
    return Platform::LowerCase(name);
}

bool HasAncestorInGroup(TextView key, const std::unordered_set<Text>& acceptedKeys,
                        Platform::TPathSyntax syntax) {
    Text current(key);
    for (;;) {
        const TextView path = current;
        const TextView last = Platform::LastComponent(path, syntax);
        const TextView upToLast = path.substr(0, path.size() - last.size());
        if (upToLast.empty())
            return false;
        Text parent = Platform::ExcludeTrailingSeparator(upToLast, syntax);
        // A root keeps its separator, as in a key: "/", "C:\", "\\server\share\".
        if (CompareText(parent, Platform::DrivePart(path, syntax)) == 0)
            parent += Platform::PathSeparator(syntax);
        if (CompareText(parent, path) == 0)
            return false;  // the root has no parent
        if (acceptedKeys.count(parent) != 0)
            return true;
        current = std::move(parent);
    }
}

Text PathKey(TextView path, Platform::TPathSyntax syntax) {
    return syntax == Platform::TPathSyntax::Windows ? Platform::LowerCase(path) : Text(path);
}
