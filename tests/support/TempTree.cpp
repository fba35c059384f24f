#include "support/TempTree.h"

#include "support/TempTreeSystem.h"

TTempTree::TTempTree() : FRoot(TempTreeSystem::MakeRoot()) {}

TTempTree::~TTempTree() {
    for (const std::intptr_t handle : FHeld)
        TempTreeSystem::Release(handle);
    TempTreeSystem::RemoveAll(FRoot);
}

const std::string& TTempTree::Root() const {
    return FRoot;
}

std::string TTempTree::Path(std::string_view rel) const {
    return FRoot + TempTreeSystem::Separator + TempTreeSystem::Native(rel);
}

Text TTempTree::TextPath(std::string_view rel) const {
    return Platform::Utf8ToText(Path(rel));
}

Text TTempTree::FolderText(std::string_view rel) const {
    std::string path = rel.empty() ? FRoot : Path(rel);
    while (path.size() > TempTreeSystem::ShortestRoot &&
           (path.back() == TempTreeSystem::Separator || path.back() == '/'))
        path.pop_back();
    return Platform::Utf8ToText(path + TempTreeSystem::Separator);
}

std::string TTempTree::WithParents(std::string_view rel) const {
    const std::string path = Path(rel);
    const std::size_t separator = path.rfind(TempTreeSystem::Separator);
    if (separator > FRoot.size())
        TempTreeSystem::MakeFolders(path.substr(0, separator), FRoot.size() + 1);
    return path;
}

void TTempTree::File(std::string_view rel, std::string_view bytes) {
    TempTreeSystem::WriteFile(WithParents(rel), bytes);
}

void TTempTree::SizedFile(std::string_view rel, std::uint64_t size, char fill) {
    File(rel, std::string(size, fill));
}

void TTempTree::SparseFile(std::string_view rel, std::uint64_t size) {
    File(rel, "");
    TempTreeSystem::SetSparseSize(Path(rel), size);
}

void TTempTree::Folder(std::string_view rel) {
    TempTreeSystem::MakeFolders(Path(rel), FRoot.size() + 1);
}

void TTempTree::Link(std::string_view rel, std::string_view target) {
    TempTreeSystem::MakeLink(WithParents(rel), target);
}

void TTempTree::HardLink(std::string_view rel, std::string_view existingRel) {
    TempTreeSystem::MakeHardLink(WithParents(rel), Path(existingRel));
}

void TTempTree::Remove(std::string_view rel) {
    TempTreeSystem::RemoveAll(Path(rel));
}

void TTempTree::Deny(std::string_view rel) {
    if (const std::optional<std::intptr_t> held = TempTreeSystem::Deny(Path(rel)))
        FHeld.push_back(*held);
}
