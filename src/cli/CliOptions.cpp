#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <utility>
#include <vector>

#include "TwinseekVersion.h"
#include "cli/ListOutput.h"
#include "core/FileInfo.h"
#include "core/FolderPaths.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

// The names of --compare, in the order the help and its error message list them.
const std::vector<std::pair<std::string, TCompareMode>> compareModes = {
    {"name", cmName}, {"size", cmSize}, {"name-size", cmNameSize}, {"content", cmContent}};

TCompareMode CompareModeNamed(const std::string& name) {
    for (const auto& [modeName, mode] : compareModes)
        if (modeName == name)
            return mode;
    return cmContent;  // not reached: the option accepts only the names above
}

std::string CompareModeName(TCompareMode mode) {
    for (const auto& [modeName, each] : compareModes)
        if (each == mode)
            return modeName;
    return {};
}

std::string Number(std::int64_t value) {
    return Platform::TextToUtf8(Platform::IntToText(value));
}

// "0..1048576" and "(default 1)" for the help, from the numbers the window uses too.
std::string RangeText(const TNumberSetting& setting) {
    return Number(setting.Minimum) + ".." + Number(setting.Maximum);
}
std::string DefaultText(const TNumberSetting& setting) {
    return "(default " + Number(setting.Default) + ")";
}

}  // namespace

TCliParse ParseCliOptions(int argc, const char* const* argv) {
    TCliParse result;
    TCliOptions& o = result.Options;
    CLI::App app{"Finds duplicate files and folders below the given folders.", "twinseek-cli"};
    app.add_option("FOLDER", o.Folders, "folders to scan");
    app.add_option_function<std::string>(
           "--compare", [&o](const std::string& name) { o.Compare = CompareModeNamed(name); },
           "comparison mode (default " + CompareModeName(o.Compare) + ")")
        ->check(CLI::IsMember(compareModes));
    app.add_option("--masks", o.Masks,
                   "file masks as typed in the window (default \"" + o.Masks + "\")");
    app.add_option("--min-size-mb", o.MinSizeMB,
                   "minimum file size in MB, " + RangeText(MinSizeMBSetting) + " " +
                       DefaultText(MinSizeMBSetting))
        ->check(CLI::Range(MinSizeMBSetting.Minimum, MinSizeMBSetting.Maximum));
    app.add_option("--max-groups", o.MaxGroups,
                   "maximum number of groups, 0 = all " + DefaultText(MaxGroupsSetting))
        ->check(CLI::Range(MaxGroupsSetting.Minimum, MaxGroupsSetting.Maximum));
    app.add_option("--min-group-size", o.MinGroupSize,
                   "minimum group size, " + RangeText(MinGroupSizeSetting) + " " +
                       DefaultText(MinGroupSizeSetting))
        ->check(CLI::Range(MinGroupSizeSetting.Minimum, MinGroupSizeSetting.Maximum));
    app.add_flag("--sequential", o.Sequential, "hash on one thread (default: parallel)");
    app.add_flag("--no-file-clones", o.NoFileClones, "do not look for file clones (default: look)");
    app.add_flag("--folder-clones", o.FolderClones, "look for folder clones too (default: do not)");
    app.add_option("--files-csv", o.FilesCsv,
                   "write the File Clones list as the window's export does");
    app.add_option("--folders-csv", o.FoldersCsv, "write the Folder Clones list likewise");
    AddTrashOptions(app, o.Trash);
    app.add_option("--lang", o.Lang,
                   "language of this run's texts (default: the stored choice, else the system's)");
    app.add_flag(
        "--no-cache", o.NoCache,
        "neither read nor write the cache of digests kept between scans (default: use it)");
    app.add_flag("-q,--quiet", o.Quiet, "no status output");
    app.set_version_flag("--version", std::string("twinseek-cli ") + TwinseekVersion,
                         "print the version and exit");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        result.Kind = TCliParse::pkHelp;
        result.Message = app.help();
        return result;
    } catch (const CLI::CallForVersion& version) {
        result.Kind = TCliParse::pkHelp;  // printed like the help: stdout, status 0
        result.Message = std::string(version.what()) + "\n";
        return result;
    } catch (const CLI::ParseError& error) {
        result.Kind = TCliParse::pkUsageError;
        result.Message = error.what();
        return result;
    }
    if (const std::optional<std::string> problem = CheckRemovalOptions(o.Trash)) {
        result.Kind = TCliParse::pkUsageError;
        result.Message = *problem;
        return result;
    }
    if (o.Trash.Link && o.Compare != cmContent) {
        result.Kind = TCliParse::pkUsageError;
        result.Message =
            "--link: hard links replace only files found by content (--compare content)";
        return result;
    }
    for (const std::string& folder : o.Folders) {
        if (Platform::TrimBlanks(Platform::Utf8ToText(folder)).empty()) {
            result.Kind = TCliParse::pkUsageError;
            result.Message = "FOLDER: a folder argument is blank";
            return result;
        }
    }
    return result;
}

TScanSettings SettingsFromOptions(const TCliOptions& o) {
    TScanSettings s;
    // A reference folder is scanned as well, after the folders given.
    std::vector<std::string> arguments = o.Folders;
    arguments.insert(arguments.end(), o.Trash.Reference.begin(), o.Trash.Reference.end());
    for (const std::string& argument : arguments) {
        const Text folder = NormalizeFolder(Platform::Utf8ToText(argument));
        bool listed = false;
        for (const Text& other : s.Folders)
            listed = listed || SameFolderText(other, folder);
        if (!folder.empty() && !listed)
            s.Folders.push_back(folder);
    }
    s.CompareIndex = o.Compare;
    s.Masks = Platform::Utf8ToText(o.Masks);
    s.MinSizeMB = o.MinSizeMB;
    s.MaxGroups = o.MaxGroups;
    s.MinGroupSize = o.MinGroupSize;
    s.ParallelHash = !o.Sequential;
    s.FindFileClones = !o.NoFileClones;
    s.FindFolderClones = o.FolderClones;
    return s;
}

std::optional<std::string> CheckPaths(const TCliOptions& o) {
    try {
        std::vector<std::string> arguments = o.Folders;
        arguments.insert(arguments.end(), o.Trash.Reference.begin(), o.Trash.Reference.end());
        for (const std::string& argument : arguments) {
            if (!Platform::DirectoryExists(NormalizeFolder(Platform::Utf8ToText(argument))))
                return "Not a folder: " + PrintableUtf8(Platform::Utf8ToText(argument));
        }
        if (o.FilesCsv && o.FoldersCsv) {
            // The same file as the file system sees it: the same path once normalised (its
            // letter case aside on Windows), or two paths to one existing file.
            const Text files = Platform::FullPath(Platform::Utf8ToText(*o.FilesCsv));
            const Text folders = Platform::FullPath(Platform::Utf8ToText(*o.FoldersCsv));
            Platform::TFileId filesId, foldersId;
            if (PathKey(files) == PathKey(folders) ||
                (Platform::QueryIdentity(files, filesId) &&
                 Platform::QueryIdentity(folders, foldersId) && filesId == foldersId))
                return "--files-csv and --folders-csv name the same file: " +
                       PrintableUtf8(Platform::Utf8ToText(*o.FilesCsv));
        }
    } catch (const std::exception& error) {
        return PrintableUtf8(Platform::Utf8ToText(error.what()));
    }
    return std::nullopt;
}
