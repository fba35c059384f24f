#include "core/ScanEngine.h"

#include "core/ContentHash.h"
#include "core/DirectoryDuplicates.h"
#include "core/FileGrouping.h"
#include "core/FolderWalk.h"
#include "platform/CacheFolder.h"
#include "translation/Translation.h"

TScanEngine::TScanEngine(TScanHost& host, TResultList& filesList, TResultList& dirsList)
    : FHost(host), FFilesList(filesList), FDirsList(dirsList) {}

TScanOutcome TScanEngine::Scan() {
    // A second scan inside the first would free records the first still uses.
    if (FScanning)
        return TScanOutcome::soRefused;
    if (FHost.ReadSettings().Folders.empty()) {
        FHost.ShowMessage(TranslateText(u"Please add at least one folder."));
        return TScanOutcome::soRefused;
    }

    FStop.Reset();
    FDigestCache.Cleared = false;
    FScanning = true;
    FHost.SetBusy(true);

    TScanOutcome outcome = TScanOutcome::soDone;
    auto stopped = [&](bool cancelText) {
        if (!StopRequested())
            return false;
        if (cancelText)
            FHost.SetStatus(TranslateText(u"Cancelled"));
        outcome = TScanOutcome::soCancelled;
        return true;
    };
    try {
        ClearResults();
        CollectFiles(FHost, FStop, FState);
        if (stopped(false))
            return Finish(outcome);
        // Each setting is read when its phase is reached, not at the start of the scan.
        TScanSettings settings = FHost.ReadSettings();
        if (GetCompareMode(settings.CompareIndex) == cmContent &&
            (settings.FindFileClones || settings.FindFolderClones))
            ComputeAllHashes(FHost, FStop, FState.Files, 0, &FDigestCache);
        if (stopped(false))
            return Finish(outcome);
        if (FHost.ReadSettings().FindFileClones)
            FFileGroupsFound =
                FindFileDuplicates(FHost, FStop, FState.Files, FFilesList, FListedCompareMode);
        if (stopped(true))
            return Finish(outcome);
        if (FHost.ReadSettings().FindFolderClones)
            FDirGroupsFound = FindDirectoryDuplicates(FHost, FStop, FDirsList);
        if (stopped(true))
            return Finish(outcome);
        FHost.SetStatus(u"  " + TranslateText(u"Done."));
    } catch (const std::exception& error) {
        outcome = TScanOutcome::soFailed;
        FHost.ShowMessage(TranslateText(u"Error: ") + Platform::Utf8ToText(error.what()));
    }
    return Finish(outcome);
}

TScanOutcome TScanEngine::Finish(TScanOutcome outcome) {
    FHost.SetProgressPosition(0);
    FHost.SetBusy(false);
    FScanning = false;
    return outcome;
}

void TScanEngine::Stop() {
    if (!FScanning)
        return;
    FStop.Request();
    FHost.SetStatus(TranslateText(u"Stopping..."));
}

void TScanEngine::ClearResults() {
    FFilesList.ClearItems();
    FDirsList.ClearItems();
    ClearListGroups(FFilesList);
    ClearListGroups(FDirsList);
    FState.Clear();
    FFileGroupsFound = 0;
    FDirGroupsFound = 0;
    FHost.SetProgressPosition(0);
    FHost.SetStatus(Text());
}

void TScanEngine::ClearDigestCache() {
    if (FScanning)
        FDigestCache.Cleared = true;
    // Only the plain file the cache is; a link or folder in its place is not ours.
    Platform::TFileStatus status;
    if (!FDigestCache.Path.empty() && Platform::QueryFile(FDigestCache.Path, status) &&
        status.IsRegular)
        Platform::RemoveFile(FDigestCache.Path);
}
