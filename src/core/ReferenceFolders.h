#pragma once
// Folders whose files the user keeps whatever the groups say: nothing below them is ever
// checked by a check command, removed or replaced. Told by the path as written and by where
// the system finds the item, so that a second path to the same folder (a link, a bind
// mount) does not slip past.
#include <unordered_map>
#include <vector>

#include "core/CheckMarks.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

// The folder and every folder above it as the system finds them (through ".." of the
// folder really reached, so a link in the path does not hide where it lies).
std::vector<Platform::TFileId> PhysicalChain(const Text& folder);

class TReferenceFolders {
public:
    explicit TReferenceFolders(const std::vector<Text>& folders = {});

    bool Empty() const { return FFolders.empty(); }
    const std::vector<Text>& Folders() const { return FFolders; }

    // The item lies in a reference folder (or is one).
    bool Holds(const Text& path) const;
    // The item lies in a reference folder or holds one: removing it would take reference
    // files along.
    bool Touches(const Text& path) const;

private:
    bool ParentHeld(const Text& parent) const;

    std::vector<Text> FFolders;
    TPathSet FPaths;
    std::vector<Platform::TFileId> FIds;
    // The physical chain of each reference folder, for the folders that hold one.
    std::vector<std::vector<Platform::TFileId>> FChains;
    // Per parent folder, once asked: the items of a group share few folders.
    mutable std::unordered_map<Text, bool> FParentHeld;
};
