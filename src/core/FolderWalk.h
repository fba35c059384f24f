#pragma once
// The first phase of a scan: every folder of the list walked once, each file name tested
// against the masks, the matching files of at least the minimum size collected into FFiles
// and FFileMap mask by mask, as a walk per mask would collect them.
#include <cstddef>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/FileInfo.h"
#include "core/MaskMatch.h"
#include "core/ScanHost.h"
#include "core/ScanState.h"
#include "core/StopToken.h"
#include "platform/Text.h"

void CollectFiles(TScanHost& host, const TStopToken& stop, TScanState& state);

// The masks of a scan in their order, telling the first one that matches a name. A file
// collected under one mask is never collected again under a later one, so the first match is
// all the walk needs to know. A mask that does not compile matches nothing.
class TMaskList {
public:
    static constexpr std::size_t NoMatch = static_cast<std::size_t>(-1);

    explicit TMaskList(const std::vector<Text>& masks);
    std::size_t Count() const { return FMasks.size(); }
    // The index of the first mask that matches the name, or NoMatch.
    std::size_t FirstMatch(TextView name);

private:
    std::vector<std::optional<TFileMask>> FMasks;
    // A mask that ends in plain characters matches only names that end in them: such masks
    // are found by that ending (ASCII letters folded), looked up once per ending length.
    std::unordered_map<Text, std::vector<std::size_t>> FByEnding;
    std::vector<std::size_t> FEndingLengths;  // ascending
    std::vector<std::size_t> FOthers;         // masks that end in a wildcard or a set
    Text FKey;                                // scratch for the lookups
};

// Listed entries between two calls of the host's KeepResponsive while a listing is built.
inline constexpr std::size_t ListingKeepInterval = 1000;

// The walks of one scan. Each directory, known by its identity whatever path leads to it,
// is listed at most once per scan, so links to folders cost one visit each and cannot
// cycle; folders on file systems of the kernel's own (Platform::IsPseudoFileSystem) are not
// entered. The walk is iterative: a deep tree costs heap, not stack.
class TFolderWalk {
public:
    TFolderWalk(TMaskList& masks, const TStopToken& stop, std::function<void()> keepResponsive);

    // Lists every file below the folder (ending in a separator) depth first, each folder's
    // entries in CompareText order, files and folders together. A file of the first mask
    // becomes an unmeasured record at the end of files; one whose first match is a later
    // mask i goes into later[i], for the caller to add when that mask's turn comes. Folders
    // that cannot be listed contribute nothing. The stop flag is tested at every entry; a
    // stopped walk adds no record and leaves every later listing empty. KeepResponsive is
    // called every ListingKeepInterval entries.
    void List(const Text& folder, TFileList& files, std::vector<std::vector<TPackedName>>& later);

private:
    struct TFrame {
        Text Folder;
        const TFileFolder* Record = nullptr;  // in the list's table once a file of it matched
        std::vector<Platform::TDirEntry> Entries;
        std::size_t Next = 0;
    };

    void Enter(Text folder, std::vector<TFrame>& stack);
    bool OnPseudoFileSystem(const Text& folder, std::uint64_t volume);

    TMaskList& FMasks;
    const TStopToken& FStop;
    std::function<void()> FKeepResponsive;
    TFileIdSet FListed;                                    // directories listed so far
    std::vector<std::pair<std::uint64_t, bool>> FVolumes;  // volume, pseudo file system
};
