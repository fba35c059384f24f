#include "core/FileInfo.h"

#include <limits>

#include "platform/TextServices.h"

namespace {

std::uint32_t NameStart(TextView path) {
    const std::size_t sep = path.find_last_of(Platform::NativeSyntax == Platform::TPathSyntax::Windows
                                                  ? TextView(u"\\/:")
                                                  : TextView(u"/"));
    const std::size_t start = sep == TextView::npos ? 0 : sep + 1;
    return start > std::numeric_limits<std::uint32_t>::max()
               ? 0
               : static_cast<std::uint32_t>(start);
}

}  // namespace

TFileInfo::TFileInfo(Text aPath, Platform::TFileId* id)
    : FullPath(std::move(aPath)), FNameStart(NameStart(FullPath)) {
    Platform::TFileStatus status;
    if (Platform::QueryFile(FullPath, status)) {
        Size = status.Size;
        if (id) *id = status.Id;
    }
}

TFileInfo::TFileInfo(Text aPath, std::int64_t aSize)
    : FullPath(std::move(aPath)), Size(aSize), FNameStart(NameStart(FullPath)) {}

void TFileInfo::SetContentHash(const Platform::TSha1Digest& digest) {
    FDigest = digest;
    FHasHash = true;
}

Text TFileInfo::ContentHash() const { return FHasHash ? Platform::DigestToHex(FDigest) : Text(); }

Text PathKey(TextView path, Platform::TPathSyntax syntax) {
    return syntax == Platform::TPathSyntax::Windows ? Platform::LowerCase(path) : Text(path);
}

TFileInfo* TFileMap::Find(TextView path) const {
    if constexpr (Platform::NativeSyntax == Platform::TPathSyntax::Windows) {
        const auto it = FMap.find(PathKey(path));
        return it == FMap.end() ? nullptr : it->second;
    } else {
        const auto it = FMap.find(path);
        return it == FMap.end() ? nullptr : it->second;
    }
}

void TFileMap::Add(TFileInfo* file) {
    if constexpr (Platform::NativeSyntax == Platform::TPathSyntax::Windows) {
        FOwnedKeys.push_back(PathKey(file->FullPath));
        FMap.emplace(FOwnedKeys.back(), file);
    } else {
        FMap.emplace(file->FullPath, file);
    }
}

void TFileMap::Clear() {
    FMap.clear();
    FOwnedKeys.clear();
}
