// Directory signatures.
//
// Collecting walks each folder of the list depth first, each folder's entries in CompareText
// order, and records every directory once by its identity: the first path that reaches it
// becomes its key. A later path to an already collected directory (a link, a bind mount, an
// overlapping folder of the list) is kept as an alias of it; one that leads back into a
// folder on the current walk path is a cycle and is not entered.
//
// Analysis lists every collected directory again and hashes the sorted list of its entries:
// files by lower-cased name and size, subdirectories by name, signature and total size. A
// link to a folder, and any alias, is a link entry naming the directory it leads to, never
// that directory's content, so a folder of links never equals the folders they point to.
// Keys are analysed longest first, so every directory comes after the directories below it.
//
// A directory that cannot be listed, or one of whose entries cannot be measured or is
// unknown, is incomplete: its entries include its own key, so its signature is its own, and
// so is that of every directory above it. Such a directory is never a clone of anything.
#include <algorithm>
#include <cstring>
#include <numeric>

#include "core/CompareText.h"
#include "core/DirSignatures.h"
#include "core/FlatTable.h"
#include "core/SizeSum.h"
#include "platform/FileSystem.h"
#include "platform/Sha1.h"
#include "platform/TextServices.h"
#include "translation/TextFormat.h"

namespace {

using Platform::TDirEntry;
using Platform::TFileId;
using Platform::TListStatus;

constexpr Platform::TPathSyntax Syntax = Platform::NativeSyntax;

const Text FilesAccessError = u"!FILES_ACCESS_ERROR!";
const Text DirsAccessError = u"!DIRS_ACCESS_ERROR!";
const Text UnknownChildSig = u"!UNKNOWN_CHILD_SIG!";
const Text IncompleteMark = u"!INCOMPLETE!|";  // followed by the directory's key

// A key's hash as the key index stores it.
std::size_t KeyHash(const Text& key) {
    return std::hash<Text>()(key);
}

std::size_t DigestHash(const Platform::TSha1Digest& digest) {
    std::size_t hash = 0;
    std::memcpy(&hash, digest.data(), sizeof hash);
    return hash;
}

// The subfolder names of a listing in the walk's order.
std::vector<Text> SubfolderNames(std::vector<TDirEntry>& entries) {
    std::vector<Text> names;
    for (TDirEntry& entry : entries)
        if (entry.IsFolder)
            names.push_back(std::move(entry.Name));
    std::sort(names.begin(), names.end(),
              [](const Text& a, const Text& b) { return CompareTextLess(a, b); });
    return names;
}

// The entry of a link (or another path) to the directory whose key is target: its name, then
// where it leads. Below the folder that holds it, that is the path from the folder, so that
// two copies of a tree with a link inside each stay equal; elsewhere it is the key itself.
Text LinkEntry(const Text& folder, const Text& linkPath, const Text& target) {
    const Text prefix = Platform::IncludeTrailingSeparator(folder, Syntax);
    const bool below =
        target != linkPath && target.size() > prefix.size() && target.starts_with(prefix);
    return u"L|" + DirEntryName(linkPath, Syntax) + u'|' +
           (below ? target.substr(prefix.size()) : target);
}

class TDirScan {
public:
    // The directories are collected into the result, which holds each key once.
    explicit TDirScan(TDirSignatures& result) : FResult(result), FNodes(result.Dirs) {}
    bool Empty() const { return FNodes.empty(); }

    // Collects a folder of the list (a directory key) and every directory below it.
    void CollectFolder(const Text& key) {
        if (FindKey(key) >= 0)
            return;  // collected already, under this very path
        std::vector<TDirEntry> entries;
        TFileId id;
        const TListStatus status = Platform::ListFolder(key, entries, &id);
        const bool hasId = status == TListStatus::lsOk || Platform::QueryIdentity(key, id);
        if (hasId) {
            if (const auto seen = FById.find(id); seen != FById.end()) {
                FAliases.emplace(key, seen->second);
                return;
            }
        }
        if (OnKernelFileSystem(key, hasId ? &id : nullptr))
            return;
        const int root = AddNode(key, hasId ? &id : nullptr);
        // A folder whose listing fails stays collected, without anything below it.
        if (status == TListStatus::lsOk)
            Walk(root, SubfolderNames(entries));
    }

    // Longer keys first, then CompareText: every directory after the directories below it.
    std::vector<int> AnalysisOrder() const {
        std::vector<int> order(FNodes.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [this](int a, int b) {
            const Text& x = FNodes[a].Key;
            const Text& y = FNodes[b].Key;
            if (x.size() != y.size())
                return x.size() > y.size();
            return CompareTextLess(x, y);
        });
        return order;
    }

    // Lists the directory again and computes its signature and total size.
    void Analyse(int index) {
        TDirRecord& dir = FNodes[index];
        FEntries.clear();
        FListing.clear();
        std::int64_t total = 0;
        bool incomplete = false;
        switch (Platform::ListFolderMeasured(dir.Key, FListing)) {
            case TListStatus::lsOk:
                break;
            case TListStatus::lsDenied:
                incomplete = true;  // not empty: its entries are unknown
                break;
            case TListStatus::lsFailed:
                FListing.clear();
                FEntries.push_back(FilesAccessError);
                FEntries.push_back(DirsAccessError);
                incomplete = true;
                break;
        }
        for (const TDirEntry& entry : FListing) {
            if (entry.IsFolder)
                continue;
            std::int64_t size = 0;
            if (!MeasuredSize(dir.Key, entry, size))
                incomplete = true;  // in a folder that cannot be searched every size reads 0
            total = AddSizes(total, size);
            FEntries.push_back(u"F|" + Platform::LowerCase(entry.Name) + u'|' +
                               Platform::IntToText(size));
        }
        for (const TDirEntry& entry : FListing) {
            if (!entry.IsFolder)
                continue;
            const Text childKey = Platform::JoinPath(dir.Key, entry.Name, Syntax);
            const int child = Lookup(childKey);
            if (child >= 0 && (entry.IsLink || FNodes[child].Key != childKey)) {
                FEntries.push_back(LinkEntry(dir.Key, childKey, FNodes[child].Key));
                continue;
            }
            const TDirRecord* node = child >= 0 ? &FNodes[child] : nullptr;
            const bool known = node != nullptr && node->Analysed;
            // Not collected: made since, or it could not be listed then.
            incomplete = incomplete || !known || node->Incomplete;
            const std::int64_t size = known ? node->Size : 0;
            total = AddSizes(total, size);
            FEntries.push_back(u"D|" + DirEntryName(childKey, Syntax) + u'|' +
                               (known ? Platform::DigestToHex(node->Signature) : UnknownChildSig) +
                               u'|' + Platform::IntToText(size));
        }
        if (incomplete)
            FEntries.push_back(IncompleteMark + dir.Key);
        dir.Incomplete = incomplete;
        dir.Signature = DirSignature(FEntries);
        dir.Size = total;
        if (!dir.Analysed)
            ++FResult.AnalysedCount;
        dir.Analysed = true;
        // A bucket is found by the signature of its first directory.
        std::vector<std::vector<std::uint32_t>>& buckets = FResult.Buckets;
        const auto sameSignature = [&](std::uint32_t b) {
            return FNodes[buckets[b].front()].Signature == dir.Signature;
        };
        const std::size_t hash = DigestHash(dir.Signature);
        std::uint32_t bucket = 0;
        if (const std::uint32_t* found = FBucketIndex.Find(hash, sameSignature)) {
            bucket = *found;
        } else {
            bucket = static_cast<std::uint32_t>(buckets.size());
            buckets.emplace_back();
            FBucketIndex.Insert(hash, bucket, [](std::uint32_t) { return false; });
        }
        buckets[bucket].push_back(static_cast<std::uint32_t>(index));
    }

private:
    int AddNode(const Text& key, const TFileId* id) {
        const int index = static_cast<int>(FNodes.size());
        FNodes.emplace_back().Key = key;
        FKeyIndex.Insert(KeyHash(key), static_cast<std::uint32_t>(index),
                         [](std::uint32_t) { return false; });  // keys are added once
        if (id != nullptr)
            FById.emplace(*id, index);
        return index;
    }

    // The size of a file entry, measured through the listing or by its path; false when it
    // cannot be measured.
    static bool MeasuredSize(const Text& folder, const TDirEntry& entry, std::int64_t& size) {
        if (entry.Measured) {
            size = entry.Status.Size;
            return true;
        }
        Platform::TFileStatus status;
        if (!Platform::QueryFile(Platform::JoinPath(folder, entry.Name, Syntax), status))
            return false;
        size = status.Size;
        return true;
    }

    // The kernel's own file systems (proc, sysfs, ...) hold no stored files, and some never
    // end; asked once per volume.
    bool OnKernelFileSystem(const Text& key, const TFileId* id) {
        if (id == nullptr)
            return Platform::IsPseudoFileSystem(key);
        for (const auto& [volume, pseudo] : FVolumes)
            if (volume == id->Volume)
                return pseudo;
        const bool pseudo = Platform::IsPseudoFileSystem(key);
        FVolumes.emplace_back(id->Volume, pseudo);
        return pseudo;
    }

    // Iterative, so that a deep tree cannot exhaust the stack.
    void Walk(int root, std::vector<Text> subfolders) {
        struct TFrame {
            int Node;
            std::vector<Text> Subfolders;
            std::size_t Next = 0;
        };
        std::vector<TFrame> stack;
        stack.push_back(TFrame{root, std::move(subfolders)});
        std::vector<TDirEntry> entries;
        while (!stack.empty()) {
            TFrame& top = stack.back();
            if (top.Next == top.Subfolders.size()) {
                stack.pop_back();
                continue;
            }
            const int parent = top.Node;
            const Text childKey =
                Platform::JoinPath(FNodes[parent].Key, top.Subfolders[top.Next++], Syntax);
            if (FindKey(childKey) >= 0)
                continue;  // a folder of the list met again inside another one
            entries.clear();
            TFileId id;
            const TListStatus status = Platform::ListFolder(childKey, entries, &id);
            if (status == TListStatus::lsFailed)
                continue;  // gone since its parent was listed
            const bool hasId = status == TListStatus::lsOk || Platform::QueryIdentity(childKey, id);
            if (hasId) {
                // Another path to a collected directory, or back up the walk path (a cycle):
                // never entered.
                if (const auto seen = FById.find(id); seen != FById.end()) {
                    FAliases.emplace(childKey, seen->second);
                    continue;
                }
            }
            // Not collected: its parent counts as incomplete, never as a clone of anything.
            if (OnKernelFileSystem(childKey, hasId ? &id : nullptr))
                continue;
            const int child = AddNode(childKey, hasId ? &id : nullptr);
            if (status == TListStatus::lsOk)
                stack.push_back(TFrame{child, SubfolderNames(entries)});
        }
    }

    // The directory a subfolder path leads to: collected under it, or an alias; -1 if none.
    int Lookup(const Text& path) const {
        if (const int k = FindKey(path); k >= 0)
            return k;
        if (const auto a = FAliases.find(path); a != FAliases.end())
            return a->second;
        return -1;
    }

    // The directory collected under the key, or -1.
    int FindKey(const Text& key) const {
        const std::uint32_t* found = FKeyIndex.Find(
            KeyHash(key), [&](std::uint32_t index) { return FNodes[index].Key == key; });
        return found ? static_cast<int>(*found) : -1;
    }

    TDirSignatures& FResult;
    std::vector<TDirRecord>& FNodes;
    TFlatTable<std::uint32_t> FKeyIndex;     // key to directory, without a copy of the key
    std::unordered_map<Text, int> FAliases;  // another path to a collected directory
    std::unordered_map<TFileId, int, Platform::TFileIdHash> FById;
    TFlatTable<std::uint32_t> FBucketIndex;  // signature to bucket
    std::vector<Text> FEntries;
    std::vector<TDirEntry> FListing;
    std::vector<std::pair<std::uint64_t, bool>> FVolumes;  // volume, on a kernel file system
};

}  // namespace

Text DirSignatureText(std::vector<Text>& entries) {
    // The collation only orders: entries it calls equal (a.txt and A.txt, or ss and a sharp
    // s) are different names and both count, in the order of their code units.
    std::sort(entries.begin(), entries.end(), [](const Text& a, const Text& b) {
        const int order = Platform::CompareTextIgnoreCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    std::size_t length = 0;
    for (const Text& entry : entries)
        length += entry.size() + 2;
    Text text;
    text.reserve(length);
    for (const Text& entry : entries) {
        text += entry;
        text += u"\r\n";
    }
    return text;
}

Platform::TSha1Digest DirSignature(std::vector<Text>& entries) {
    const std::string bytes = Platform::TextToUtf8(DirSignatureText(entries));
    Platform::TSha1 sha;
    sha.Update(bytes.data(), bytes.size());
    return sha.Final();
}

bool ComputeDirSignatures(TScanHost& host, const TStopToken& stop, TDirSignatures& result) {
    const std::vector<Text> folders = host.ReadSettings().Folders;
    TDirScan scan(result);
    for (const Text& folder : folders) {
        if (stop.Requested())
            break;
        if (!Platform::DirectoryExists(folder))
            continue;
        host.SetStatus(TranslateFormat(u"Collecting directories: %s", {folder}));
        SetMarquee(host, true);
        scan.CollectFolder(NormalizeDirPath(folder));
        SetMarquee(host, false);
        host.KeepResponsive();
    }
    if (stop.Requested() || scan.Empty())
        return false;

    const std::vector<int> order = scan.AnalysisOrder();
    const std::size_t n = order.size();
    host.SetProgressMax(ProgressCount(n));
    host.SetProgressPosition(0);
    host.SetStatus(TranslateFormat(u"Analyzing directories (0/%d)...", {n}));
    host.KeepResponsive();
    for (std::size_t done = 0; done < n;) {
        if (stop.Requested())
            return false;
        scan.Analyse(order[done]);
        ++done;
        host.SetProgressPosition(ProgressCount(done));
        if (done % 10 == 0 || done == n) {
            host.SetStatus(TranslateFormat(u"Analyzing directories (%d/%d)...", {done, n}));
            host.KeepResponsive();
        }
    }
    return !stop.Requested();
}
