#pragma once
// The command line's interface; scripts rely on it, so it changes only by additions.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliTrash.h"
#include "core/MaskMatch.h"
#include "core/ScanSettings.h"
#include "platform/Text.h"

struct TCliOptions {
    std::vector<std::string> Folders;
    TCompareMode Compare = TCompareMode(TScanSettings().CompareIndex);
    std::string Masks = Platform::TextToUtf8(MatchEveryName);
    std::int64_t MinSizeMB = MinSizeMBSetting.Default;
    std::int64_t MaxGroups = MaxGroupsSetting.Default;
    std::int64_t MinGroupSize = MinGroupSizeSetting.Default;
    bool Sequential = false;
    bool NoFileClones = false;
    bool FolderClones = false;
    bool Quiet = false;
    bool NoCache = false;
    std::optional<std::string> FilesCsv;
    std::optional<std::string> FoldersCsv;
    std::optional<std::string> Lang;
    TTrashOptions Trash;
};

struct TCliParse {
    enum TKind { pkRun, pkHelp, pkUsageError } Kind = pkRun;
    TCliOptions Options;
    std::string Message;  // the help or version text, or what was wrong
};

TCliParse ParseCliOptions(int argc, const char* const* argv);

// The scan settings of the options: folders normalised as "Add folder..." does, without
// duplicates. Raises when a relative folder cannot be made absolute (the current folder
// was deleted).
TScanSettings SettingsFromOptions(const TCliOptions& options);

// What only the file system can tell is wrong with the options, before anything is scanned:
// a folder argument that is no existing folder, one file named by both --files-csv and
// --folders-csv, a path that cannot be made absolute. The message, or nothing.
std::optional<std::string> CheckPaths(const TCliOptions& options);
