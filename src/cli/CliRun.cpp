#include "cli/CliRun.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/CliTrash.h"
#include "cli/ListOutput.h"
#include "core/CsvExport.h"
#include "core/DigestCache.h"
#include "core/ResultRows.h"
#include "core/ScanEngine.h"
#include "platform/Console.h"
#include "platform/LanguageStore.h"
#include "translation/Translation.h"

namespace {

// The command line reads the stored choice (or takes --lang) but never writes it.
class TCliLanguageStore : public TLanguageStore {
public:
    explicit TCliLanguageStore(const std::optional<std::string>& lang) : FLang(lang) {}
    std::optional<Text> ReadCurrentLanguage() override {
        if (FLang)
            return Platform::Utf8ToText(*FLang);
        return Platform::ReadStoredLanguage();
    }
    bool WriteCurrentLanguage(const Text&) override { return false; }

private:
    std::optional<std::string> FLang;
};

TCliHost* activeHost = nullptr;
std::atomic<int> interrupts{0};  // lock-free: safe in a signal handler

void OnInterrupt() {
    // The first Ctrl+C stops the scan and still prints what was found; a second ends at once.
    if (++interrupts > 1)
        Platform::ExitNow(130);
    if (activeHost)
        activeHost->RequestStopFromSignal();
}

}  // namespace

int RunCli(int argc, const char* const* argv, bool exitWithoutCleanUp) {
    // A closed pipe (| head -1) or a full disk is an error to report, not a reason to end
    // before the CSV files are written.
    Platform::IgnoreOutputSignals();
    const TCliParse parse = ParseCliOptions(argc, argv);
    if (parse.Kind == TCliParse::pkHelp) {
        const bool shown = Platform::WriteText(stdout, parse.Message) && std::fflush(stdout) == 0;
        return shown ? 0 : 1;
    }
    if (parse.Kind == TCliParse::pkUsageError) {
        Platform::WriteText(stderr, parse.Message + "\nRun with --help for more information.\n");
        return 2;
    }
    const TCliOptions& options = parse.Options;
    // Nothing is scanned for a path that cannot be used.
    const auto pathError = [](const std::string& message) {
        Platform::WriteText(stderr, message + "\n");
        return 2;
    };
    if (const std::optional<std::string> problem = CheckPaths(options))
        return pathError(*problem);
    TScanSettings settings;
    try {
        settings = SettingsFromOptions(options);
    } catch (const std::exception& error) {
        return pathError(PrintableUtf8(Platform::Utf8ToText(error.what())));
    }

    TCliLanguageStore store(options.Lang);
    LoadTranslations(&store);

    TMemoryResultList lvFiles(ColumnCaptions(FileColumnCaptions, TranslateText));
    TMemoryResultList lvDirs(ColumnCaptions(DirColumnCaptions, TranslateText));
    TCliHost host(std::move(settings), options.Quiet, Platform::StderrIsTerminal(), stderr);
    TScanEngine engine(host, lvFiles, lvDirs);
    if (!options.NoCache)
        engine.SetDigestCachePath(CacheFilePath());
    host.SetEngine(&engine);
    activeHost = &host;
    Platform::OnInterrupt(OnInterrupt);

    const TScanOutcome outcome = engine.Scan();
    host.Finish();
    activeHost = nullptr;
    ApplyKeepOptions(lvFiles, options.Trash);

    if (outcome == TScanOutcome::soRefused)
        return 2;
    const auto showError = [&](const std::string& message) {
        host.ShowMessage(TranslateText(u"Error: ") + Platform::Utf8ToText(message));
    };
    const std::string text = ListAsText(lvFiles) + ListAsText(lvDirs);
    bool failed = !Platform::WriteText(stdout, text);
    failed = std::fflush(stdout) != 0 || failed;
    if (failed) {
        const int error = errno;
        showError(std::string("Cannot write the list to standard output") +
                  (error != 0 ? std::string(": ") + std::strerror(error) : std::string()));
    }

    // The lists are written whatever the scan filled, also after a stop and whatever became
    // of standard output; after an error the reports from before stay as they are.
    if (outcome != TScanOutcome::soFailed) {
        for (const auto& [path, list] :
             {std::pair{&options.FilesCsv, &lvFiles}, std::pair{&options.FoldersCsv, &lvDirs}}) {
            if (!*path)
                continue;
            try {
                ExportListViewToCsv(*list, Platform::Utf8ToText(**path));
            } catch (const std::exception& error) {
                showError(error.what());
                failed = true;
            }
        }
    }
    int status = outcome == TScanOutcome::soDone        ? 0
                 : outcome == TScanOutcome::soCancelled ? 130
                                                        : 1;
    if ((failed || host.OutputFailed()) && status == 0)
        status = 1;
    if ((options.Trash.Requested || options.Trash.Link) && status == 0) {
        TTrashContext context{host, engine.StopToken(), std::cin, Platform::StdinIsTerminal(),
                              stderr};
        // The first Ctrl+C stops the check, as it stops a scan: nothing is moved then.
        activeHost = &host;
        status = TrashCheckedFiles(lvFiles, engine.ListedCompareMode(), options.Trash, context);
        activeHost = nullptr;
        host.Finish();
    }
    if (exitWithoutCleanUp) {
        // Freeing hundreds of thousands of records one by one only delays the end: the
        // system takes the whole process back at once.
        std::fflush(stderr);
        Platform::ExitNow(status);
    }
    return status;
}
