#pragma once
// The check before every removal, for the window and the command line alike. Each checked
// item may go only when a kept item of its group (unchecked, with a path) is there now and
// holds the same content now, compared byte by byte: files by their bytes, folders by their
// trees with links compared as links. A kept folder counts only when it neither lies inside
// a checked item nor holds one, since the removal would take it along or hollow it out.
// What is not verified stays unless the user chooses to move all checked items.
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/CheckMarks.h"
#include "core/ContentCompare.h"
#include "core/ReferenceFolders.h"
#include "core/ResultList.h"
#include "core/ScanHost.h"
#include "core/ScanSettings.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

class TFileInfo;

enum class TRemovalReason {
    rrVerified,
    rrNotChecked,        // the check has not reached it (stopped before)
    rrAllChecked,        // no row of its group is left unchecked
    rrKeptCopyGone,      // the kept copy is gone, or differs now
    rrChangedSinceScan,  // the item itself is not what the scan found
    rrContentsDiffer,    // its group was found by name or size, and the contents differ
    rrKeptCopyOverlaps,  // the kept folder lies inside a checked item or holds one
    rrUnreadable,        // the item or its kept copy could not be read or listed
    rrReferenceFolder,   // it lies in a reference folder, or holds one
};

// The English text of a reason, for TranslateText.
const char16_t* RemovalReasonText(TRemovalReason reason);

struct TCheckedItem {
    Text Path;
    int ItemIndex = -1;  // in the list when the check was made
    TRemovalReason Reason = TRemovalReason::rrNotChecked;
    // Files: the kept copy it was verified against (or that is the same physical file), and
    // both as they were then, so that a later step can tell whether either changed.
    Text KeptPath{};
    bool SameFileAsKept = false;
    Platform::TFileStatus Status{};
    Platform::TFileStatus KeptStatus{};
    std::int64_t Time = 0;
    std::int64_t KeptTime = 0;
    bool TimesKnown = false;  // both times asked, and unchanged while the bytes were compared
    bool Verified() const { return Reason == TRemovalReason::rrVerified; }
};

// Moves paths to the trash in one request; true when every one went.
using TTrashFunction = std::function<bool(const std::vector<Text>& paths)>;

enum class TItemOutcome {
    ioMoved,   // asked for and gone from the disk
    ioFailed,  // asked for and still there
    ioKept,    // not asked for: not verified
};

struct TRemovalResult {
    std::vector<Text> Sent;              // the request: outermost paths only
    std::vector<TItemOutcome> Outcomes;  // one per checked item
    bool TrashAnswer = false;
    std::size_t Count(TItemOutcome outcome) const;
};

class TRemovalCheck {
public:
    // Takes the checked items and their groups from the list as it is now; the check and
    // the removal work on this picture, whatever the list does meanwhile. filesMode is how
    // the groups of a File Clones list were found.
    // Items in the reference folders (or holding one) are refused, checked or not.
    TRemovalCheck(const TResultList& list, TItemPath source, TCompareMode filesMode,
                  const TReferenceFolders* reference = nullptr);

    const std::vector<TCheckedItem>& Items() const { return FItems; }
    std::size_t VerifiedCount() const;

    // Checks every item, with progress on the host's status line and progress bar. False
    // when a stop was requested: the check is then incomplete and nothing may be moved.
    bool Run(TScanHost& host, const TStopToken& stop);

    // Hands the verified items (or, with all, every checked item outside the reference
    // folders) to the trash, then asks the disk what went. An item inside a folder that is asked
    // for goes with it.
    TRemovalResult Remove(bool all, const TTrashFunction& trash) const;

private:
    struct TRow {
        Text Path;
        int GroupId = -1;
        int ItemIndex = -1;
        const TFileInfo* Record = nullptr;  // File Clones only
    };
    using TIdSet = std::unordered_set<Platform::TFileId, Platform::TFileIdHash>;

    TRemovalReason CheckFile(const TRow& row, TCheckedItem& item, TPacer& pacer) const;
    TRemovalReason CheckFolder(const TRow& row, TPacer& pacer) const;
    // The unchecked rows of a group, in list order.
    const std::vector<std::size_t>* KeptRows(int groupId) const;
    bool Overlaps(std::size_t keptRow) const;
    bool PrepareOverlaps(TPacer& pacer);

    TItemPath FSource;
    TCompareMode FFilesMode;
    const TReferenceFolders* FReference;
    std::vector<TRow> FCheckedRows;  // one per item of FItems
    std::vector<TRow> FKeptRows;
    std::vector<std::pair<int, std::vector<std::size_t>>> FKeptByGroup;  // sorted by group
    std::vector<TCheckedItem> FItems;
    // Folders: the identities of the checked folders, and of each folder that holds one.
    TIdSet FCheckedIds;
    TIdSet FCheckedAncestorIds;
    std::optional<TPathSet> FCheckedPaths;
    // Per kept row, once asked: whether it overlaps a checked folder (every checked folder
    // of a group asks about the same kept ones).
    mutable std::vector<std::optional<bool>> FKeptOverlaps;
};
