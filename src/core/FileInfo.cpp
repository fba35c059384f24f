#include "core/FileInfo.h"

#include <limits>

#include "platform/TextServices.h"

namespace {

std::uint32_t NameStart(TextView path) {
    const std::size_t sep = path.find_last_of(
        Platform::NativeSyntax == Platform::TPathSyntax::Windows ? TextView(u"\\/:")
                                                                 : TextView(u"/"));
    const std::size_t start = sep == TextView::npos ? 0 : sep + 1;
    return start > std::numeric_limits<std::uint32_t>::max() ? 0
                                                             : static_cast<std::uint32_t>(start);
}

}  // namespace

TFileInfo::TFileInfo(Text aPath, Platform::TFileId* id)
    : FullPath(std::move(aPath)), FNameStart(NameStart(FullPath)) {
    Platform::TFileStatus status;
    if (Platform::QueryFile(FullPath, status)) {
        Size = status.Size;
        Id = status.Id;
        ModifiedTime = status.ModifiedTime;
        ChangeTime = status.ChangeTime;
        if (id)
            *id = status.Id;
    }
}

TFileInfo::TFileInfo(Text aPath, std::int64_t aSize)
    : FullPath(std::move(aPath)), Size(aSize), FNameStart(NameStart(FullPath)) {}

void TFileInfo::SetContentHash(const Platform::TSha1Digest& digest) {
    FDigest = digest;
    FHasHash = true;
}

Text TFileInfo::ContentHash() const {
    return FHasHash ? Platform::DigestToHex(FDigest) : Text();
}

std::size_t TFileMap::KeyHash(TextView path) const {
    if (FSyntax != Platform::TPathSyntax::Windows)
        return std::hash<TextView>()(path);
    std::size_t hash = 0xcbf29ce484222325ull;  // FNV-1a over the lower-cased code units
    for (char16_t c : path)
        hash = (hash ^ Platform::LowerCaseChar(c)) * 0x100000001b3ull;
    return hash;
}

bool TFileMap::SameKey(TextView a, TextView b) const {
    if (FSyntax != Platform::TPathSyntax::Windows)
        return a == b;
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Platform::LowerCaseChar(a[i]) != Platform::LowerCaseChar(b[i]))
            return false;
    return true;
}

TFileInfo* TFileMap::Find(TextView path) const {
    TFileInfo* const* found =
        FTable.Find(KeyHash(path), [&](TFileInfo* file) { return SameKey(file->FullPath, path); });
    return found ? *found : nullptr;
}

void TFileMap::Add(TFileInfo* file) {
    FTable.Insert(KeyHash(file->FullPath), file,
                  [&](TFileInfo* other) { return SameKey(other->FullPath, file->FullPath); });
}
