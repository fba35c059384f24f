#include "cli/CliTrash.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "core/CheckMarks.h"
#include "core/RemovalCheck.h"
#include "platform/Console.h"
#include "translation/Translation.h"

namespace {

// Only y or yes, in any case, consents; an empty line or the end of the input is No.
bool IsYes(std::string answer) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    answer.erase(answer.begin(), std::find_if_not(answer.begin(), answer.end(), blank));
    answer.erase(std::find_if_not(answer.rbegin(), answer.rend(), blank).base(), answer.end());
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return answer == "y" || answer == "yes";
}

Text Reason(TRemovalReason reason) {
    return TranslateText(RemovalReasonText(reason));
}

}  // namespace

void AddTrashOptions(CLI::App& app, TTrashOptions& o) {
    CLI::Option* trash = app.add_flag(
        "--trash", o.Requested,
        "move the checked files (all but the first of each group) to the trash, each one "
        "only when a kept file of its group holds the same bytes now");
    app.add_flag("--yes", o.Yes, "with --trash: do not ask before moving")->needs(trash);
    app.add_flag("--trash-unverified", o.TrashUnverified,
                 "with --trash: move the checked files that could not be verified too")
        ->needs(trash);
    trash->excludes("--no-file-clones");
}

int TrashCheckedFiles(const TResultList& lvFiles, TCompareMode listedMode,
                      const TTrashOptions& options, TTrashContext& context) {
    TRemovalCheck check(lvFiles, TItemPath::ipFileRecord, listedMode);
    const std::size_t count = check.Items().size();
    if (count == 0) {
        context.Host.ShowMessage(TranslateText(u"No files selected."));
        return 0;
    }
    if (!options.Yes) {
        Platform::WriteText(context.Out,
                            "Move " + std::to_string(count) + " items to the trash? [y/N] ");
        std::fflush(context.Out);
        std::string answer;
        std::getline(context.Answers, answer);
        if (!context.AnswersEchoed)
            Platform::WriteText(context.Out, "\n");
        if (!IsYes(answer)) {
            context.Host.ShowMessage(u"Nothing was moved.");
            return 0;
        }
    }
    // The check comes after the answer: the files are compared as they are then.
    if (context.StopRequested.load() || !check.Run(context.Host, context.StopRequested) ||
        context.StopRequested.load()) {
        context.Host.SetStatus(TranslateText(u"Removal check stopped. Nothing was moved."));
        return 130;
    }

    std::map<Text, std::string> failures;  // path: why the trash did not take it
    const TRemovalResult result =
        check.Remove(options.TrashUnverified, [&](const std::vector<Text>& paths) {
            const std::vector<Platform::TRecycleOutcome> outcomes = context.Trash(paths);
            bool all = outcomes.size() == paths.size();
            for (std::size_t i = 0; i < outcomes.size() && i < paths.size(); ++i) {
                if (!outcomes[i].Moved)
                    failures[paths[i]] = outcomes[i].Reason;
                all = all && outcomes[i].Moved;
            }
            return all;
        });

    // Every item, in list order, with what became of it; the prefixes stay English for
    // scripts, the reasons are those the window shows.
    for (std::size_t i = 0; i < count; ++i) {
        const TCheckedItem& item = check.Items()[i];
        Text line;
        switch (result.Outcomes[i]) {
            case TItemOutcome::ioMoved:
                line = item.Verified()
                           ? Text(u"Moved to the trash: ")
                           : u"Moved to the trash, not verified (" + Reason(item.Reason) + u"): ";
                break;
            case TItemOutcome::ioKept:
                line = u"Kept, not verified (" + Reason(item.Reason) + u"): ";
                break;
            case TItemOutcome::ioFailed: {
                const auto why = failures.find(item.Path);
                line = why != failures.end() && !why->second.empty()
                           ? u"Not moved (" + Platform::Utf8ToText(why->second) + u"): "
                           : Text(u"Not moved: ");
                break;
            }
        }
        context.Host.ShowMessage(line + item.Path);
    }
    if (result.Count(TItemOutcome::ioFailed) > 0)
        return 1;
    return result.Count(TItemOutcome::ioKept) > 0 ? 3 : 0;
}
