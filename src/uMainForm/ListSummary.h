#pragma once
// What a result list holds, for the line above the pages: groups and rows, how many groups
// the maximum left out, what the filter shows, and the space the checked rows would free.
#include <cstddef>
#include <cstdint>

#include "platform/Text.h"

class TResultModel;

struct TListSummary {
    int Groups = 0;               // group headers listed
    std::size_t GroupsFound = 0;  // before the maximum cut them; 0 when not known
    int Rows = 0;
    bool Filtered = false;
    int ShownGroups = 0;  // with the filter
    int Checked = 0;
    int CheckedHidden = 0;  // checked rows the filter leaves out
    // Each checked file once; a checked folder inside another checked folder counts with it.
    // A group with every row checked counts whole: all of its copies would go.
    std::int64_t BytesToFree = 0;
    int GroupsAllChecked = 0;  // groups whose every row is checked
};

TListSummary SummarizeList(const TResultModel& list, std::size_t groupsFound);

// The summary as one line in the current language; empty for a list without rows or groups.
// With leftToRightSizes the size is one left-to-right run, for a right-to-left window.
Text SummaryText(const TListSummary& summary, bool leftToRightSizes = false);

// The bytes a size text of the lists stands for ("12.34 MB": 12.34 megabytes, whatever the
// decimal separator and unit); 0 for a text without digits.
std::int64_t SizeTextBytes(TextView text);
