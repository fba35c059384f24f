#pragma once
#include <string>

#include "core/ResultList.h"

// A result list as the window shows it: each group's header, then its rows, each row "[x]"
// or "[ ]" and its columns, separated by tabs. UTF-8; names that are not valid UTF-8 keep
// their own bytes.
std::string ListAsText(const TResultList& list);
