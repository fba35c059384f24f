#include "core/HardLinkReplace.h"

#include <algorithm>
#include <charconv>

#include "platform/FileTimes.h"
#include "platform/HardLink.h"
#include "platform/PathSyntax.h"

namespace {

using Platform::TFileStatus;
using Platform::TLinkStatus;

// Temporary names tried per file before giving up.
constexpr int TemporaryNames = 100;

TLinkFailure FailureOf(TLinkStatus status) {
    switch (status) {
        case TLinkStatus::lsDone:
            return TLinkFailure::lfNone;
        case TLinkStatus::lsOtherVolume:
            return TLinkFailure::lfOtherVolume;
        case TLinkStatus::lsDenied:
            return TLinkFailure::lfDenied;
        case TLinkStatus::lsUnsupported:
            return TLinkFailure::lfUnsupported;
        case TLinkStatus::lsExists:
        case TLinkStatus::lsFailed:
            return TLinkFailure::lfFailed;
    }
    return TLinkFailure::lfFailed;
}

// The file at the path is the one recorded: same identity, size and time.
bool Unchanged(const Text& path, const TFileStatus& was, std::int64_t wasTime) {
    TFileStatus now;
    std::int64_t time = 0;
    return Platform::QueryFile(path, now) && now.IsRegular && now.Id == was.Id &&
           now.Size == was.Size && Platform::QueryModifiedTime(path, time) && time == wasTime;
}

Text FolderOf(const Text& path) {
    std::size_t end = path.size();
    while (end > 0 && !Platform::IsPathSeparator(path[end - 1], Platform::NativeSyntax))
        --end;
    return path.substr(0, end);
}

Text TemporaryName(const Text& folder, int n) {
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
    Text name = folder + u".twinseek-link-";
    for (const char* c = digits; c != end; ++c)
        name += static_cast<char16_t>(*c);
    return name + u".tmp";
}

// Removes the temporary name only while it still is a link of the kept copy: what the
// program made, nothing that took the name meanwhile.
void RemoveTemporary(const Text& temporary, const Platform::TFileId& kept) {
    TFileStatus status;
    if (Platform::QueryFile(temporary, status) && status.IsRegular && status.Id == kept)
        Platform::RemoveFileName(temporary);
}

TLinkFailure Replace(const TCheckedItem& item) {
    if (item.KeptStatus.Id.Volume != item.Status.Id.Volume)
        return TLinkFailure::lfOtherVolume;
    if (!item.TimesKnown || !Unchanged(item.Path, item.Status, item.Time) ||
        !Unchanged(item.KeptPath, item.KeptStatus, item.KeptTime))
        return TLinkFailure::lfChanged;
    const Text folder = FolderOf(item.Path);
    Text temporary;
    TLinkStatus made = TLinkStatus::lsExists;
    for (int n = 0; n < TemporaryNames && made == TLinkStatus::lsExists; ++n) {
        temporary = TemporaryName(folder, n);
        made = Platform::MakeHardLink(item.KeptPath, temporary);
    }
    if (made == TLinkStatus::lsExists)
        return TLinkFailure::lfNoTemporaryName;
    if (made != TLinkStatus::lsDone)
        return FailureOf(made);
    // The new name must lead to the kept copy as verified, and the checked file must still
    // be the one verified, right before it is replaced.
    TFileStatus linked;
    if (!Platform::QueryFile(temporary, linked) || linked.Id != item.KeptStatus.Id ||
        !Unchanged(item.KeptPath, item.KeptStatus, item.KeptTime) ||
        !Unchanged(item.Path, item.Status, item.Time)) {
        RemoveTemporary(temporary, item.KeptStatus.Id);
        return TLinkFailure::lfChanged;
    }
    const TLinkStatus renamed = Platform::RenameOver(temporary, item.Path);
    if (renamed != TLinkStatus::lsDone) {
        RemoveTemporary(temporary, item.KeptStatus.Id);
        return FailureOf(renamed);
    }
    TFileStatus after;
    if (!Platform::QueryFile(item.Path, after) || after.Id != item.KeptStatus.Id)
        return TLinkFailure::lfFailed;
    return TLinkFailure::lfNone;
}

// Already one file with its kept copy: nothing to do.
bool IsLinkOfKept(const TCheckedItem& item) {
    TFileStatus now, kept;
    return item.SameFileAsKept && Platform::QueryFile(item.Path, now) && now.IsRegular &&
           Platform::QueryFile(item.KeptPath, kept) && kept.IsRegular && now.Id == kept.Id;
}

}  // namespace

const char16_t* LinkFailureText(TLinkFailure failure) {
    switch (failure) {
        case TLinkFailure::lfNone:
            return u"Replaced with a hard link.";
        case TLinkFailure::lfOtherVolume:
            return u"Its kept copy lies on another volume.";
        case TLinkFailure::lfDenied:
            return u"Permission denied.";
        case TLinkFailure::lfUnsupported:
            return u"The file system does not support hard links.";
        case TLinkFailure::lfChanged:
            return u"It or its kept copy changed after the check.";
        case TLinkFailure::lfNoTemporaryName:
            return u"No free temporary name in its folder.";
        case TLinkFailure::lfFailed:
            return u"The hard link could not be made.";
    }
    return u"The hard link could not be made.";
}

std::size_t TLinkResult::Count(TItemOutcome outcome) const {
    return static_cast<std::size_t>(std::count(Outcomes.begin(), Outcomes.end(), outcome));
}

TLinkResult ReplaceWithHardLinks(const TRemovalCheck& check) {
    TLinkResult result;
    for (const TCheckedItem& item : check.Items()) {
        TItemOutcome outcome = TItemOutcome::ioKept;
        TLinkFailure failure = TLinkFailure::lfNone;
        bool already = false;
        if (IsLinkOfKept(item)) {
            outcome = TItemOutcome::ioMoved;
            already = true;
        } else if (item.Verified()) {
            failure = Replace(item);
            outcome =
                failure == TLinkFailure::lfNone ? TItemOutcome::ioMoved : TItemOutcome::ioFailed;
        }
        result.Outcomes.push_back(outcome);
        result.Failures.push_back(failure);
        result.AlreadyLinked.push_back(already);
    }
    return result;
}
