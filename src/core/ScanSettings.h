#pragma once
// The scan settings as the controls hold them, and the small operations that read them.
#include <cstdint>
#include <functional>
#include <vector>

#include "core/MaskMatch.h"
#include "platform/PathSyntax.h"
#include "platform/Text.h"

enum TCompareMode { cmName, cmSize, cmNameSize, cmContent };

// Item index of the "Compare files by" group to mode; any other index is cmContent.
TCompareMode GetCompareMode(int itemIndex);

// A whole-number setting: its default, and the range the window's field and the command
// line accept.
struct TNumberSetting {
    std::int64_t Default;
    std::int64_t Minimum;
    std::int64_t Maximum;
};
inline constexpr TNumberSetting MinSizeMBSetting{1, 0, 1048576};
inline constexpr TNumberSetting MaxGroupsSetting{100, 0, 1000000};  // 0: all groups
inline constexpr TNumberSetting MinGroupSizeSetting{2, 2, 1000};

// The settings of one moment, read from the window's controls (or the command line).
struct TScanSettings {
    std::vector<Text> Folders;  // each made by NormalizeFolder, no two alike
    int CompareIndex = cmContent;
    Text Masks = Text(MatchEveryName);
    std::int64_t MinSizeMB = MinSizeMBSetting.Default;
    std::int64_t MaxGroups = MaxGroupsSetting.Default;
    std::int64_t MinGroupSize = MinGroupSizeSetting.Default;
    bool ParallelHash = true;
    bool FindFileClones = true;
    bool FindFolderClones = false;
};

// Splits the mask text at every ";", " ", "|" and ","; a piece that begins with a double
// quote loses its quotes; trimming; "*.*" when nothing is left.
std::vector<Text> ParseMasks(TextView maskText);

// A whole-number field's text: an optional sign and decimal digits, else the minimum.
std::int64_t ReadWholeNumber(TextView text, std::int64_t minimum);
