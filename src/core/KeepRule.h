#pragma once
// Which copy of each group "check all but one" keeps, and the check commands that leave
// the files of reference folders alone.
#include <optional>
#include <string_view>

#include "core/CheckMarks.h"
#include "core/ReferenceFolders.h"
#include "core/ResultList.h"

enum class TKeepRule {
    krFirst,  // the first in the group's order: the default
    krNewest,
    krOldest,
    krShortestPath,
    krLongestPath,
};

// The rules in the order the window offers them, with their command-line names.
struct TKeepRuleName {
    TKeepRule Rule;
    const char* Name;
    const char16_t* Caption;  // English, for TranslateText
};
inline constexpr TKeepRuleName KeepRuleNames[] = {
    {TKeepRule::krFirst, "first", u"Keep the first"},
    {TKeepRule::krNewest, "newest", u"Keep the newest"},
    {TKeepRule::krOldest, "oldest", u"Keep the oldest"},
    {TKeepRule::krShortestPath, "shortest", u"Keep the shortest path"},
    {TKeepRule::krLongestPath, "longest", u"Keep the longest path"},
};

std::optional<TKeepRule> KeepRuleNamed(std::string_view name);

struct TKeepChoice {
    TKeepRule Rule = TKeepRule::krFirst;
    const TReferenceFolders* Reference = nullptr;  // none when null
    TItemPath Source = TItemPath::ipFileRecord;
};

// In every group one copy ends unchecked and every other one checked: a copy in a reference
// folder when the group has one, else the one the rule picks (times as the disk gives them
// now; a copy whose time cannot be asked loses to one whose time can; ties go to the first
// in the group's order). Copies in reference folders always end unchecked; items in no
// group keep their marks, unless they lie in a reference folder.
void CheckAllButOneInGroup(TResultList& list, const TKeepChoice& choice);

// Sets or clears every mark; a copy in a reference folder is never checked.
void SetAllChecked(TResultList& list, bool checked, const TKeepChoice& choice);

// Clears the mark of every copy in a reference folder: after a scan, and after folders
// were marked.
void UncheckReferenceCopies(TResultList& list, const TKeepChoice& choice);
