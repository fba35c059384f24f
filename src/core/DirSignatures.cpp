// Directory signatures.
//
// Collecting walks each folder of the list depth first, each folder's entries in CompareText
// order, and records every directory once by its identity: the first path that reaches it
// becomes its key. A later path to an already collected directory (a link, a bind mount, an
// overlapping folder of the list) is kept as an alias of it; one that leads back into a
// folder on the current walk path is a cycle and is not entered.
//
// Analysis lists every collected directory again and hashes the sorted set of its entries:
// files by lower-cased name and size, subdirectories by name, signature and total size. Keys
// are analysed longest first, so every directory comes after the directories below it; the
// few that an alias makes depend on a shorter key are moved ahead of the directory that
// needs them.
#include <algorithm>
#include <limits>
#include <numeric>

#include "core/CompareText.h"
#include "core/DirectoryClones.h"
#include "core/ScanEngine.h"
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
constexpr int CycleDir = -1;  // an alias that leads back up the walk

const Text FilesAccessError = u"!FILES_ACCESS_ERROR!";
const Text DirsAccessError = u"!DIRS_ACCESS_ERROR!";
const Text UnknownChildSig = u"!UNKNOWN_CHILD_SIG!";

struct TDirNode {
    Text Key;
    std::vector<int> Deps;  // directories whose signatures go into this one's entries
    Text Signature;         // empty until analysed
    std::int64_t Size = 0;
    bool Finished = false;  // the collecting walk has left it
};

int ClampInt(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
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

class TDirScan {
public:
    bool Empty() const { return FNodes.empty(); }

    // Collects a folder of the list (a directory key) and every directory below it.
    void CollectFolder(const Text& key) {
        if (FKeyIndex.count(key) != 0)
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
        const int root = AddNode(key, hasId ? &id : nullptr);
        // A folder whose listing fails stays collected, without anything below it.
        if (status == TListStatus::lsOk)
            Walk(root, SubfolderNames(entries));
        FNodes[root].Finished = true;
    }

    // Longer keys first, then CompareText; a directory is moved ahead of every directory
    // that needs its signature.
    std::vector<int> AnalysisOrder() const {
        std::vector<int> sorted(FNodes.size());
        std::iota(sorted.begin(), sorted.end(), 0);
        std::sort(sorted.begin(), sorted.end(), [this](int a, int b) {
            const Text& x = FNodes[a].Key;
            const Text& y = FNodes[b].Key;
            if (x.size() != y.size())
                return x.size() > y.size();
            return CompareTextLess(x, y);
        });
        // Depth-first placement of the dependencies; without aliases it keeps the order.
        enum : char { New, Entered, Placed };
        std::vector<char> state(FNodes.size(), New);
        std::vector<int> order;
        order.reserve(FNodes.size());
        std::vector<std::pair<int, std::size_t>> stack;
        for (const int start : sorted) {
            if (state[start] != New)
                continue;
            state[start] = Entered;
            stack.emplace_back(start, 0);
            while (!stack.empty()) {
                auto& [node, next] = stack.back();
                const std::vector<int>& deps = FNodes[node].Deps;
                if (next < deps.size()) {
                    const int dep = deps[next++];
                    if (state[dep] == New) {
                        state[dep] = Entered;
                        stack.emplace_back(dep, 0);
                    }
                    continue;
                }
                state[node] = Placed;
                order.push_back(node);
                stack.pop_back();
            }
        }
        return order;
    }

    // Lists the directory again and computes its signature and total size.
    void Analyse(int index, TDirSignatures& result) {
        TDirNode& dir = FNodes[index];
        FEntries.clear();
        FListing.clear();
        std::int64_t total = 0;
        if (Platform::ListFolderMeasured(dir.Key, FListing) == TListStatus::lsFailed) {
            FListing.clear();
            FEntries.push_back(FilesAccessError);
            FEntries.push_back(DirsAccessError);
        }
        for (const TDirEntry& entry : FListing) {
            if (entry.IsFolder)
                continue;
            const std::int64_t size =
                entry.Measured
                    ? entry.Status.Size
                    : Platform::FileSize(Platform::JoinPath(dir.Key, entry.Name, Syntax));
            total = AddSizes(total, size);
            FEntries.push_back(u"F|" + Platform::LowerCase(entry.Name) + u'|' +
                               Platform::IntToText(size));
        }
        for (const TDirEntry& entry : FListing) {
            if (!entry.IsFolder)
                continue;
            const Text childKey = Platform::JoinPath(dir.Key, entry.Name, Syntax);
            const TDirNode* child = Lookup(childKey);
            const bool known = child != nullptr && !child->Signature.empty();
            const std::int64_t size = known ? child->Size : 0;
            total = AddSizes(total, size);
            FEntries.push_back(u"D|" + DirEntryName(childKey, Syntax) + u'|' +
                               (known ? child->Signature : UnknownChildSig) + u'|' +
                               Platform::IntToText(size));
        }
        dir.Signature = DirSignature(FEntries);
        dir.Size = total;
        result.Sizes.insert_or_assign(dir.Key, total);
        const auto [bucket, added] = FBucketIndex.try_emplace(dir.Signature, result.Buckets.size());
        if (added) {
            result.Buckets.emplace_back();
            result.BucketSignatures.push_back(dir.Signature);
        }
        result.Buckets[bucket->second].push_back(dir.Key);
    }

private:
    int AddNode(const Text& key, const TFileId* id) {
        const int index = static_cast<int>(FNodes.size());
        FNodes.emplace_back().Key = key;
        FKeyIndex.emplace(key, index);
        if (id != nullptr)
            FById.emplace(*id, index);
        return index;
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
                FNodes[top.Node].Finished = true;
                stack.pop_back();
                continue;
            }
            const int parent = top.Node;
            const Text childKey =
                Platform::JoinPath(FNodes[parent].Key, top.Subfolders[top.Next++], Syntax);
            if (const auto known = FKeyIndex.find(childKey); known != FKeyIndex.end()) {
                // A folder of the list met again inside another one.
                if (FNodes[known->second].Finished)
                    FNodes[parent].Deps.push_back(known->second);
                continue;
            }
            entries.clear();
            TFileId id;
            const TListStatus status = Platform::ListFolder(childKey, entries, &id);
            if (status == TListStatus::lsFailed)
                continue;  // gone since its parent was listed
            const bool hasId = status == TListStatus::lsOk || Platform::QueryIdentity(childKey, id);
            if (hasId) {
                if (const auto seen = FById.find(id); seen != FById.end()) {
                    const int target = seen->second;
                    // Not finished means it is on the walk path: entering it would never end.
                    if (FNodes[target].Finished) {
                        FAliases.emplace(childKey, target);
                        FNodes[parent].Deps.push_back(target);
                    } else {
                        FAliases.emplace(childKey, CycleDir);
                    }
                    continue;
                }
            }
            const int child = AddNode(childKey, hasId ? &id : nullptr);
            FNodes[parent].Deps.push_back(child);
            if (status == TListStatus::lsOk)
                stack.push_back(TFrame{child, SubfolderNames(entries)});
            else
                FNodes[child].Finished = true;  // cannot be opened: lists as empty
        }
    }

    // The directory a subfolder path stands for, if it was collected under it or is an alias.
    const TDirNode* Lookup(const Text& key) const {
        int index = CycleDir;
        if (const auto k = FKeyIndex.find(key); k != FKeyIndex.end())
            index = k->second;
        else if (const auto a = FAliases.find(key); a != FAliases.end())
            index = a->second;
        return index < 0 ? nullptr : &FNodes[index];
    }

    std::vector<TDirNode> FNodes;
    std::unordered_map<Text, int> FKeyIndex;
    std::unordered_map<Text, int> FAliases;  // another path to a collected directory, or a cycle
    std::unordered_map<TFileId, int, Platform::TFileIdHash> FById;
    std::unordered_map<Text, std::size_t> FBucketIndex;  // signature to bucket
    std::vector<Text> FEntries;
    std::vector<TDirEntry> FListing;
};

}  // namespace

Text NormalizeDirPath(TextView path, Platform::TPathSyntax syntax,
                      const TFullPathFunction& fullPath) {
    Text full(path);
    if (syntax == Platform::TPathSyntax::Windows && full.size() == 2 && full[1] == u':')
        full += u'\\';  // a bare drive is its root, not its current folder
    Text key = Platform::ExcludeTrailingSeparator(fullPath(full), syntax);
    if (CompareText(key, Platform::DrivePart(key, syntax)) == 0)
        key += Platform::PathSeparator(syntax);
    return key;
}

Text NormalizeDirPath(TextView path) {
    return NormalizeDirPath(path, Platform::NativeSyntax,
                            [](const Text& p) { return Platform::FullPath(p); });
}

Text DirEntryName(TextView path, Platform::TPathSyntax syntax) {
    const Text bare = Platform::ExcludeTrailingSeparator(path, syntax);
    TextView name = Platform::LastComponent(bare, syntax);
    if (name.empty())
        name = bare;
    if (name.empty())
        name = path;  // the POSIX root
    return Platform::LowerCase(name);
}

Text DirSignatureText(std::vector<Text>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const Text& a, const Text& b) {
        return Platform::CompareTextIgnoreCase(a, b) < 0;
    });
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const Text& a, const Text& b) {
                                  return Platform::CompareTextIgnoreCase(a, b) == 0;
                              }),
                  entries.end());
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

Text DirSignature(std::vector<Text>& entries) {
    const std::string bytes = Platform::TextToUtf8(DirSignatureText(entries));
    Platform::TSha1 sha;
    sha.Update(bytes.data(), bytes.size());
    return Platform::DigestToHex(sha.Final());
}

bool ComputeDirSignatures(TScanEngine& engine, TDirSignatures& result) {
    TScanHost& host = engine.Host;
    const std::vector<Text> folders = host.ReadSettings().Folders;
    TDirScan scan;
    for (const Text& folder : folders) {
        if (engine.StopRequested())
            break;
        if (!Platform::DirectoryExists(folder))
            continue;
        host.SetStatus(TranslateFormat(u"Collecting directories: %s", {folder}));
        engine.SetMarquee(true);
        scan.CollectFolder(NormalizeDirPath(folder));
        engine.SetMarquee(false);
        host.KeepResponsive();
    }
    if (engine.StopRequested() || scan.Empty())
        return false;

    const std::vector<int> order = scan.AnalysisOrder();
    const std::size_t n = order.size();
    result.Sizes.reserve(n);
    host.SetProgressMax(ClampInt(n));
    host.SetProgressPosition(0);
    host.SetStatus(TranslateFormat(u"Analyzing directories (0/%d)...", {n}));
    host.KeepResponsive();
    for (std::size_t done = 0; done < n;) {
        if (engine.StopRequested())
            return false;
        scan.Analyse(order[done], result);
        ++done;
        host.SetProgressPosition(ClampInt(done));
        if (done % 10 == 0 || done == n) {
            host.SetStatus(TranslateFormat(u"Analyzing directories (%d/%d)...", {done, n}));
            host.KeepResponsive();
        }
    }
    return !engine.StopRequested();
}
