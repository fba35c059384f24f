#include "uMainForm/ListSummary.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/CheckMarks.h"
#include "core/FileInfo.h"
#include "core/ResultRows.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"
#include "uMainForm/GroupTitle.h"
#include "uMainForm/ResultModel.h"

std::int64_t SizeTextBytes(TextView text) {
    // The lists write every size with two decimals, so the digits are hundredths.
    std::int64_t hundredths = 0;
    for (char16_t c : text) {
        if (c >= u'0' && c <= u'9') {
            if (hundredths > (INT64_MAX - 9) / 10)
                return INT64_MAX;
            hundredths = hundredths * 10 + (c - u'0');
        }
    }
    constexpr std::int64_t mb = 1048576;
    return hundredths / 100 * mb + hundredths % 100 * mb / 100;
}

TListSummary SummarizeList(const TResultModel& list, std::size_t groupsFound) {
    TListSummary summary;
    summary.Groups = list.GroupCount();
    summary.GroupsFound = groupsFound;
    summary.Rows = list.ItemCount();
    summary.Filtered = !list.Filter().isEmpty();
    summary.ShownGroups = list.ShownGroupCount();

    struct TMarks {
        int Rows = 0;
        int Checked = 0;
    };
    std::unordered_map<int, TMarks> groups;
    std::unordered_set<const TFileInfo*> files;
    std::vector<Text> folders;
    std::unordered_map<Text, std::int64_t> folderBytes;
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        TMarks* marks = item.GroupId >= 0 ? &groups[item.GroupId] : nullptr;
        if (marks != nullptr)
            ++marks->Rows;
        if (!item.Checked)
            continue;
        ++summary.Checked;
        if (marks != nullptr)
            ++marks->Checked;
        if (summary.Filtered && !list.IsShown(i))
            ++summary.CheckedHidden;
        if (item.Data != nullptr) {
            // A file already replaced by a hard link shares its kept copy's bytes.
            if (files.insert(item.Data).second && !list.Replaced(item.Data))
                summary.BytesToFree += item.Data->Size;
        } else if (const Text path = list.PathOf(i); !path.empty()) {
            const Text folder(path);
            const Text size = ItemText(item, ItemColumnCount(item) - 1);
            if (folderBytes.emplace(folder, SizeTextBytes(size)).second)
                folders.push_back(folder);
        }
    }
    for (const Text& folder : OutermostPaths(folders))
        summary.BytesToFree += folderBytes[folder];
    for (const auto& [id, marks] : groups)
        if (marks.Rows > 0 && marks.Checked == marks.Rows)
            ++summary.GroupsAllChecked;
    return summary;
}

Text SummaryText(const TListSummary& summary, bool leftToRightSizes) {
    if (summary.Groups == 0 && summary.Rows == 0)
        return {};
    std::vector<Text> parts;
    if (summary.GroupsFound > static_cast<std::size_t>(summary.Groups))
        parts.push_back(
            TranslateFormat(u"%d of %d groups shown", {summary.Groups, summary.GroupsFound}));
    else
        parts.push_back(TranslateFormat(u"Groups: %d", {summary.Groups}));
    parts.push_back(TranslateFormat(u"Rows: %d", {summary.Rows}));
    if (summary.Filtered)
        parts.push_back(TranslateFormat(u"Groups matching the filter: %d", {summary.ShownGroups}));
    const Text size = FormatSizeMB(summary.BytesToFree);
    parts.push_back(
        TranslateFormat(u"Checked: %d (%s to free)",
                        {summary.Checked, leftToRightSizes ? LeftToRightRun(size) : size}));
    if (summary.GroupsAllChecked > 0)
        parts.push_back(
            TranslateFormat(u"Groups with every row checked: %d", {summary.GroupsAllChecked}));
    if (summary.CheckedHidden > 0)
        parts.push_back(
            TranslateFormat(u"Checked rows hidden by the filter: %d", {summary.CheckedHidden}));
    Text line;
    for (const Text& part : parts) {
        if (!line.empty())
            line += u"  \u00B7  ";
        line += part;
    }
    return line;
}
