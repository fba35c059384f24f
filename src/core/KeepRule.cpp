#include "core/KeepRule.h"

#include <unordered_map>
#include <vector>

#include "platform/FileTimes.h"

namespace {

void SetMark(TResultList& list, int index, bool checked) {
    if (list.ItemAt(index).Checked != checked)
        list.SetChecked(index, checked);
}

bool InReference(const TListItem& item, const TKeepChoice& choice) {
    return choice.Reference != nullptr && choice.Reference->Holds(ItemPath(item, choice.Source));
}

// Whether candidate b beats the current pick a; equal ones keep a, the earlier.
bool Beats(TKeepRule rule, const Text& a, const Text& b, const std::optional<std::int64_t>& ta,
           const std::optional<std::int64_t>& tb) {
    switch (rule) {
        case TKeepRule::krFirst:
            return false;
        case TKeepRule::krNewest:
        case TKeepRule::krOldest:
            if (!tb)
                return false;
            if (!ta)
                return true;
            return rule == TKeepRule::krNewest ? *tb > *ta : *tb < *ta;
        case TKeepRule::krShortestPath:
            return b.size() < a.size();
        case TKeepRule::krLongestPath:
            return b.size() > a.size();
    }
    return false;
}

std::optional<std::int64_t> TimeOf(const Text& path) {
    std::int64_t time = 0;
    if (path.empty() || !Platform::QueryModifiedTime(path, time))
        return std::nullopt;
    return time;
}

}  // namespace

std::optional<TKeepRule> KeepRuleNamed(std::string_view name) {
    for (const TKeepRuleName& entry : KeepRuleNames)
        if (name == entry.Name)
            return entry.Rule;
    return std::nullopt;
}

void CheckAllButOneInGroup(TResultList& list, const TKeepChoice& choice) {
    // The items of each group in list order, groups in the order they are first met.
    std::unordered_map<int, std::size_t> groupAt;
    std::vector<std::vector<int>> groups;
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        if (item.GroupId < 0) {
            if (InReference(item, choice))
                SetMark(list, i, false);
            continue;
        }
        const auto [at, added] = groupAt.try_emplace(item.GroupId, groups.size());
        if (added)
            groups.emplace_back();
        groups[at->second].push_back(i);
    }
    const bool timed = choice.Rule == TKeepRule::krNewest || choice.Rule == TKeepRule::krOldest;
    for (const std::vector<int>& members : groups) {
        std::vector<bool> reference(members.size(), false);
        bool anyReference = false;
        for (std::size_t m = 0; m < members.size(); ++m) {
            reference[m] = InReference(list.ItemAt(members[m]), choice);
            anyReference = anyReference || reference[m];
        }
        std::size_t kept = 0;
        if (!anyReference) {
            Text keptPath = ItemPath(list.ItemAt(members[0]), choice.Source);
            std::optional<std::int64_t> keptTime = timed ? TimeOf(keptPath) : std::nullopt;
            for (std::size_t m = 1; m < members.size(); ++m) {
                Text path = ItemPath(list.ItemAt(members[m]), choice.Source);
                const std::optional<std::int64_t> time = timed ? TimeOf(path) : std::nullopt;
                if (Beats(choice.Rule, keptPath, path, keptTime, time)) {
                    kept = m;
                    keptPath = std::move(path);
                    keptTime = time;
                }
            }
        }
        for (std::size_t m = 0; m < members.size(); ++m)
            SetMark(list, members[m], !reference[m] && !(!anyReference && m == kept));
    }
}

void SetAllChecked(TResultList& list, bool checked, const TKeepChoice& choice) {
    for (int i = 0; i < list.ItemCount(); ++i)
        SetMark(list, i, checked && !InReference(list.ItemAt(i), choice));
}

void UncheckReferenceCopies(TResultList& list, const TKeepChoice& choice) {
    if (choice.Reference == nullptr || choice.Reference->Empty())
        return;
    for (int i = 0; i < list.ItemCount(); ++i)
        if (list.ItemAt(i).Checked && InReference(list.ItemAt(i), choice))
            SetMark(list, i, false);
}
