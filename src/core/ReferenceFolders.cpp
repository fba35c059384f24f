#include "core/ReferenceFolders.h"

#include <algorithm>

#include "platform/PathSyntax.h"

namespace {

// No folder chain is followed further up than this.
constexpr int MaxAncestors = 4096;

Text ParentOf(const Text& path) {
    std::size_t end = path.size();
    while (end > 0 && Platform::IsPathSeparator(path[end - 1], Platform::NativeSyntax))
        --end;
    while (end > 0 && !Platform::IsPathSeparator(path[end - 1], Platform::NativeSyntax))
        --end;
    return path.substr(0, end);
}

}  // namespace

std::vector<Platform::TFileId> PhysicalChain(const Text& folder) {
    std::vector<Platform::TFileId> chain;
    Text path = folder;
    for (int i = 0; i < MaxAncestors; ++i) {
        Platform::TFileId id;
        if (!Platform::QueryIdentity(path, id) || (!chain.empty() && chain.back() == id))
            break;
        chain.push_back(id);
        path = Platform::JoinPath(path, u"..", Platform::NativeSyntax);
    }
    return chain;
}

TReferenceFolders::TReferenceFolders(const std::vector<Text>& folders)
    : FFolders(folders), FPaths(folders) {
    for (const Text& folder : folders) {
        Platform::TFileId id;
        if (Platform::QueryIdentity(folder, id))
            FIds.push_back(id);
        FChains.push_back(PhysicalChain(folder));
    }
}

bool TReferenceFolders::ParentHeld(const Text& parent) const {
    const auto known = FParentHeld.find(parent);
    if (known != FParentHeld.end())
        return known->second;
    bool held = false;
    if (!parent.empty()) {
        const std::vector<Platform::TFileId> chain = PhysicalChain(parent);
        held = std::any_of(chain.begin(), chain.end(), [&](const Platform::TFileId& id) {
            return std::find(FIds.begin(), FIds.end(), id) != FIds.end();
        });
    }
    FParentHeld.emplace(parent, held);
    return held;
}

bool TReferenceFolders::Holds(const Text& path) const {
    if (Empty() || path.empty())
        return false;
    if (FPaths.Covers(path))
        return true;
    // The item itself may be a reference folder reached by another path.
    Platform::TFileId id;
    if (Platform::DirectoryExists(path) && Platform::QueryIdentity(path, id) &&
        std::find(FIds.begin(), FIds.end(), id) != FIds.end())
        return true;
    return ParentHeld(ParentOf(path));
}

bool TReferenceFolders::Touches(const Text& path) const {
    if (Holds(path))
        return true;
    if (Empty() || !Platform::DirectoryExists(path))
        return false;
    const TPathSet item({path});
    Platform::TFileId id;
    const bool known = Platform::QueryIdentity(path, id);
    for (std::size_t i = 0; i < FFolders.size(); ++i) {
        if (item.Covers(FFolders[i]))
            return true;
        if (known && std::find(FChains[i].begin(), FChains[i].end(), id) != FChains[i].end())
            return true;
    }
    return false;
}
