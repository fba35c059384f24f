#include "core/FileInfo.h"

#include <cstring>
#include <stdexcept>

#include "platform/TextServices.h"

namespace {

// Names are packed as UTF-8 of their code units: a surrogate pair as its code point, any
// other unit (a lone surrogate too) on its own, so every UTF-16 text comes back unchanged.
void PackUnits(TextView text, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

// The code units of packed bytes, each passed to unit in order.
template <typename TUnit>
void ForEachUnit(const char* bytes, std::size_t length, TUnit unit) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* const end = p + length;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            unit(static_cast<char16_t>(b));
            p += 1;
        } else if (b < 0xE0) {
            unit(static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F)));
            p += 2;
        } else if (b < 0xF0) {
            unit(static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)));
            p += 3;
        } else {
            const std::uint32_t c = ((b & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) |
                                    ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
            unit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            unit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            p += 4;
        }
    }
}

void AppendName(const char* bytes, std::size_t length, Text& out) {
    ForEachUnit(bytes, length, [&](char16_t c) { out += c; });
}

// FNV-1a over the code units, letter case folded where the key ignores it; continued from
// a folder's state over a name, it gives what it gives over the whole path.
struct TPathKeyHasher {
    static constexpr std::uint64_t Start = 0xcbf29ce484222325ull;
    bool Fold;
    std::uint64_t State = Start;
    void Add(char16_t c) {
        State = (State ^ (Fold ? Platform::LowerCaseChar(c) : c)) * 0x100000001b3ull;
    }
    void Add(TextView text) {
        for (const char16_t c : text)
            Add(c);
    }
    // The low bits pick the slot: mixed so that they depend on every unit.
    std::uint64_t Final() const {
        std::uint64_t h = State;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        return h;
    }
};

bool FoldsCase(Platform::TPathSyntax syntax) {
    return syntax == Platform::TPathSyntax::Windows;
}

std::size_t NameStart(TextView path) {
    const std::size_t sep = path.find_last_of(
        Platform::NativeSyntax == Platform::TPathSyntax::Windows ? TextView(u"\\/:")
                                                                 : TextView(u"/"));
    return sep == TextView::npos ? 0 : sep + 1;
}

}  // namespace

void TFileInfo::AssignFullPath(Text& path) const {
    path.reserve(FFolder->Path.size() + FNameLength);
    path.assign(FFolder->Path);
    AppendName(FNameBytes, FNameLength, path);
}

Text TFileInfo::FullPath() const {
    Text path;
    AssignFullPath(path);
    return path;
}

Text TFileInfo::Name() const {
    Text name;
    name.reserve(FNameLength);
    AppendName(FNameBytes, FNameLength, name);
    return name;
}

Text TFileInfo::Directory() const {
    // The directory of any name in the folder: the name's own units do not matter.
    return Platform::DirectoryOf(FFolder->Path + u'x', Platform::NativeSyntax);
}

void TFileInfo::SetContentHash(const Platform::TSha1Digest& digest) {
    FDigest = digest;
    FHasHash = true;
}

Text TFileInfo::ContentHash() const {
    return FHasHash ? Platform::DigestToHex(FDigest) : Text();
}

void MeasureRecord(TFileInfo& record, Text& path) {
    record.AssignFullPath(path);
    Platform::TFileStatus status;
    if (Platform::QueryFile(path, status)) {
        record.Size = status.Size;
        record.Id = status.Id;
        record.ModifiedTime = status.ModifiedTime;
        record.ChangeTime = status.ChangeTime;
    }
}

const TFileFolder* TFileList::AddFolder(Text path) {
    auto folder = std::make_unique<TFileFolder>();
    TPathKeyHasher hasher{FoldsCase(Platform::NativeSyntax)};
    hasher.Add(path);
    folder->NativeKey = hasher.State;
    folder->Path = std::move(path);
    FFolders.push_back(std::move(folder));
    return FFolders.back().get();
}

const TFileFolder* TFileList::FolderOf(TextView folder) {
    const Text key(folder);
    if (const auto found = FFolderByPath.find(key); found != FFolderByPath.end())
        return found->second;
    const TFileFolder* added = AddFolder(key);
    FFolderByPath.emplace(key, added);
    return added;
}

TPackedName TFileList::PackName(const TFileFolder* folder, TextView name) {
    std::string& bytes = FPackScratch;
    PackUnits(name, bytes);
    if (bytes.size() > 0xFFFF)
        throw std::length_error("file name too long");
    if (FNameUsed + bytes.size() > NameBlockBytes) {
        FNameBlocks.push_back(std::make_unique<char[]>(NameBlockBytes));
        FNameUsed = 0;
    }
    char* const start = FNameBlocks.back().get() + FNameUsed;
    std::memcpy(start, bytes.data(), bytes.size());
    FNameUsed += bytes.size();
    return {folder, start, static_cast<std::uint16_t>(bytes.size())};
}

TFileInfo* TFileList::Add(const TPackedName& name) {
    if (FCount == MaxCount)
        throw std::length_error("too many files");
    if (FCount == FBlocks.size() * BlockRecords)
        FBlocks.push_back(std::make_unique<TFileInfo[]>(BlockRecords));
    TFileInfo* record = (*this)[FCount++];
    *record = TFileInfo();
    record->FFolder = name.Folder;
    record->FNameBytes = name.Bytes;
    record->FNameLength = name.Length;
    return record;
}

TFileInfo* TFileList::Add(TextView path, std::int64_t size) {
    const std::size_t start = NameStart(path);
    TFileInfo* record = Add(PackName(FolderOf(path.substr(0, start)), path.substr(start)));
    record->Size = size;
    return record;
}

TFileInfo* TFileList::Add(TextView path) {
    TFileInfo* record = Add(path, 0);
    Text scratch;
    MeasureRecord(*record, scratch);
    return record;
}

void TFileList::Truncate(std::size_t count) {
    if (count < FCount)
        FCount = count;
}

void TFileList::clear() {
    FBlocks.clear();
    FCount = 0;
    FNameBlocks.clear();
    FNameUsed = NameBlockBytes;
    FFolders.clear();
    FFolderByPath.clear();
}

std::uint64_t TFileMap::KeyHash(const TFileInfo& file) const {
    TPathKeyHasher hasher{FoldsCase(FSyntax)};
    if (FSyntax == Platform::NativeSyntax)
        hasher.State = file.FFolder->NativeKey;
    else
        hasher.Add(file.FFolder->Path);
    ForEachUnit(file.FNameBytes, file.FNameLength, [&](char16_t c) { hasher.Add(c); });
    return hasher.Final();
}

bool TFileMap::SameKey(const TFileInfo& file, TextView path) const {
    const bool fold = FoldsCase(FSyntax);
    auto same = [fold](char16_t a, char16_t b) {
        return a == b || (fold && Platform::LowerCaseChar(a) == Platform::LowerCaseChar(b));
    };
    const TextView folder = file.FFolder->Path;
    if (path.size() < folder.size())
        return false;
    for (std::size_t i = 0; i < folder.size(); ++i)
        if (!same(folder[i], path[i]))
            return false;
    std::size_t at = folder.size();
    bool equal = true;
    ForEachUnit(file.FNameBytes, file.FNameLength, [&](char16_t c) {
        equal = equal && at < path.size() && same(c, path[at]);
        ++at;
    });
    return equal && at == path.size();
}

TFileInfo* TFileMap::Find(TextView path) const {
    TPathKeyHasher hasher{FoldsCase(FSyntax)};
    hasher.Add(path);
    const std::uint32_t* found = FTable.Find(
        hasher.Final(), [&](std::uint32_t index) { return SameKey(*FFiles[index], path); });
    return found ? FFiles[*found] : nullptr;
}

void TFileMap::Add(std::size_t index) {
    const TFileInfo& file = *FFiles[index];
    file.AssignFullPath(FScratch);
    FTable.Insert(KeyHash(file), static_cast<std::uint32_t>(index),
                  [&](std::uint32_t other) { return SameKey(*FFiles[other], FScratch); });
}
