#pragma once
// What two paths hold now, compared byte by byte: two files, or two folder trees entry by
// entry with links compared as links (never followed). No digest is trusted: two different
// contents with one digest must never pass for copies.
#include "core/Pacer.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

enum class TSameness {
    snSame,
    snDiffer,
    snUnreadable,  // something could not be opened, read or listed
    snStopped,
};

// What CompareFileBytes read: each file as its open handle tells, whatever its path leads
// to by now.
struct TReadFiles {
    Platform::TFileStatus A, B;
};

// The bytes of two files, read to their ends. A link at either path is not followed: the
// file counts as unreadable. The caller makes sure both are plain files; read, when given,
// receives what was opened, so that the caller can tell it is the file it checked.
TSameness CompareFileBytes(const Text& a, const Text& b, TPacer& pacer, TReadFiles* read = nullptr);

// Two folder trees: the same entry names (letter case as the file system treats it), each
// pair of the same kind; files of equal size and bytes (one physical file reached from both
// trees counts as equal), links with the same target, folders compared in turn. A folder
// that cannot be listed, an entry that cannot be measured or a special file (pipe, socket,
// device) makes the trees unreadable, never equal.
TSameness CompareTrees(const Text& a, const Text& b, TPacer& pacer);
