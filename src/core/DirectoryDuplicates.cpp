#include "core/DirectoryDuplicates.h"

#include <algorithm>

#include "core/DirGrouping.h"
#include "core/DirSignatures.h"
#include "core/ResultRows.h"
#include "core/ScanSettings.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

namespace {

void ListDirGroups(TScanHost& host, const TStopToken& stop, TResultList& lvDirs,
                   const std::vector<TDirGroupRec>& groups, std::int64_t maxGroups) {
    std::size_t count = groups.size();
    if (maxGroups > 0 && static_cast<std::uint64_t>(maxGroups) < count)
        count = static_cast<std::size_t>(maxGroups);
    host.SetProgressPosition(0);
    host.SetProgressMax(count == 0 ? 1 : ProgressCount(count));
    host.SetStatus(TranslateText(u"Listing directory groups..."));
    host.KeepResponsive();

    TListUpdateGuard update(lvDirs);
    int groupNo = 1;
    std::size_t listed = 0;
    while (listed < count) {
        if (stop.Requested())
            break;
        const TDirGroupRec& group = groups[listed];
        AddDirGroup(lvDirs, group.Dirs, group.Sizes, group.TotalSize, groupNo);
        ++listed;
        host.SetProgressPosition(ProgressCount(listed));
        if (listed % 5 == 0) {
            host.SetStatus(
                TranslateFormat(u"Listing directory groups (%d/%d)...", {listed, count}));
            host.KeepResponsive();
        }
    }
}

}  // namespace

std::size_t FindDirectoryDuplicates(TScanHost& host, const TStopToken& stop, TResultList& lvDirs) {
    std::size_t found = 0;
    {
        // Item updates stay suspended for the whole phase, whichever way it ends.
        TItemUpdateGuard items(lvDirs);
        lvDirs.ClearItems();
        ClearListGroups(lvDirs);

        TDirSignatures signatures;
        if (!ComputeDirSignatures(host, stop, signatures))
            return found;

        host.SetStatus(TranslateText(u"Grouping duplicate directories..."));
        host.KeepResponsive();
        const TScanSettings settings = host.ReadSettings();
        const std::vector<TDirGroupRec> groups =
            GroupDirectories(signatures, settings.MinGroupSize, stop);
        found = groups.size();
        ListDirGroups(host, stop, lvDirs, groups, settings.MaxGroups);
    }
    host.SetStatus(stop.Requested() ? TranslateText(u"Directory scan cancelled.")
                                    : TranslateText(u"Duplicate directory groups listed."));
    host.SetProgressPosition(0);
    return found;
}
