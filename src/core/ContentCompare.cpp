#include "core/ContentCompare.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/FileInfo.h"
#include "platform/FileSystem.h"
#include "platform/PathProbe.h"
#include "platform/PathSyntax.h"

namespace {

constexpr std::size_t CompareBlockSize = 256 * 1024;

using Platform::TDirEntry;
using Platform::TFileStatus;

// Reads until the buffer is full or the file ends: a short read is not the end.
std::size_t ReadFull(Platform::TFileReader& reader, unsigned char* buffer, std::size_t size) {
    std::size_t total = 0;
    while (total < size) {
        const std::size_t n = reader.Read(buffer + total, size - total);
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

enum class TEntryKind { ekFile, ekFolder, ekLink, ekOther, ekUnknown };

struct TEntry {
    Text Name;
    Text Key;  // the name as the file system compares it
    TEntryKind Kind = TEntryKind::ekUnknown;
    TFileStatus Status;  // files
};

TEntryKind KindOf(const TDirEntry& entry, const Text& path, TFileStatus& status) {
    if (entry.IsLink)
        return TEntryKind::ekLink;
    if (entry.IsFolder)
        return TEntryKind::ekFolder;
    if (entry.Measured)
        status = entry.Status;
    else if (!Platform::QueryFile(path, status))
        return TEntryKind::ekUnknown;
    return status.IsRegular ? TEntryKind::ekFile : TEntryKind::ekOther;
}

// The entries of one folder, sorted by their keys; false when it cannot be listed whole.
bool ListSorted(const Text& folder, std::vector<TEntry>& out, Platform::TFileId& id) {
    std::vector<TDirEntry> entries;
    if (Platform::ListFolderMeasured(folder, entries, &id) != Platform::TListStatus::lsOk)
        return false;
    out.clear();
    out.reserve(entries.size());
    for (TDirEntry& entry : entries) {
        TEntry& e = out.emplace_back();
        e.Kind =
            KindOf(entry, Platform::JoinPath(folder, entry.Name, Platform::NativeSyntax), e.Status);
        e.Key = PathKey(entry.Name);
        e.Name = std::move(entry.Name);
    }
    std::sort(out.begin(), out.end(), [](const TEntry& x, const TEntry& y) {
        return x.Key != y.Key ? x.Key < y.Key : x.Name < y.Name;
    });
    return true;
}

TSameness Worse(TSameness a, TSameness b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

// One pair of entries with equal keys; folders are left to the caller.
TSameness CompareEntries(const TEntry& x, const Text& xPath, const TEntry& y, const Text& yPath,
                         TPacer& pacer) {
    if (x.Kind == TEntryKind::ekUnknown || y.Kind == TEntryKind::ekUnknown ||
        x.Kind == TEntryKind::ekOther || y.Kind == TEntryKind::ekOther)
        return TSameness::snUnreadable;
    if (x.Kind != y.Kind)
        return TSameness::snDiffer;
    if (x.Kind == TEntryKind::ekLink) {
        std::string xTarget, yTarget;
        if (!Platform::ReadLinkTarget(xPath, xTarget) || !Platform::ReadLinkTarget(yPath, yTarget))
            return TSameness::snUnreadable;
        return xTarget == yTarget ? TSameness::snSame : TSameness::snDiffer;
    }
    // Two files.
    if (x.Status.Size != y.Status.Size)
        return TSameness::snDiffer;
    if (x.Status.Id == y.Status.Id)
        return TSameness::snSame;  // one physical file: the other tree keeps its own name
    TReadFiles read;
    const TSameness bytes = CompareFileBytes(xPath, yPath, pacer, &read);
    if (bytes != TSameness::snSame)
        return bytes;
    if (read.A.Id != x.Status.Id || read.B.Id != y.Status.Id)
        return TSameness::snDiffer;  // another file than the one listed was read
    // And still there under their names.
    TFileStatus xNow, yNow;
    if (!Platform::QueryFile(xPath, xNow) || !Platform::QueryFile(yPath, yNow) || !xNow.IsRegular ||
        !yNow.IsRegular || xNow.Id != x.Status.Id || yNow.Id != y.Status.Id)
        return TSameness::snDiffer;
    return TSameness::snSame;
}

}  // namespace

TSameness CompareFileBytes(const Text& a, const Text& b, TPacer& pacer, TReadFiles* read) {
    // One pair of buffers per thread: a check compares many small files.
    thread_local std::unique_ptr<unsigned char[]> bufferA(new unsigned char[CompareBlockSize]);
    thread_local std::unique_ptr<unsigned char[]> bufferB(new unsigned char[CompareBlockSize]);
    std::optional<Platform::TFileReader> readerA, readerB;
    TReadFiles opened;
    try {
        // Not through a link put in a file's place after it was checked.
        readerA.emplace(a, Platform::TLinkRule::lrRefuse);
        readerB.emplace(b, Platform::TLinkRule::lrRefuse);
        opened = {readerA->Status(), readerB->Status()};
    } catch (const Platform::EPlatformError&) {
        return TSameness::snUnreadable;
    }
    if (!opened.A.IsRegular || !opened.B.IsRegular)
        return TSameness::snUnreadable;
    if (read != nullptr)
        *read = opened;
    for (;;) {
        // Outside the reading's error handling: what a message handler raises is its own.
        if (!pacer.Continue())
            return TSameness::snStopped;
        std::size_t n = 0, m = 0;
        try {
            n = ReadFull(*readerA, bufferA.get(), CompareBlockSize);
            m = ReadFull(*readerB, bufferB.get(), CompareBlockSize);
        } catch (const Platform::EPlatformError&) {
            return TSameness::snUnreadable;
        }
        if (n != m || std::memcmp(bufferA.get(), bufferB.get(), n) != 0)
            return TSameness::snDiffer;
        if (n < CompareBlockSize)
            return TSameness::snSame;
    }
}

TSameness CompareTrees(const Text& a, const Text& b, TPacer& pacer) {
    // Folder pairs still to compare; a stack, not recursion, so that no depth overflows.
    std::vector<std::pair<Text, Text>> pending{{a, b}};
    std::vector<TEntry> xs, ys;
    TSameness result = TSameness::snSame;
    while (!pending.empty()) {
        if (!pacer.Continue())
            return TSameness::snStopped;
        const auto [x, y] = std::move(pending.back());
        pending.pop_back();
        Platform::TFileId xId, yId;
        if (!ListSorted(x, xs, xId) || !ListSorted(y, ys, yId))
            return TSameness::snUnreadable;
        if (xId == yId)
            return TSameness::snDiffer;  // one folder seen twice is no copy of itself
        if (xs.size() != ys.size())
            return TSameness::snDiffer;
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (xs[i].Key != ys[i].Key)
                return TSameness::snDiffer;
        }
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (!pacer.Continue())
                return TSameness::snStopped;
            const Text xPath = Platform::JoinPath(x, xs[i].Name, Platform::NativeSyntax);
            const Text yPath = Platform::JoinPath(y, ys[i].Name, Platform::NativeSyntax);
            if (xs[i].Kind == TEntryKind::ekFolder && ys[i].Kind == TEntryKind::ekFolder) {
                pending.emplace_back(xPath, yPath);
                continue;
            }
            const TSameness entry = CompareEntries(xs[i], xPath, ys[i], yPath, pacer);
            if (entry == TSameness::snDiffer || entry == TSameness::snStopped)
                return entry;
            // An unreadable entry decides only when nothing differs elsewhere.
            result = Worse(result, entry);
        }
    }
    return result;
}
