#include "core/FolderWalk.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

#include "core/CompareText.h"
#include "core/ScanEngine.h"
#include "core/ScanSettings.h"
#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

using Platform::TDirEntry;
using Platform::TFileId;

constexpr std::int64_t BytesPerMB = 1048576;

class TListingBuilder {
public:
    TListingBuilder(const TFileMask& mask, std::vector<Text>& paths) : FMask(mask), FPaths(paths) {}

    void Walk(const Text& folder) {
        std::vector<TDirEntry> entries;
        TFileId id;
        if (Platform::ListFolder(folder, entries, &id) != Platform::TListStatus::lsOk)
            return;
        if (std::find(FWalkPath.begin(), FWalkPath.end(), id) != FWalkPath.end())
            return;
        FWalkPath.push_back(id);
        std::sort(entries.begin(), entries.end(), [](const TDirEntry& a, const TDirEntry& b) {
            return CompareTextLess(a.Name, b.Name);
        });
        for (const TDirEntry& entry : entries) {
            if (entry.IsFolder) {
                Walk(Platform::IncludeTrailingSeparator(
                    Platform::JoinPath(folder, entry.Name, Platform::NativeSyntax),
                    Platform::NativeSyntax));
            } else if (FMask.Matches(entry.Name)) {
                FPaths.push_back(Platform::JoinPath(folder, entry.Name, Platform::NativeSyntax));
            }
        }
        FWalkPath.pop_back();
    }

private:
    const TFileMask& FMask;
    std::vector<Text>& FPaths;
    std::vector<TFileId> FWalkPath;  // folders from the listed folder down to this one
};

std::int64_t SizeThreshold(std::int64_t minSizeMB) {
    if (minSizeMB <= 0)
        return 0;
    if (minSizeMB > std::numeric_limits<std::int64_t>::max() / BytesPerMB)
        return std::numeric_limits<std::int64_t>::max();
    return minSizeMB * BytesPerMB;
}

// Makes the records of a listing: each asks the platform for its file's size and identity.
// The work is spread over the logical processors; the records are used in listing order.
void MeasureListing(std::vector<Text>& listing, std::vector<std::unique_ptr<TFileInfo>>& records,
                    std::vector<TFileId>& ids) {
    const std::size_t count = listing.size();
    records.resize(count);
    ids.resize(count);
    constexpr std::size_t chunk = 256;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (;;) {
            const std::size_t first = next.fetch_add(chunk);
            if (first >= count)
                return;
            const std::size_t last = std::min(count, first + chunk);
            for (std::size_t i = first; i < last; ++i)
                records[i] = std::make_unique<TFileInfo>(std::move(listing[i]), &ids[i]);
        }
    };
    const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(
        std::max(1u, std::thread::hardware_concurrency()), count / chunk + 1));
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (auto& t : threads)
        t.join();
}

int ProgressMax(std::size_t count) {
    if (count == 0)
        return 1;
    return count > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(count);
}

}  // namespace

bool BuildListing(const Text& folder, const TFileMask& mask, std::vector<Text>& paths) {
    paths.clear();
    if (!Platform::DirectoryExists(folder))
        return false;
    TListingBuilder(mask, paths).Walk(folder);
    return true;
}

void CollectFiles(TScanEngine& engine) {
    TScanHost& host = engine.Host;
    host.SetStatus(TranslateText(u"Scanning folders..."));
    host.KeepResponsive();

    const TScanSettings settings = host.ReadSettings();
    const std::vector<Text> masks = ParseMasks(settings.Masks);
    const std::int64_t threshold = SizeThreshold(settings.MinSizeMB);

    std::vector<Text> listing;
    std::vector<std::unique_ptr<TFileInfo>> records;
    std::vector<TFileId> ids;
    for (std::size_t f = 0;; ++f) {
        // The folder list is looked at anew before each folder.
        const std::vector<Text> folders = f == 0 ? settings.Folders : host.ReadSettings().Folders;
        if (f >= folders.size() || engine.StopRequested())
            break;
        const Text& folder = folders[f];
        if (!Platform::DirectoryExists(folder))
            continue;

        for (const Text& maskText : masks) {
            if (engine.StopRequested())
                break;
            host.SetStatus(TranslateFormat(u"Scanning folder list: %s   [%s]", {folder, maskText}));
            engine.SetMarquee(true);
            const std::optional<TFileMask> mask = TFileMask::Compile(maskText);
            try {
                if (!mask || !BuildListing(folder, *mask, listing))
                    listing.clear();
            } catch (const std::exception&) {
                listing.clear();  // a listing that fails yields nothing, silently
            }
            engine.SetMarquee(false);
            const std::size_t count = listing.size();
            host.SetProgressMax(ProgressMax(count));
            MeasureListing(listing, records, ids);
            std::vector<Text>().swap(listing);  // its texts moved into the records
            engine.FFileMap.Reserve(engine.FFiles.size() + count);
            engine.FCollectedIds.Reserve(engine.FFiles.size() + count);

            for (std::size_t i = 0; i < count; ++i) {
                if (engine.StopRequested())
                    break;
                std::unique_ptr<TFileInfo> record = std::move(records[i]);
                if (threshold > 0 && record->Size < threshold)
                    continue;
                if (record->Size == 0)
                    continue;
                if (engine.FFileMap.Find(record->FullPath))
                    continue;
                // One physical file is collected once, under the first path that reached it.
                if (!engine.FCollectedIds.Insert(ids[i]))
                    continue;
                engine.FFileMap.Add(record.get());
                engine.FFiles.push_back(std::move(record));
                host.SetProgressPosition(ProgressMax(i + 1));
                if (i % 50 == 0 || i + 1 == count) {
                    host.SetStatus(TranslateFormat(
                        u"Scanning: %s (%d/%d)",
                        {engine.FFiles.back()->FullPath, static_cast<std::int64_t>(i + 1),
                         static_cast<std::int64_t>(count)}));
                    host.KeepResponsive();
                }
            }
            std::vector<std::unique_ptr<TFileInfo>>().swap(records);
            std::vector<TFileId>().swap(ids);
        }
    }
    host.SetProgressPosition(0);
    const auto collected = static_cast<std::int64_t>(engine.FFiles.size());
    host.SetStatus(
        engine.StopRequested()
            ? TranslateFormat(u"Scanning cancelled. %d files collected so far.", {collected})
            : TranslateFormat(u"Found %d files (after filters).", {collected}));
}
