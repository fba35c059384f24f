#pragma once
// The check-mark commands of a result list, and what the Recycle Bin command takes from the
// marks: the checked paths, the request made of them, and the rows it removes.
#include <functional>
#include <unordered_set>
#include <vector>

#include "core/ResultList.h"
#include "platform/PathSyntax.h"
#include "platform/Text.h"

// In every group the first item in list order ends unchecked and every other item checked,
// whatever the marks were; items in no group keep theirs.
void CheckAllButOneInGroup(TResultList& list);

// Sets or clears the mark of every item, in a group or not.
void SetAllChecked(TResultList& list, bool checked);

// Where an item's path is: the attached file record (File Clones) or the first sub-item
// (Folder Clones).
enum class TItemPath { ipFileRecord, ipFirstSubItem };

// The path of an item: empty when it has none.
Text ItemPath(const TListItem& item, TItemPath source);

// The path of every checked item that has one, in item order.
std::vector<Text> CheckedPaths(const TResultList& list, TItemPath source);

// A set of paths that tells whether another path is one of them or lies inside one; letter
// case is ignored where the file system ignores it, a trailing separator does not count.
class TPathSet {
public:
    explicit TPathSet(const std::vector<Text>& paths = {},
                      Platform::TPathSyntax syntax = Platform::NativeSyntax);
    void Add(TextView path);
    // The path is one of the set, or one of the set holds it.
    bool Covers(TextView path) const;
    // One of the set holds the path (the path itself does not count).
    bool HoldsInside(TextView path) const;

private:
    bool HoldsKeyInside(const Text& key) const;

    Platform::TPathSyntax FSyntax;
    std::unordered_set<Text> FKeys;
};

// The paths without those that another path of the list holds (a folder's own files and
// subfolders) and without repeats: sending both would ask for a path that the first move
// already took away. Order kept; letter case is ignored where the file system ignores it.
std::vector<Text> OutermostPaths(const std::vector<Text>& paths,
                                 Platform::TPathSyntax syntax = Platform::NativeSyntax);

// Deletes every item the predicate picks; groups stay, even when left empty.
void DeleteItems(TResultList& list, const std::function<bool(const TListItem&)>& doomed);

// After a removal: deletes the items whose path is one of the paths handed to the trash, or
// lies inside one, and that the disk no longer has (links not followed). What stayed keeps
// its row and its mark.
void DeleteGoneItems(TResultList& list, TItemPath source, const std::vector<Text>& sent);
