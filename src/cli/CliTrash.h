#pragma once
// twinseek-cli --trash and --link: after the scan, the checked rows of the File Clones list
// (all but the kept copy of each group) go through the check before a removal and then to
// the trash, or are replaced by hard links to their kept copy.
#include <cstdio>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "core/ResultList.h"
#include "core/ScanHost.h"
#include "core/ScanSettings.h"
#include "core/StopToken.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace CLI {
class App;
}

struct TTrashOptions {
    bool Requested = false;                // --trash
    bool Link = false;                     // --link
    bool Yes = false;                      // --yes: no question
    bool TrashUnverified = false;          // --trash-unverified
    std::string Keep = "first";            // --keep: which copy of each group stays unchecked
    std::vector<std::string> Reference{};  // --reference: folders whose files always stay
};

// Adds --trash, --link, --yes, --trash-unverified, --keep and --reference to the parser.
void AddTrashOptions(CLI::App& app, TTrashOptions& options);

// What is wrong with the removal options that the parser cannot tell; nothing when fine.
std::optional<std::string> CheckRemovalOptions(const TTrashOptions& options);

// What --trash works with; the program passes the real ones, tests their own.
struct TTrashContext {
    TScanHost& Host;
    const TStopToken& Stop;
    std::istream& Answers;  // the [y/N] question reads one line here
    bool AnswersEchoed;     // a terminal shows the answer and its line end; a pipe does not
    std::FILE* Out;         // the question; what became of each item goes to the host
    std::function<std::vector<Platform::TRecycleOutcome>(const std::vector<Text>&)> Trash =
        &Platform::MoveToRecycleBinEach;
};

// The marks --keep and --reference ask for, set on the File Clones list after the scan.
void ApplyKeepOptions(TResultList& lvFiles, const TTrashOptions& options);

// Exit status: 0 when all went as asked (nothing checked or the answer No included), 1 when
// an item could not be moved or replaced, 3 when items were kept unverified, 130 when
// stopped. With options.Link the checked files are replaced by hard links instead.
int TrashCheckedFiles(const TResultList& lvFiles, TCompareMode listedMode,
                      const TTrashOptions& options, TTrashContext& context);
