#pragma once
// The collected files: compact records in bulk, the folders they lie in, their index by path
// and the identities already taken.
//
// A scan can collect millions of files, so a record holds no path: its folder is an entry of
// the list's folder table, which keeps each folder's path once, and its name is kept packed
// as bytes in the list's own blocks. The full path is made when a phase asks for it.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/FlatTable.h"
#include "core/FolderPaths.h"

#include "platform/FileSystem.h"
#include "platform/PathSyntax.h"
#include "platform/Sha1.h"
#include "platform/Text.h"

// One folder of the table: the path ending in its separator (or empty), as a record's full
// path begins.
struct TFileFolder {
    Text Path;
    std::uint64_t NativeKey = 0;  // PathKeyHasher state after Path, by the native rule
};

// A name as the list packs it: lossless for any UTF-16, one byte per ASCII character.
struct TPackedName {
    const TFileFolder* Folder = nullptr;
    const char* Bytes = nullptr;
    std::uint16_t Length = 0;
};

class TFileInfo {
public:
    TFileInfo() = default;

    std::int64_t Size = 0;
    // The identity the file had when the record was made; hashing reads only that file.
    Platform::TFileId Id;
    // Its times then: with Size and Id, what the digest cache knows the file by.
    std::int64_t ModifiedTime = 0;
    std::int64_t ChangeTime = 0;

    Text FullPath() const;
    // FullPath into a text the caller keeps, so that a loop need not allocate per record.
    void AssignFullPath(Text& path) const;
    // The last component of the full path.
    Text Name() const;
    // The folder as a list row shows it: without its separator, except for a root.
    Text Directory() const;
    const TFileFolder& Folder() const { return *FFolder; }

    // The SHA-1 digest of the content, once the hashing phase has stored one.
    bool HasContentHash() const { return FHasHash; }
    const Platform::TSha1Digest& Digest() const { return FDigest; }
    void SetContentHash(const Platform::TSha1Digest& digest);
    void ClearContentHash() { FHasHash = false; }
    // 40 lower-case hexadecimal digits, or the empty text.
    Text ContentHash() const;

private:
    friend class TFileList;
    friend class TFileMap;

    // The packed name's parts side by side, not as a TPackedName, which would pad the record.
    const TFileFolder* FFolder = nullptr;
    const char* FNameBytes = nullptr;
    std::uint16_t FNameLength = 0;
    bool FHasHash = false;
    Platform::TSha1Digest FDigest{};
};

// Asks the platform for the record's size (0 when it cannot tell), identity and times. Never
// opens the file, never fails; path is scratch space.
void MeasureRecord(TFileInfo& record, Text& path);

// FFiles: owns the records, in the order of collection, in blocks whose records never move
// while the list holds them; and the folders and names they refer to.
class TFileList {
public:
    // Records are found by 32-bit indexes.
    static constexpr std::size_t MaxCount = 0xFFFFFFFFu;

    TFileList() = default;
    TFileList(const TFileList&) = delete;
    TFileList& operator=(const TFileList&) = delete;
    TFileList(TFileList&&) = default;
    TFileList& operator=(TFileList&&) = default;

    // A folder of the table: the path as every full path in it begins.
    const TFileFolder* AddFolder(Text path);
    // Keeps a name in the list's blocks, for a record made later.
    TPackedName PackName(const TFileFolder* folder, TextView name);

    // A record of a packed name, not measured: size 0, no identity.
    TFileInfo* Add(const TPackedName& name);
    // A record of a path, measured.
    TFileInfo* Add(TextView path);
    // A record with a known size, for data that does not come from the disk (no identity:
    // the hashing phase gives it no digest).
    TFileInfo* Add(TextView path, std::int64_t size);

    std::size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    TFileInfo* operator[](std::size_t index) const {
        return &FBlocks[index / BlockRecords][index % BlockRecords];
    }
    TFileInfo* front() const { return (*this)[0]; }
    TFileInfo* back() const { return (*this)[FCount - 1]; }

    // Drops the records from count on; the names and folders they used stay until clear.
    void Truncate(std::size_t count);
    void clear();

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TFileInfo*;
        using difference_type = std::ptrdiff_t;
        using pointer = TFileInfo* const*;
        using reference = TFileInfo*;
        const_iterator() = default;
        const_iterator(const TFileList* list, std::size_t index) : FList(list), FIndex(index) {}
        TFileInfo* operator*() const { return (*FList)[FIndex]; }
        const_iterator& operator++() {
            ++FIndex;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++FIndex;
            return old;
        }
        bool operator==(const const_iterator& other) const { return FIndex == other.FIndex; }

    private:
        const TFileList* FList = nullptr;
        std::size_t FIndex = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, FCount}; }

private:
    static constexpr std::size_t BlockRecords = 4096;
    static constexpr std::size_t NameBlockBytes = 256 * 1024;

    const TFileFolder* FolderOf(TextView folder);

    std::vector<std::unique_ptr<TFileInfo[]>> FBlocks;
    std::size_t FCount = 0;
    std::vector<std::unique_ptr<char[]>> FNameBlocks;
    std::size_t FNameUsed = NameBlockBytes;  // in the last block
    std::vector<std::unique_ptr<TFileFolder>> FFolders;
    // The folders of records added by path; a walk adds each of its folders once instead.
    std::unordered_map<Text, const TFileFolder*> FFolderByPath;
    std::string FPackScratch;
};

// FFileMap: path key to record, as indexes into the list; owns no record. Keys are compared
// as PathKey compares them, without making key texts.
class TFileMap {
public:
    explicit TFileMap(const TFileList& files, Platform::TPathSyntax syntax = Platform::NativeSyntax)
        : FFiles(files), FSyntax(syntax) {}
    TFileInfo* Find(TextView path) const;
    // Enters the record files[index] under the key of its full path, unless the key is there
    // already.
    void Add(std::size_t index);
    void Clear() { FTable.Clear(); }
    void Reserve(std::size_t count) { FTable.Reserve(count); }
    std::size_t Count() const { return FTable.Count(); }

private:
    std::uint64_t KeyHash(const TFileInfo& file) const;
    bool SameKey(const TFileInfo& file, TextView path) const;

    const TFileList& FFiles;
    Platform::TPathSyntax FSyntax;
    TFlatTable<std::uint32_t> FTable;
    Text FScratch;
};

// Identities, by value: the folders a walk has listed.
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

// The identities of the collected files, as indexes into the list: one physical file is
// collected once.
class TRecordIdSet {
public:
    explicit TRecordIdSet(const TFileList& files) : FFiles(files) {}
    // True when the identity of files[index] was not there yet; it is then entered.
    bool Insert(std::size_t index) {
        const Platform::TFileId& id = FFiles[index]->Id;
        return FTable.Insert(Platform::TFileIdHash()(id), static_cast<std::uint32_t>(index),
                             [&](std::uint32_t other) { return FFiles[other]->Id == id; });
    }
    void Reserve(std::size_t count) { FTable.Reserve(count); }
    void Clear() { FTable.Clear(); }
    std::size_t Count() const { return FTable.Count(); }

private:
    const TFileList& FFiles;
    TFlatTable<std::uint32_t> FTable;
};
