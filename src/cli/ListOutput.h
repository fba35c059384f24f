#pragma once
#include <string>

#include "core/ResultList.h"
#include "platform/Text.h"

// The text with its control characters written as escapes (\n, \t, \r, \x1b, and \u0085
// for those of U+0080..U+009F), so that a name can neither start a row of its own nor
// reach the terminal as a command. On POSIX, where a name may hold a backslash, a backslash
// is written \\; on Windows it is the separator and names cannot hold control characters.
Text EscapeControls(TextView text);
// EscapeControls in UTF-8; bytes of a name that are not valid UTF-8 stay as they are.
std::string PrintableUtf8(TextView text);

// A result list as the window shows it: each group's header, then its rows, each row "[x]"
// or "[ ]" and its columns, separated by tabs, every text through PrintableUtf8.
std::string ListAsText(const TResultList& list);
