#pragma once
// twinseek-cli --trash: after the scan, the checked rows of the File Clones list (all but
// the first of each group) go through the check before a removal and then to the trash.
#include <atomic>
#include <cstdio>
#include <functional>
#include <istream>
#include <vector>

#include "core/ResultList.h"
#include "core/ScanHost.h"
#include "core/ScanSettings.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace CLI {
class App;
}

struct TTrashOptions {
    bool Requested = false;        // --trash
    bool Yes = false;              // --yes: no question
    bool TrashUnverified = false;  // --trash-unverified
};

// Adds --trash, --yes and --trash-unverified to the parser.
void AddTrashOptions(CLI::App& app, TTrashOptions& options);

// What --trash works with; the program passes the real ones, tests their own.
struct TTrashContext {
    TScanHost& Host;
    const std::atomic<bool>& StopRequested;
    std::istream& Answers;  // the [y/N] question reads one line here
    bool AnswersEchoed;     // a terminal shows the answer and its line end; a pipe does not
    std::FILE* Out;         // the question; what became of each item goes to the host
    std::function<std::vector<Platform::TRecycleOutcome>(const std::vector<Text>&)> Trash =
        &Platform::MoveToRecycleBinEach;
};

// Exit status: 0 when all went as asked (nothing checked or the answer No included), 1 when
// an item could not be moved, 3 when items were kept unverified, 130 when stopped.
int TrashCheckedFiles(const TResultList& lvFiles, TCompareMode listedMode,
                      const TTrashOptions& options, TTrashContext& context);
