#include "core/RemovalCheck.h"

#include <algorithm>
#include <optional>

#include "core/FileInfo.h"
#include "platform/FileTimes.h"
#include "platform/PathProbe.h"
#include "platform/PathSyntax.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

using Platform::TFileId;
using Platform::TFileStatus;

// Progress is written every this many items; long items keep the window alive by the clock.
constexpr std::size_t StatusInterval = 10;
// Size or identity other than the scan found; a record made without the disk (no identity)
// is judged by its size.
bool ChangedSinceRecord(const TFileInfo& record, const TFileStatus& now) {
    return now.Size != record.Size || (record.Id != TFileId{} && record.Id != now.Id);
}

}  // namespace

const char16_t* RemovalReasonText(TRemovalReason reason) {
    switch (reason) {
        case TRemovalReason::rrVerified:
            return u"Verified: a kept item holds the same content.";
        case TRemovalReason::rrNotChecked:
            return u"Not examined yet.";
        case TRemovalReason::rrAllChecked:
            return u"Every item of its group is checked.";
        case TRemovalReason::rrKeptCopyGone:
            return u"The kept copy is gone or differs now.";
        case TRemovalReason::rrChangedSinceScan:
            return u"It changed since the scan.";
        case TRemovalReason::rrContentsDiffer:
            return u"Its group was found by name or size, and the contents differ.";
        case TRemovalReason::rrKeptCopyOverlaps:
            return u"The kept copy lies inside a checked item or holds one.";
        case TRemovalReason::rrUnreadable:
            return u"It or its kept copy could not be read.";
        case TRemovalReason::rrReferenceFolder:
            return u"It lies in a reference folder.";
    }
    return u"Not examined yet.";
}

std::size_t TRemovalResult::Count(TItemOutcome outcome) const {
    return static_cast<std::size_t>(std::count(Outcomes.begin(), Outcomes.end(), outcome));
}

TRemovalCheck::TRemovalCheck(const TResultList& list, TItemPath source, TCompareMode filesMode,
                             const TReferenceFolders* reference)
    : FSource(source), FFilesMode(filesMode), FReference(reference) {
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        Text path = ItemPath(item, source);
        if (path.empty())
            continue;
        TRow row{.Path = std::move(path),
                 .GroupId = item.GroupId,
                 .ItemIndex = i,
                 .Record = source == TItemPath::ipFileRecord ? item.Data : nullptr};
        if (item.Checked) {
            FItems.push_back({.Path = row.Path, .ItemIndex = i});
            FCheckedRows.push_back(std::move(row));
        } else if (row.GroupId >= 0) {
            FKeptRows.push_back(std::move(row));
        }
    }
    for (std::size_t k = 0; k < FKeptRows.size(); ++k) {
        const int groupId = FKeptRows[k].GroupId;
        auto at = std::lower_bound(FKeptByGroup.begin(), FKeptByGroup.end(), groupId,
                                   [](const auto& entry, int id) { return entry.first < id; });
        if (at == FKeptByGroup.end() || at->first != groupId)
            at = FKeptByGroup.insert(at, {groupId, {}});
        at->second.push_back(k);
    }
}

std::size_t TRemovalCheck::VerifiedCount() const {
    return static_cast<std::size_t>(
        std::count_if(FItems.begin(), FItems.end(), [](const auto& i) { return i.Verified(); }));
}

const std::vector<std::size_t>* TRemovalCheck::KeptRows(int groupId) const {
    if (groupId < 0)
        return nullptr;
    const auto at = std::lower_bound(FKeptByGroup.begin(), FKeptByGroup.end(), groupId,
                                     [](const auto& entry, int id) { return entry.first < id; });
    return at != FKeptByGroup.end() && at->first == groupId ? &at->second : nullptr;
}

bool TRemovalCheck::Run(TScanHost& host, const TStopToken& stop) {
    TPacer pacer(host, stop);
    const std::size_t n = FItems.size();
    for (TCheckedItem& item : FItems)
        item.Reason = TRemovalReason::rrNotChecked;
    host.SetProgressPosition(0);
    host.SetProgressMax(n == 0 ? 1 : ProgressCount(n));
    host.SetStatus(TranslateFormat(u"Checking items before removal (%d/%d)...", {0, n}));
    host.KeepResponsive();
    if (FSource == TItemPath::ipFirstSubItem && !PrepareOverlaps(pacer))
        return false;
    // A folder inside a verified folder goes with it, and the kept copy of the outer one
    // holds its content too: it needs no comparison of its own.
    TPathSet verifiedFolders;
    for (std::size_t i = 0; i < n; ++i) {
        if (!pacer.Continue())
            return false;
        const TRow& row = FCheckedRows[i];
        TRemovalReason reason = TRemovalReason::rrVerified;
        if (FReference != nullptr && FReference->Touches(row.Path))
            reason = TRemovalReason::rrReferenceFolder;
        else if (FSource == TItemPath::ipFileRecord)
            reason = CheckFile(row, FItems[i], pacer);
        else if (!verifiedFolders.HoldsInside(row.Path))
            reason = CheckFolder(row, pacer);
        if (reason == TRemovalReason::rrNotChecked)
            return false;  // stopped inside the item
        FItems[i].Reason = reason;
        if (reason == TRemovalReason::rrVerified && FSource == TItemPath::ipFirstSubItem)
            verifiedFolders.Add(row.Path);
        host.SetProgressPosition(ProgressCount(i + 1));
        if ((i + 1) % StatusInterval == 0 || i + 1 == n) {
            host.SetStatus(
                TranslateFormat(u"Checking items before removal (%d/%d)...", {i + 1, n}));
            host.KeepResponsive();
        }
    }
    // The same for a folder listed before the verified folder that holds it.
    for (TCheckedItem& item : FItems)
        if (!item.Verified() && item.Reason != TRemovalReason::rrReferenceFolder &&
            verifiedFolders.HoldsInside(item.Path))
            item.Reason = TRemovalReason::rrVerified;
    host.SetStatus(TranslateFormat(u"Verified: %d of %d checked items.", {VerifiedCount(), n}));
    return true;
}

TRemovalReason TRemovalCheck::CheckFile(const TRow& row, TCheckedItem& item, TPacer& pacer) const {
    TFileStatus now;
    const std::vector<std::size_t>* kept = KeptRows(row.GroupId);
    if (!Platform::QueryFile(row.Path, now) || !now.IsRegular)
        return TRemovalReason::rrChangedSinceScan;
    if (row.Record != nullptr && ChangedSinceRecord(*row.Record, now)) {
        // Replaced by a hard link of its kept copy since the scan: no second copy, but done.
        for (std::size_t k = 0; kept != nullptr && k < kept->size(); ++k) {
            TFileStatus keptNow;
            const Text& keptPath = FKeptRows[(*kept)[k]].Path;
            if (Platform::QueryFile(keptPath, keptNow) && keptNow.IsRegular &&
                keptNow.Id == now.Id) {
                item.SameFileAsKept = true;
                item.KeptPath = keptPath;
                break;
            }
        }
        return TRemovalReason::rrChangedSinceScan;
    }
    if (kept == nullptr)
        return TRemovalReason::rrAllChecked;
    // Bytes that differ mean another content in name and size modes, a change otherwise.
    const TRemovalReason differ =
        FFilesMode == cmContent ? TRemovalReason::rrKeptCopyGone : TRemovalReason::rrContentsDiffer;
    std::optional<TRemovalReason> first;
    for (const std::size_t k : *kept) {
        const Text& keptPath = FKeptRows[k].Path;
        TRemovalReason reason = differ;
        TFileStatus keptNow;
        if (!Platform::QueryFile(keptPath, keptNow) || !keptNow.IsRegular || keptNow.Id == now.Id) {
            reason = TRemovalReason::rrKeptCopyGone;  // one physical file is no second copy
            if (keptNow.IsRegular && keptNow.Id == now.Id && !item.SameFileAsKept) {
                item.SameFileAsKept = true;
                item.KeptPath = keptPath;
            }
        } else if (keptNow.Size == now.Size) {
            std::int64_t timeBefore = 0, keptTimeBefore = 0;
            const bool timesBefore = Platform::QueryModifiedTime(row.Path, timeBefore) &&
                                     Platform::QueryModifiedTime(keptPath, keptTimeBefore);
            TReadFiles read;
            switch (CompareFileBytes(row.Path, keptPath, pacer, &read)) {
                case TSameness::snStopped:
                    return TRemovalReason::rrNotChecked;
                case TSameness::snUnreadable:
                    reason = TRemovalReason::rrUnreadable;
                    break;
                case TSameness::snDiffer:
                    break;
                case TSameness::snSame: {
                    // What was read is what was checked, and neither was swapped since.
                    TFileStatus after, keptAfter;
                    if (read.A.Id != now.Id || read.A.Size != now.Size ||
                        !Platform::QueryFile(row.Path, after) || after.Id != now.Id ||
                        after.Size != now.Size || !after.IsRegular)
                        return TRemovalReason::rrChangedSinceScan;
                    if (read.B.Id == keptNow.Id && read.B.Size == keptNow.Size &&
                        Platform::QueryFile(keptPath, keptAfter) && keptAfter.IsRegular &&
                        keptAfter.Id == keptNow.Id && keptAfter.Size == keptNow.Size) {
                        item.KeptPath = keptPath;
                        item.SameFileAsKept = false;
                        item.Status = after;
                        item.KeptStatus = keptAfter;
                        // Times unchanged across the reading: neither was written meanwhile.
                        item.TimesKnown =
                            timesBefore && Platform::QueryModifiedTime(row.Path, item.Time) &&
                            Platform::QueryModifiedTime(keptPath, item.KeptTime) &&
                            item.Time == timeBefore && item.KeptTime == keptTimeBefore;
                        return TRemovalReason::rrVerified;
                    }
                    reason = TRemovalReason::rrKeptCopyGone;
                    break;
                }
            }
        }
        if (!first)
            first = reason;
    }
    return first.value_or(TRemovalReason::rrAllChecked);
}

bool TRemovalCheck::PrepareOverlaps(TPacer& pacer) {
    FCheckedIds.clear();
    FCheckedAncestorIds.clear();
    std::vector<Text> paths;
    for (const TRow& row : FCheckedRows)
        paths.push_back(row.Path);
    FCheckedPaths.emplace(paths);
    FKeptOverlaps.assign(FKeptRows.size(), std::nullopt);
    for (const TRow& row : FCheckedRows) {
        if (!pacer.Continue())
            return false;
        const std::vector<TFileId> chain = PhysicalChain(row.Path);
        if (chain.empty())
            continue;
        FCheckedIds.insert(chain.front());
        FCheckedAncestorIds.insert(chain.begin(), chain.end());
    }
    return true;
}

bool TRemovalCheck::Overlaps(std::size_t keptRow) const {
    std::optional<bool>& known = FKeptOverlaps[keptRow];
    if (!known) {
        const Text& keptPath = FKeptRows[keptRow].Path;
        const std::vector<TFileId> chain = PhysicalChain(keptPath);
        known = chain.empty() ||                                // where it lies cannot be told
                FCheckedAncestorIds.contains(chain.front()) ||  // it holds a checked folder
                std::any_of(chain.begin(), chain.end(),
                            [&](const TFileId& id) { return FCheckedIds.contains(id); }) ||
                // By the paths as written too, for what the identities cannot show.
                (FCheckedPaths && FCheckedPaths->Covers(keptPath));
    }
    return *known;
}

TRemovalReason TRemovalCheck::CheckFolder(const TRow& row, TPacer& pacer) const {
    TFileId id;
    if (!Platform::DirectoryExists(row.Path) || !Platform::QueryIdentity(row.Path, id))
        return TRemovalReason::rrChangedSinceScan;
    const std::vector<std::size_t>* kept = KeptRows(row.GroupId);
    if (kept == nullptr)
        return TRemovalReason::rrAllChecked;
    std::optional<TRemovalReason> first;
    for (const std::size_t k : *kept) {
        const Text& keptPath = FKeptRows[k].Path;
        TRemovalReason reason = TRemovalReason::rrContentsDiffer;
        TFileId keptId;
        if (!Platform::DirectoryExists(keptPath) || !Platform::QueryIdentity(keptPath, keptId) ||
            keptId == id) {
            reason = TRemovalReason::rrKeptCopyGone;
        } else if (Overlaps(k)) {
            reason = TRemovalReason::rrKeptCopyOverlaps;
        } else {
            switch (CompareTrees(row.Path, keptPath, pacer)) {
                case TSameness::snStopped:
                    return TRemovalReason::rrNotChecked;
                case TSameness::snUnreadable:
                    reason = TRemovalReason::rrUnreadable;
                    break;
                case TSameness::snDiffer:
                    break;
                case TSameness::snSame:
                    return TRemovalReason::rrVerified;
            }
        }
        if (!first)
            first = reason;
    }
    return first.value_or(TRemovalReason::rrAllChecked);
}

TRemovalResult TRemovalCheck::Remove(bool all, const TTrashFunction& trash) const {
    TRemovalResult result;
    std::vector<Text> asked;
    const auto asks = [all](const TCheckedItem& item) {
        return item.Verified() || (all && item.Reason != TRemovalReason::rrReferenceFolder);
    };
    for (const TCheckedItem& item : FItems)
        if (asks(item))
            asked.push_back(item.Path);
    result.Sent = OutermostPaths(asked);
    if (!result.Sent.empty())
        result.TrashAnswer = trash(result.Sent);
    // What went is what the disk no longer has, whatever the trash answered.
    result.Outcomes.reserve(FItems.size());
    for (const TCheckedItem& item : FItems) {
        if (!asks(item))
            result.Outcomes.push_back(TItemOutcome::ioKept);
        else
            result.Outcomes.push_back(Platform::PathIsGone(item.Path) ? TItemOutcome::ioMoved
                                                                      : TItemOutcome::ioFailed);
    }
    return result;
}
