#pragma once
// One collected file, the owning list of them, and their index by path.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/FlatTable.h"
#include "core/FolderPaths.h"

#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "platform/Sha1.h"
#include "platform/Text.h"

class TFileInfo {
public:
    // Makes the record of a path; asks the platform for the size (0 when it cannot tell)
    // and the file's identity, also written to id when given. Never opens the file, never
    // fails.
    explicit TFileInfo(Text aPath, Platform::TFileId* id = nullptr);
    // A record with a known size, for data that does not come from the disk (no identity:
    // the hashing phase gives it no digest).
    TFileInfo(Text aPath, std::int64_t aSize);
    TFileInfo(const TFileInfo&) = delete;
    TFileInfo& operator=(const TFileInfo&) = delete;

    Text FullPath;
    std::int64_t Size = 0;
    // The identity the file had when the record was made; hashing reads only that file.
    Platform::TFileId Id;
    // Its times then: with Size and Id, what the digest cache knows the file by.
    std::int64_t ModifiedTime = 0;
    std::int64_t ChangeTime = 0;

    // The last component of FullPath.
    TextView Name() const { return TextView(FullPath).substr(FNameStart); }

    // The SHA-1 digest of the content, once the hashing phase has stored one.
    bool HasContentHash() const { return FHasHash; }
    const Platform::TSha1Digest& Digest() const { return FDigest; }
    void SetContentHash(const Platform::TSha1Digest& digest);
    void ClearContentHash() { FHasHash = false; }
    // 40 lower-case hexadecimal digits, or the empty text.
    Text ContentHash() const;

private:
    std::uint32_t FNameStart = 0;
    bool FHasHash = false;
    Platform::TSha1Digest FDigest{};
};

// FFiles: owns its records, in the order of collection.
using TFileList = std::vector<std::unique_ptr<TFileInfo>>;

// FFileMap: path key to record; owns no record. Keys are compared as PathKey compares
// them, without making key texts.
class TFileMap {
public:
    explicit TFileMap(Platform::TPathSyntax syntax = Platform::NativeSyntax) : FSyntax(syntax) {}
    TFileInfo* Find(TextView path) const;
    // Enters a record under the key of its FullPath, unless the key is there already; the
    // record must outlive the entry.
    void Add(TFileInfo* file);
    void Clear() { FTable.Clear(); }
    void Reserve(std::size_t count) { FTable.Reserve(count); }
    std::size_t Count() const { return FTable.Count(); }

private:
    std::size_t KeyHash(TextView path) const;
    bool SameKey(TextView a, TextView b) const;

    Platform::TPathSyntax FSyntax;
    TFlatTable<TFileInfo*> FTable;
};

// The identities of the collected files: one physical file is collected once.
class TFileIdSet {
public:
    // True when the identity was not there yet.
    bool Insert(const Platform::TFileId& id) {
        return FTable.Insert(Platform::TFileIdHash()(id), id,
                             [&](const Platform::TFileId& other) { return other == id; });
    }
    void Reserve(std::size_t count) { FTable.Reserve(count); }
    void Clear() { FTable.Clear(); }
    std::size_t Count() const { return FTable.Count(); }

private:
    TFlatTable<Platform::TFileId> FTable;
};
