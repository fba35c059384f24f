#include "cli/CliRun.h"

#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/CliTrash.h"
#include "cli/ListOutput.h"
#include "core/CsvExport.h"
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

std::vector<Text> Translated(std::initializer_list<const char16_t*> captions) {
    std::vector<Text> result;
    for (const char16_t* caption : captions)
        result.push_back(TranslateText(caption));
    return result;
}

}  // namespace

int RunCli(int argc, const char* const* argv, bool exitWithoutCleanUp) {
    const TCliParse parse = ParseCliOptions(argc, argv);
    if (parse.Kind == TCliParse::pkHelp) {
        Platform::WriteText(stdout, parse.Message);
        return 0;
    }
    if (parse.Kind == TCliParse::pkUsageError) {
        Platform::WriteText(stderr, parse.Message + "\nRun with --help for more information.\n");
        return 2;
    }
    const TCliOptions& options = parse.Options;

    TCliLanguageStore store(options.Lang);
    LoadTranslations(&store);

    TMemoryResultList lvFiles(
        Translated({u"Group", u"File name", u"Directory", u"File size (MB)"}));
    TMemoryResultList lvDirs(Translated({u"Group", u"Directory", u"Size"}));
    TCliHost host(SettingsFromOptions(options), options.Quiet, Platform::StderrIsTerminal(),
                  stderr);
    TScanEngine engine(host, lvFiles, lvDirs);
    host.SetEngine(&engine);
    activeHost = &host;
    Platform::OnInterrupt(OnInterrupt);

    const TScanOutcome outcome = engine.Scan();
    host.Finish();
    activeHost = nullptr;

    if (outcome == TScanOutcome::soRefused)
        return 2;
    const std::string text = ListAsText(lvFiles) + ListAsText(lvDirs);
    Platform::WriteText(stdout, text);
    std::fflush(stdout);

    // The lists are written whatever the scan filled, also after a stop or an error.
    bool written = true;
    for (const auto& [path, list] :
         {std::pair{&options.FilesCsv, &lvFiles}, std::pair{&options.FoldersCsv, &lvDirs}}) {
        if (!*path)
            continue;
        try {
            ExportListViewToCsv(*list, Platform::Utf8ToText(**path));
        } catch (const std::exception& error) {
            host.ShowMessage(TranslateText(u"Error: ") + Platform::Utf8ToText(error.what()));
            written = false;
        }
    }
    int status = outcome == TScanOutcome::soDone        ? 0
                 : outcome == TScanOutcome::soCancelled ? 130
                                                        : 1;
    if (!written && status == 0)
        status = 1;
    if (options.Trash.Requested && status == 0) {
        TTrashContext context{host, engine.FStopRequested, std::cin, Platform::StdinIsTerminal(),
                              stderr};
        status = TrashCheckedFiles(lvFiles, engine.FListedCompareMode, options.Trash, context);
        host.Finish();
    }
    if (exitWithoutCleanUp) {
        // Freeing hundreds of thousands of records one by one only delays the end: the
        // system takes the whole process back at once.
        std::fflush(stdout);
        std::fflush(stderr);
        Platform::ExitNow(status);
    }
    return status;
}
