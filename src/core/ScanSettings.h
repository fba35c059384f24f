#pragma once
// The scan settings as the controls hold them, and the small operations that read them.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/PathSyntax.h"
#include "platform/Text.h"

enum TCompareMode { cmName, cmSize, cmNameSize, cmContent };

// Item index of the "Compare files by" group to mode; any other index is cmContent.
TCompareMode GetCompareMode(int itemIndex);

// The settings of one moment, read from the window's controls (or the command line).
struct TScanSettings {
    std::vector<Text> Folders;  // each made by NormalizeFolder, no two alike
    int CompareIndex = cmContent;
    Text Masks = u"*.*";
    std::int64_t MinSizeMB = 1;
    std::int64_t MaxGroups = 100;
    std::int64_t MinGroupSize = 2;
    bool ParallelHash = true;
    bool FindFileClones = true;
    bool FindFolderClones = false;
};

inline constexpr std::int64_t MinSizeMBLimit = 1048576;
inline constexpr std::int64_t MaxGroupsLimit = 1000000;
inline constexpr std::int64_t MinGroupSizeLow = 2;
inline constexpr std::int64_t MinGroupSizeHigh = 1000;

// Splits the mask text at every ";", " ", "|" and ","; a piece that begins with a double
// quote loses its quotes; trimming; "*.*" when nothing is left.
std::vector<Text> ParseMasks(TextView maskText);

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

// A whole-number field's text: an optional sign and decimal digits, else the minimum.
std::int64_t ReadWholeNumber(TextView text, std::int64_t minimum);
