#pragma once
// Folder clones: every directory below the folders of the list gets a signature computed
// bottom-up from the names and sizes of everything below it; directories of equal
// signature form groups, listed in the Folder Clones list with every row unchecked.
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/ResultList.h"
#include "core/ScanSettings.h"
#include "platform/PathSyntax.h"
#include "platform/Text.h"

class TScanEngine;

// The whole phase: collect, analyse, group, list, final status.
void FindDirectoryDuplicates(TScanEngine& engine);

// Total bytes below each directory, by directory key.
using TDirSizes = std::unordered_map<Text, std::int64_t>;

// What the analysis hands to grouping.
struct TDirSignatures {
    TDirSizes Sizes;
    // Keys of equal signature in the order they were analysed; buckets in the order their
    // first directory was analysed.
    std::vector<std::vector<Text>> Buckets;
    std::vector<Text> BucketSignatures;  // the signature of each bucket
};

// Collects, orders and analyses the directories below the folders of the list. False when
// the phase ends early (a stop, or no folder to look at); the list is then left as it is.
bool ComputeDirSignatures(TScanEngine& engine, TDirSignatures& result);

struct TDirGroupRec {
    std::vector<Text> Dirs;  // CompareText order, then exact code units
    std::int64_t TotalSize = 0;
};

// Groups of at least minGroupSize (raised to 2) directories of one signature, a directory
// left out when one above it is already in its group; the stop flag is tested before each
// bucket. Largest total first, ties by the first directory.
std::vector<TDirGroupRec> GroupDirectories(TScanEngine& engine, TDirSignatures& signatures,
                                           std::int64_t minGroupSize);

// The key of a directory: absolute, no trailing separator, but a root keeps its one
// ("/", "C:\", "\\server\share\"); a bare drive "C:" is its root.
Text NormalizeDirPath(TextView path, Platform::TPathSyntax syntax,
                      const TFullPathFunction& fullPath);
Text NormalizeDirPath(TextView path);

// The lower-cased last component of a directory path; a root's whole text.
Text DirEntryName(TextView path, Platform::TPathSyntax syntax = Platform::NativeSyntax);

// Whether a directory above the key (its parent, grandparent, ... up to the root, never
// the key itself) is among the accepted keys.
bool HasAncestorInGroup(TextView key, const std::unordered_set<Text>& acceptedKeys,
                        Platform::TPathSyntax syntax = Platform::NativeSyntax);

// The signature text of an entry list: the entries in case-insensitive collation order,
// entries the collation calls equal by their code units, none dropped, each followed by
// CR LF. Sorts entries in place.
Text DirSignatureText(std::vector<Text>& entries);
// 40 lower-case hexadecimal digits of the SHA-1 of the signature text in UTF-8.
Text DirSignature(std::vector<Text>& entries);

// One group of the Folder Clones list: its header, then one unchecked row per directory
// with the directory key and its size. groupNo is one higher on return.
void AddDirGroup(TResultList& lvDirs, const std::vector<Text>& dirs, const TDirSizes& sizes,
                 std::int64_t totalSize, int& groupNo);
