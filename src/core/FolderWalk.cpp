// The folder walk.
//
// Each folder of the list is walked once for all masks, and each file name goes into the
// listing of the first mask that matches it. The listings are then collected mask by mask,
// which gives what walking the folder again for every mask gives: a file that a later mask
// matches too was collected, or refused for its size, under the first one.
//
// A directory is listed at most once per scan, known by its identity, so a link to a folder
// costs one visit whatever leads to it and no link can make the walk cycle; directories on
// the kernel's own file systems are not entered. The walk keeps its path on the heap, not
// the stack, and tests the stop flag at every entry.
#include "core/FolderWalk.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <thread>

#include "core/CompareText.h"
#include "core/ScanSettings.h"
#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

using Platform::TDirEntry;
using Platform::TFileId;

constexpr std::int64_t BytesPerMB = 1048576;

// No identity either platform gives (both leave IndexHigh 0): the listing could not tell it.
constexpr TFileId UnknownId{.Volume = ~0ull, .IndexHigh = ~0ull, .IndexLow = ~0ull};

// As the masks compare: ASCII letters regardless of case, every other character exactly.
char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}

// The plain characters a mask ends in, after its last wildcard or set.
TextView PlainEnding(TextView mask) {
    const std::size_t last = mask.find_last_of(u"*?[]");
    return last == TextView::npos ? mask : mask.substr(last + 1);
}

std::int64_t SizeThreshold(std::int64_t minSizeMB) {
    if (minSizeMB <= 0)
        return 0;
    if (minSizeMB > std::numeric_limits<std::int64_t>::max() / BytesPerMB)
        return std::numeric_limits<std::int64_t>::max();
    return minSizeMB * BytesPerMB;
}

// Measures the records from first on: each asks the platform for its file's size and
// identity. The work is spread over the logical processors. The helpers are joined on every
// way out, and the first error of any of them (memory, say) is raised here once all have
// ended.
void MeasureRecords(const TFileList& files, std::size_t first) {
    const std::size_t count = files.size() - first;
    constexpr std::size_t chunk = 256;
    const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(
        std::max(1u, std::thread::hardware_concurrency()), count / chunk + 1));
    std::atomic<std::size_t> next{0};
    std::vector<std::exception_ptr> errors(workers);
    auto work = [&](std::exception_ptr& error) {
        try {
            Text path;
            for (;;) {
                const std::size_t from = next.fetch_add(chunk);
                if (from >= count)
                    return;
                const std::size_t to = std::min(count, from + chunk);
                for (std::size_t i = from; i < to; ++i)
                    MeasureRecord(*files[first + i], path);
            }
        } catch (...) {
            error = std::current_exception();
            next.store(count);  // the others stop at their next chunk
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(workers);
    struct TJoiner {
        std::vector<std::thread>& Threads;
        std::atomic<std::size_t>& Next;
        std::size_t Count;
        ~TJoiner() {
            Next.store(Count);  // a thread that could not be started ends the others' work too
            for (auto& t : Threads)
                t.join();
        }
    };
    {
        TJoiner joiner{threads, next, count};
        for (unsigned w = 1; w < workers; ++w)
            threads.emplace_back(work, std::ref(errors[w]));
        work(errors[0]);
    }
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

int ProgressMax(std::size_t count) {
    if (count == 0)
        return 1;
    return count > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(count);
}

}  // namespace

TMaskList::TMaskList(const std::vector<Text>& masks) {
    FMasks.reserve(masks.size());
    for (std::size_t i = 0; i < masks.size(); ++i) {
        FMasks.push_back(TFileMask::Compile(masks[i]));
        if (!FMasks.back())
            continue;
        const TextView ending = masks[i] == MatchEveryName ? TextView() : PlainEnding(masks[i]);
        if (ending.empty()) {
            FOthers.push_back(i);
            continue;
        }
        Text key(ending);
        for (char16_t& c : key)
            c = Fold(c);
        FByEnding[key].push_back(i);
        if (std::find(FEndingLengths.begin(), FEndingLengths.end(), key.size()) ==
            FEndingLengths.end())
            FEndingLengths.push_back(key.size());
    }
    std::sort(FEndingLengths.begin(), FEndingLengths.end());
}

std::size_t TMaskList::FirstMatch(TextView name) {
    std::size_t best = NoMatch;
    // Each candidate list is in mask order: its first match is its best.
    auto firstOf = [&](const std::vector<std::size_t>& candidates) {
        for (const std::size_t m : candidates) {
            if (m >= best)
                return;
            if (FMasks[m]->Matches(name)) {
                best = m;
                return;
            }
        }
    };
    for (const std::size_t length : FEndingLengths) {
        if (length > name.size())
            break;
        FKey.assign(name.substr(name.size() - length));
        for (char16_t& c : FKey)
            c = Fold(c);
        if (const auto found = FByEnding.find(FKey); found != FByEnding.end())
            firstOf(found->second);
    }
    firstOf(FOthers);
    return best;
}

TFolderWalk::TFolderWalk(TMaskList& masks, const TStopToken& stop,
                         std::function<void()> keepResponsive)
    : FMasks(masks), FStop(stop), FKeepResponsive(std::move(keepResponsive)) {}

bool TFolderWalk::OnPseudoFileSystem(const Text& folder, std::uint64_t volume) {
    // One question per volume: every folder of a volume lies on its file system.
    for (const auto& [known, pseudo] : FVolumes)
        if (known == volume)
            return pseudo;
    const bool pseudo = Platform::IsPseudoFileSystem(folder);
    FVolumes.emplace_back(volume, pseudo);
    return pseudo;
}

void TFolderWalk::Enter(Text folder, std::vector<TFrame>& stack) {
    TFrame frame;
    frame.Folder = std::move(folder);
    TFileId id = UnknownId;
    if (Platform::ListFolder(frame.Folder, frame.Entries, &id) != Platform::TListStatus::lsOk)
        return;
    if (id == UnknownId) {
        if (Platform::IsPseudoFileSystem(frame.Folder))
            return;
    } else if (!FListed.Insert(id) || OnPseudoFileSystem(frame.Folder, id.Volume)) {
        return;  // listed before, under this path or another one
    }
    std::sort(
        frame.Entries.begin(), frame.Entries.end(),
        [](const TDirEntry& a, const TDirEntry& b) { return CompareTextLess(a.Name, b.Name); });
    stack.push_back(std::move(frame));
}

void TFolderWalk::List(const Text& folder, TFileList& files,
                       std::vector<std::vector<TPackedName>>& later) {
    const std::size_t start = files.size();
    later.assign(FMasks.Count(), {});
    std::vector<TFrame> stack;
    Enter(folder, stack);
    std::size_t sinceKeep = 0;
    while (!stack.empty()) {
        TFrame& top = stack.back();
        if (top.Next == top.Entries.size()) {
            stack.pop_back();
            continue;
        }
        if (++sinceKeep == ListingKeepInterval) {
            sinceKeep = 0;
            FKeepResponsive();
        }
        if (FStop.Requested()) {
            files.Truncate(start);
            later.assign(FMasks.Count(), {});
            return;
        }
        const TDirEntry& entry = top.Entries[top.Next++];
        if (entry.IsFolder) {
            // Entering may move the frames: top is not used after it.
            Enter(Platform::IncludeTrailingSeparator(
                      Platform::JoinPath(top.Folder, entry.Name, Platform::NativeSyntax),
                      Platform::NativeSyntax),
                  stack);
        } else if (const std::size_t m = FMasks.FirstMatch(entry.Name); m != TMaskList::NoMatch) {
            // The frame's folder ends in a separator: folder and name make the full path.
            if (top.Record == nullptr)
                top.Record = files.AddFolder(top.Folder);
            const TPackedName name = files.PackName(top.Record, entry.Name);
            if (m == 0)
                files.Add(name);
            else
                later[m].push_back(name);
        }
    }
}

void CollectFiles(TScanHost& host, const TStopToken& stop, TScanState& state) {
    host.SetStatus(TranslateText(u"Scanning folders..."));
    host.KeepResponsive();

    const TScanSettings settings = host.ReadSettings();
    const std::vector<Text> masks = ParseMasks(settings.Masks);
    const std::int64_t threshold = SizeThreshold(settings.MinSizeMB);
    TMaskList maskList(masks);
    TFolderWalk walk(maskList, stop, [&host] { host.KeepResponsive(); });

    TFileList& files = state.Files;
    std::vector<std::vector<TPackedName>> later;  // per mask, from the second on
    Text path;
    for (std::size_t f = 0;; ++f) {
        // The folder list is looked at anew before each folder.
        const std::vector<Text> folders = f == 0 ? settings.Folders : host.ReadSettings().Folders;
        if (f >= folders.size() || stop.Requested())
            break;
        const Text& folder = folders[f];
        if (!Platform::DirectoryExists(folder))
            continue;

        for (std::size_t m = 0; m < masks.size(); ++m) {
            if (stop.Requested())
                break;
            host.SetStatus(TranslateFormat(u"Scanning folder list: %s   [%s]", {folder, masks[m]}));
            SetMarquee(host, true);
            const std::size_t first = files.size();
            // Records of this mask that are not yet taken go on every way out: what was
            // collected before a failure stays as it was.
            struct TUntaken {
                TFileList& Files;
                std::size_t& Kept;
                ~TUntaken() { Files.Truncate(Kept); }
            };
            std::size_t kept = first;
            TUntaken untaken{files, kept};
            // One walk of the folder serves every mask: the first mask's files are added as
            // it goes, each later mask adds its own listing when its turn comes.
            if (m == 0) {
                try {
                    walk.List(folder, files, later);
                } catch (const Platform::EPlatformError&) {
                    files.Truncate(first);  // a folder that fails yields nothing
                    later.assign(masks.size(), {});
                }
            } else {
                for (const TPackedName& name : later[m])
                    files.Add(name);
                std::vector<TPackedName>().swap(later[m]);
            }
            SetMarquee(host, false);
            const std::size_t count = files.size() - first;
            host.SetProgressMax(ProgressMax(count));
            MeasureRecords(files, first);
            state.FileMap.Reserve(first + count);
            state.CollectedIds.Reserve(first + count);

            // The records refused are dropped by moving each kept one down into place.
            for (std::size_t i = 0; i < count; ++i) {
                if (stop.Requested())
                    break;
                const TFileInfo& record = *files[first + i];
                if (threshold > 0 && record.Size < threshold)
                    continue;
                if (record.Size == 0)
                    continue;
                record.AssignFullPath(path);
                if (state.FileMap.Find(path))
                    continue;
                if (kept != first + i)
                    *files[kept] = record;
                // One physical file is collected once, under the first path that reached it.
                if (!state.CollectedIds.Insert(kept))
                    continue;
                state.FileMap.Add(kept);
                ++kept;
                host.SetProgressPosition(ProgressMax(i + 1));
                if (i % 50 == 0 || i + 1 == count) {
                    host.SetStatus(TranslateFormat(u"Scanning: %s (%d/%d)",
                                                   {path, static_cast<std::int64_t>(i + 1),
                                                    static_cast<std::int64_t>(count)}));
                    host.KeepResponsive();
                }
            }
        }
    }
    // The path index and the identities serve the walk alone: no later phase looks a path
    // up, and for a million files they hold tens of megabytes the hashing can use.
    state.FileMap.Clear();
    state.CollectedIds.Clear();
    host.SetProgressPosition(0);
    const auto collected = static_cast<std::int64_t>(files.size());
    host.SetStatus(
        stop.Requested()
            ? TranslateFormat(u"Scanning cancelled. %d files collected so far.", {collected})
            : TranslateFormat(u"Found %d files (after filters).", {collected}));
}
