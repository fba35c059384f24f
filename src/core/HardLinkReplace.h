#pragma once
// Replacing checked files by hard links to the kept copy of their group: each checked file
// that the check before a removal verified becomes another name of the kept copy, so its
// space is freed and its path keeps working. A new link is made under a temporary name in
// the checked file's folder (never over an existing name), and renamed over the checked
// file only when both files are still the ones verified; on any failure only that
// temporary link goes and the file stays as it was.
#include <vector>

#include "core/RemovalCheck.h"

enum class TLinkFailure {
    lfNone,
    lfOtherVolume,      // the kept copy lies on another volume
    lfDenied,           // no permission in the folder or on the file
    lfUnsupported,      // the file system has no hard links
    lfChanged,          // it or its kept copy changed after the check
    lfNoTemporaryName,  // every temporary name tried was taken
    lfFailed,           // the system refused for another reason
};

// The English text of a failure, for TranslateText.
const char16_t* LinkFailureText(TLinkFailure failure);

struct TLinkResult {
    // One per checked item: ioMoved when the path is now a hard link of the kept copy,
    // ioFailed when it could not be replaced, ioKept when it was not verified.
    std::vector<TItemOutcome> Outcomes;
    std::vector<TLinkFailure> Failures;
    std::vector<bool> AlreadyLinked;  // was one file with its kept copy before
    std::size_t Count(TItemOutcome outcome) const;
};

// Replaces every verified file of a finished check of a File Clones list found by content.
TLinkResult ReplaceWithHardLinks(const TRemovalCheck& check);
