#pragma once
// Every rule about folder and directory paths: the form of a folder-list entry, the key of a
// directory and of a file path, a folder's parent, and what lies above a key.
#include <functional>
#include <unordered_set>

#include "platform/PathSyntax.h"
#include "platform/Text.h"

using TFullPathFunction = std::function<Text(const Text&)>;

// The form of a folder kept in the folder list: trimmed, absolute, one trailing separator;
// a bare drive "D:" is the drive's root. Empty for an all-blank text.
Text NormalizeFolder(TextView path, Platform::TPathSyntax syntax,
                     const TFullPathFunction& fullPath);
Text NormalizeFolder(TextView path);

// Whether two folder texts name the same list entry (letter case ignored on Windows).
bool SameFolderText(TextView a, TextView b, Platform::TPathSyntax syntax = Platform::NativeSyntax);

// The folder above a folder text, where the next folder picker opens: C:\Photos\2021\ gives
// C:\Photos, C:\Photos\ gives C:\, D:\ gives D:, /home/ann/ gives /home, /a/ gives /.
Text FolderParent(TextView folder, Platform::TPathSyntax syntax = Platform::NativeSyntax);

// The key of a directory: absolute, no trailing separator, but a root keeps its one
// ("/", "C:\", "\\server\share\"); a bare drive "C:" is its root.
Text NormalizeDirPath(TextView path, Platform::TPathSyntax syntax,
                      const TFullPathFunction& fullPath);
Text NormalizeDirPath(TextView path);

// The lower-cased last component of a directory path; a root's whole text.
Text DirEntryName(TextView path, Platform::TPathSyntax syntax = Platform::NativeSyntax);

// Whether a directory above the key (its parent, grandparent, ... up to the root, never
// the key itself) is among the accepted keys.
bool HasAncestorInGroup(TextView key, const std::unordered_set<Text>& acceptedKeys,
                        Platform::TPathSyntax syntax = Platform::NativeSyntax);

// The key of a path in the file map: lower-cased where the file system ignores letter case
// (Windows), the path itself where it does not (POSIX).
Text PathKey(TextView path, Platform::TPathSyntax syntax = Platform::NativeSyntax);
