#pragma once
// The check-mark commands of a result list, and what the Recycle Bin command takes from the
// marks: the checked paths, the request made of them, and the rows it removes.
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

// The path of every checked item that has one, in item order.
std::vector<Text> CheckedPaths(const TResultList& list, TItemPath source);

// The paths without those that another path of the list holds (a folder's own files and
// subfolders) and without repeats: sending both would ask for a path that the first move
// already took away. Order kept; letter case is ignored where the file system ignores it.
std::vector<Text> OutermostPaths(const std::vector<Text>& paths,
                                 Platform::TPathSyntax syntax = Platform::NativeSyntax);

// Deletes every checked item; groups stay, even when left empty.
void DeleteCheckedItems(TResultList& list);
