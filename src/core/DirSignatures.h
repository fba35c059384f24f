#pragma once
// Folder clones, first half: every directory below the folders of the list gets a signature
// computed bottom-up from the names and sizes of everything below it.
#include <cstdint>
#include <vector>

#include "core/FolderPaths.h"
#include "core/ResultRows.h"
#include "core/ScanHost.h"
#include "core/StopToken.h"
#include "platform/PathSyntax.h"
#include "platform/Sha1.h"
#include "platform/Text.h"

// One collected directory: its key, held here once, and what the analysis found.
struct TDirRecord {
    Text Key;
    Platform::TSha1Digest Signature{};
    std::int64_t Size = 0;  // the total below it
    bool Analysed = false;
    bool Incomplete = false;  // it, or a directory below it, could not be read whole
};

// What the analysis hands to grouping.
struct TDirSignatures {
    std::vector<TDirRecord> Dirs;  // in the order of collection
    // Indexes into Dirs of equal signature in the order they were analysed; buckets in the
    // order their first directory was analysed.
    std::vector<std::vector<std::uint32_t>> Buckets;
    std::size_t AnalysedCount = 0;
};

// Collects, orders and analyses the directories below the folders of the list. False when
// the phase ends early (a stop, or no folder to look at); the list is then left as it is.
bool ComputeDirSignatures(TScanHost& host, const TStopToken& stop, TDirSignatures& result);

// The signature text of an entry list: the entries in case-insensitive collation order,
// entries the collation calls equal by their code units, none dropped, each followed by
// CR LF. Sorts entries in place.
Text DirSignatureText(std::vector<Text>& entries);
// The SHA-1 of the signature text in UTF-8.
Platform::TSha1Digest DirSignature(std::vector<Text>& entries);
