#include "core/ScanEngine.h"

#include "core/ContentHash.h"
#include "core/DirectoryClones.h"
#include "core/FileGrouping.h"
#include "core/FolderWalk.h"
#include "platform/CacheFolder.h"
#include "translation/Translation.h"

TScanEngine::TScanEngine(TScanHost& host, TResultList& filesList, TResultList& dirsList)
    : Host(host), lvFiles(filesList), lvDirs(dirsList) {}

TScanEngine::~TScanEngine() {
    // Map entries refer to the records: drop them first.
    FFileMap.Clear();
    FFiles.clear();
}

TScanOutcome TScanEngine::Scan() {
    // A second scan inside the first would free records the first still uses.
    if (FScanning)
        return TScanOutcome::soRefused;
    if (Host.ReadSettings().Folders.empty()) {
        Host.ShowMessage(TranslateText(u"Please add at least one folder."));
        return TScanOutcome::soRefused;
    }

    FStopRequested = false;
    FDigestCacheCleared = false;
    FScanning = true;
    Host.SetBusy(true);

    TScanOutcome outcome = TScanOutcome::soDone;
    auto stopped = [&](bool cancelText) {
        if (!StopRequested())
            return false;
        if (cancelText)
            Host.SetStatus(TranslateText(u"Cancelled"));
        outcome = TScanOutcome::soCancelled;
        return true;
    };
    try {
        ClearResults();
        CollectFiles(*this);
        if (stopped(false))
            return Finish(outcome);
        // Each setting is read when its phase is reached, not at the start of the scan.
        TScanSettings settings = Host.ReadSettings();
        if (GetCompareMode(settings.CompareIndex) == cmContent &&
            (settings.FindFileClones || settings.FindFolderClones))
            ComputeAllHashes(*this, FHashWorkers);
        if (stopped(false))
            return Finish(outcome);
        if (Host.ReadSettings().FindFileClones)
            FindFileDuplicates(*this);
        if (stopped(true))
            return Finish(outcome);
        if (Host.ReadSettings().FindFolderClones)
            FindDirectoryDuplicates(*this);
        if (stopped(true))
            return Finish(outcome);
        Host.SetStatus(u"  " + TranslateText(u"Done."));
    } catch (const std::exception& error) {
        outcome = TScanOutcome::soFailed;
        Host.ShowMessage(TranslateText(u"Error: ") + Platform::Utf8ToText(error.what()));
    }
    return Finish(outcome);
}

TScanOutcome TScanEngine::Finish(TScanOutcome outcome) {
    Host.SetProgressPosition(0);
    Host.SetBusy(false);
    FScanning = false;
    return outcome;
}

void TScanEngine::Stop() {
    if (!FScanning)
        return;
    FStopRequested = true;
    Host.SetStatus(TranslateText(u"Stopping..."));
}

void TScanEngine::ClearResults() {
    lvFiles.ClearItems();
    lvDirs.ClearItems();
    ClearListGroups(lvFiles);
    ClearListGroups(lvDirs);
    FFileMap.Clear();
    FFiles.clear();
    FCollectedIds.Clear();
    FFileGroupsFound = 0;
    FDirGroupsFound = 0;
    Host.SetProgressPosition(0);
    Host.SetStatus(Text());
}

void TScanEngine::ClearDigestCache() {
    if (FScanning)
        FDigestCacheCleared = true;
    // Only the plain file the cache is; a link or folder in its place is not ours.
    Platform::TFileStatus status;
    if (!FDigestCachePath.empty() && Platform::QueryFile(FDigestCachePath, status) &&
        status.IsRegular)
        Platform::RemoveFile(FDigestCachePath);
}

void TScanEngine::SetMarquee(bool on) {
    Host.SetMarqueeStyle(on);
    Host.KeepResponsive();
}
