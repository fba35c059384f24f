#pragma once
#include <string>

#include "core/ResultList.h"
#include "platform/Text.h"

// A result list as CSV: UTF-8 with a byte-order mark, CR LF after every line, the column
// captions as a bare header, then one line per item with every field quoted.
std::string ListViewToCsv(const TResultList& list);

// Writes ListViewToCsv to the file, replacing it. Raises when it cannot be written.
void ExportListViewToCsv(const TResultList& list, const Text& fileName);
