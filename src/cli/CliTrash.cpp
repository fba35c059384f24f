#include "cli/CliTrash.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "core/CheckMarks.h"
#include "core/FolderPaths.h"
#include "core/HardLinkReplace.h"
#include "core/KeepRule.h"
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
    app.add_flag("--yes", o.Yes, "with --trash or --link: do not ask first");
    app.add_flag("--trash-unverified", o.TrashUnverified,
                 "with --trash: move the checked files that could not be verified too")
        ->needs(trash);
    CLI::Option* link = app.add_flag(
        "--link", o.Link,
        "replace the checked files by hard links to the kept file of their group, each one "
        "only when the kept file holds the same bytes now and lies on the same volume "
        "(content comparison only)");
    link->excludes(trash);
    link->excludes("--no-file-clones");
    trash->excludes("--no-file-clones");
    app.add_option("--keep", o.Keep,
                   "which file of each group stays unchecked: first, newest, oldest, shortest "
                   "or longest path (default first)")
        ->check(CLI::IsMember({"first", "newest", "oldest", "shortest", "longest"}));
    app.add_option("--reference", o.Reference,
                   "a folder whose files are never checked, moved or replaced; it is scanned "
                   "too (repeatable)")
        ->allow_extra_args(false);
}

namespace {

std::vector<Text> ReferenceFolderTexts(const TTrashOptions& options) {
    std::vector<Text> folders;
    for (const std::string& folder : options.Reference)
        folders.push_back(NormalizeFolder(Platform::Utf8ToText(folder)));
    return folders;
}

}  // namespace

std::optional<std::string> CheckRemovalOptions(const TTrashOptions& options) {
    if (options.Yes && !options.Requested && !options.Link)
        return "--yes requires --trash or --link";
    for (const std::string& folder : options.Reference)
        if (NormalizeFolder(Platform::Utf8ToText(folder)).empty())
            return "--reference: a folder argument is blank";
    return std::nullopt;
}

void ApplyKeepOptions(TResultList& lvFiles, const TTrashOptions& options) {
    const TKeepRule rule = KeepRuleNamed(options.Keep).value_or(TKeepRule::krFirst);
    if (rule == TKeepRule::krFirst && options.Reference.empty())
        return;  // the listing's own marks
    const TReferenceFolders reference(ReferenceFolderTexts(options));
    CheckAllButOneInGroup(lvFiles, TKeepChoice{.Rule = rule, .Reference = &reference});
}

int TrashCheckedFiles(const TResultList& lvFiles, TCompareMode listedMode,
                      const TTrashOptions& options, TTrashContext& context) {
    const TReferenceFolders reference(ReferenceFolderTexts(options));
    TRemovalCheck check(lvFiles, TItemPath::ipFileRecord, listedMode, &reference);
    const std::size_t count = check.Items().size();
    if (count == 0) {
        context.Host.ShowMessage(TranslateText(u"No files selected."));
        return 0;
    }
    if (!options.Yes) {
        const std::string question =
            options.Link ? "Replace " + std::to_string(count) + " files with hard links? [y/N] "
                         : "Move " + std::to_string(count) + " items to the trash? [y/N] ";
        Platform::WriteText(context.Out, question);
        std::fflush(context.Out);
        std::string answer;
        std::getline(context.Answers, answer);
        if (!context.AnswersEchoed)
            Platform::WriteText(context.Out, "\n");
        if (!IsYes(answer)) {
            context.Host.ShowMessage(options.Link ? u"Nothing was replaced."
                                                  : u"Nothing was moved.");
            return 0;
        }
    }
    // The check comes after the answer: the files are compared as they are then.
    if (context.Stop.Requested() || !check.Run(context.Host, context.Stop) ||
        context.Stop.Requested()) {
        context.Host.SetStatus(TranslateText(u"Removal check stopped. Nothing was moved."));
        return 130;
    }

    std::vector<TItemOutcome> outcomes;
    std::vector<Text> failureTexts(count);  // why an item was not moved or replaced
    std::vector<bool> alreadyLinked(count, false);
    if (options.Link) {
        // A replacement loses the checked file's bytes as a removal does: never unverified.
        const TLinkResult result = ReplaceWithHardLinks(check);
        outcomes = result.Outcomes;
        alreadyLinked = result.AlreadyLinked;
        for (std::size_t i = 0; i < count; ++i)
            if (outcomes[i] == TItemOutcome::ioFailed)
                failureTexts[i] = TranslateText(LinkFailureText(result.Failures[i]));
    } else {
        std::map<Text, std::string> failures;  // path: why the trash did not take it
        const TRemovalResult result =
            check.Remove(options.TrashUnverified, [&](const std::vector<Text>& paths) {
                const std::vector<Platform::TRecycleOutcome> answers = context.Trash(paths);
                bool all = answers.size() == paths.size();
                for (std::size_t i = 0; i < answers.size() && i < paths.size(); ++i) {
                    if (!answers[i].Moved)
                        failures[paths[i]] = answers[i].Reason;
                    all = all && answers[i].Moved;
                }
                return all;
            });
        outcomes = result.Outcomes;
        for (std::size_t i = 0; i < count; ++i) {
            const auto why = failures.find(check.Items()[i].Path);
            if (why != failures.end())
                failureTexts[i] = Platform::Utf8ToText(why->second);
        }
    }

    // Every item, in list order, with what became of it; the prefixes stay English for
    // scripts, the reasons are those the window shows.
    for (std::size_t i = 0; i < count; ++i) {
        const TCheckedItem& item = check.Items()[i];
        Text line;
        switch (outcomes[i]) {
            case TItemOutcome::ioMoved:
                if (options.Link)
                    line = alreadyLinked[i] ? u"Already a hard link of its kept file: "
                                            : u"Replaced with a hard link: ";
                else
                    line = item.Verified() ? Text(u"Moved to the trash: ")
                                           : u"Moved to the trash, not verified (" +
                                                 Reason(item.Reason) + u"): ";
                break;
            case TItemOutcome::ioKept:
                line = u"Kept, not verified (" + Reason(item.Reason) + u"): ";
                break;
            case TItemOutcome::ioFailed: {
                const Text prefix = options.Link ? u"Not replaced" : u"Not moved";
                line = !failureTexts[i].empty() ? prefix + u" (" + failureTexts[i] + u"): "
                                                : prefix + u": ";
                break;
            }
        }
        context.Host.ShowMessage(line + item.Path);
    }
    const auto counted = [&](TItemOutcome outcome) {
        return std::count(outcomes.begin(), outcomes.end(), outcome);
    };
    if (counted(TItemOutcome::ioFailed) > 0)
        return 1;
    return counted(TItemOutcome::ioKept) > 0 ? 3 : 0;
}
