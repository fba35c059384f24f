// The Recycle Bin command: the question, the check before the removal, the choice about
// what could not be verified, the request, and the lists and message after it.
#include <QStringList>
#include <QTabWidget>

#include "core/CheckMarks.h"
#include "core/HardLinkReplace.h"
#include "core/ReferenceFolders.h"
#include "core/RemovalCheck.h"
#include "platform/Shell.h"
#include "qtcommon/QtText.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"
#include "uMainForm/RemovalDialog.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/uMainForm.h"

namespace {

// The texts of the Recycle Bin command, per page.
struct TRecycleTexts {
    const char16_t* NothingChecked;
    const char16_t* Question;
    const char16_t* Success;
    const char16_t* Failure;
};

constexpr TRecycleTexts FileTexts{u"No files selected.", u"Move %d files to Recycle Bin?",
                                  u"Files were moved to the Recycle Bin.",
                                  u"Failed to delete some files."};
constexpr TRecycleTexts DirTexts{
    u"No directories selected.", u"Move %d directories to Recycle Bin?",
    u"Directories were moved to the Recycle Bin.", u"Failed to delete some directories."};

// How many of the items that failed the message names.
constexpr std::size_t NamedFailures = 5;

// What went, what failed (the first few by name) and what stayed unverified.
QString OutcomeMessage(const TRecycleTexts& texts, const TRemovalCheck& check,
                       const TRemovalResult& result) {
    QStringList lines;
    const std::size_t failed = result.Count(TItemOutcome::ioFailed);
    const std::size_t kept = result.Count(TItemOutcome::ioKept);
    if (failed == 0 && result.Count(TItemOutcome::ioMoved) > 0)
        lines << Tr(texts.Success);
    if (failed > 0) {
        lines << Tr(texts.Failure)
              << Q(TranslateFormat(u"Items that could not be moved: %d", {failed}));
        std::size_t named = 0;
        for (std::size_t i = 0; i < result.Outcomes.size() && named < NamedFailures; ++i) {
            if (result.Outcomes[i] != TItemOutcome::ioFailed)
                continue;
            lines << Q(check.Items()[i].Path);
            ++named;
        }
        if (failed > named)
            lines << QStringLiteral("...");
    }
    if (kept > 0)
        lines << Q(
            TranslateFormat(u"Checked items kept because they could not be verified: %d", {kept}));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

bool TMainForm::RecycleItems(const std::vector<Text>& paths) {
    return Platform::MoveToRecycleBin(OutermostPaths(paths));
}

TRemovalChoice TMainForm::AskUnverified(const TRemovalCheck& check) {
    TRemovalDialog dialog(check, this, FLinking);
    dialog.exec();
    return dialog.Choice();
}

bool TMainForm::RunRemovalCheck(TRemovalCheck& check) {
    FRemoving = true;
    FEngine->StopToken().Reset();
    SetBusy(true);
    // A stop that came after the last item still cancels: the user asked before anything went.
    const bool checked = check.Run(*this, FEngine->StopToken()) && !FEngine->StopRequested();
    SetProgressPosition(0);
    SetBusy(false);
    FRemoving = false;
    if (!checked) {
        SetStatus(TranslateText(u"Removal check stopped. Nothing was moved."));
        if (FCloseAfterScan) {
            FCloseAfterScan = false;
            close();
        }
    }
    return checked;
}

void TMainForm::btnDeleteSelectedClick() {
    // A running scan is still filling the lists and may free the records they point to; a
    // running check is this command already.
    if (FEngine->Scanning() || FRemoving)
        return;
    const bool files = PageControl1->currentWidget() == tsFiles;
    const TRecycleTexts& texts = files ? FileTexts : DirTexts;
    TResultModel& list = files ? *FFilesList : *FDirsList;

    TRemovalCheck check(list, files ? TItemPath::ipFileRecord : TItemPath::ipFirstSubItem,
                        FEngine->ListedCompareMode(), &CurrentReference());
    if (check.Items().empty()) {
        FShowMessage(Tr(texts.NothingChecked));
        return;
    }
    if (!FAskYesNo(Q(TranslateFormat(texts.Question, {check.Items().size()}))))
        return;

    if (!RunRemovalCheck(check))
        return;

    const TRemovalChoice choice = check.VerifiedCount() == check.Items().size()
                                      ? TRemovalChoice::rcVerifiedOnly
                                      : FAskUnverified(check);
    if (choice == TRemovalChoice::rcCancel)
        return;
    const TRemovalResult result =
        check.Remove(choice == TRemovalChoice::rcAllChecked,
                     [this](const std::vector<Text>& paths) { return FMoveToTrash(paths); });
    // Rows go when the disk no longer has their item: what the request covered (a file inside
    // a folder that went leaves the File Clones page too) and checked items that vanished.
    std::vector<Text> examined = result.Sent;
    for (const TCheckedItem& item : check.Items())
        examined.push_back(item.Path);
    DeleteGoneItems(*FFilesList, TItemPath::ipFileRecord, examined);
    DeleteGoneItems(*FDirsList, TItemPath::ipFirstSubItem, examined);
    FShowMessage(OutcomeMessage(texts, check, result));
}

void TMainForm::btnLinkCheckedClick() {
    if (FEngine->Scanning() || FRemoving)
        return;
    // Only a group found by content holds copies that one file can stand for.
    if (PageControl1->currentWidget() != tsFiles || FEngine->ListedCompareMode() != cmContent) {
        FShowMessage(
            Tr(u"Only files of the File Clones list found by content can be replaced "
               u"with hard links."));
        return;
    }
    TRemovalCheck check(*FFilesList, TItemPath::ipFileRecord, cmContent, &CurrentReference());
    if (check.Items().empty()) {
        FShowMessage(Tr(FileTexts.NothingChecked));
        return;
    }
    if (!FAskYesNo(
            Q(TranslateFormat(u"Replace %d files with hard links?", {check.Items().size()}))))
        return;
    if (!RunRemovalCheck(check))
        return;
    if (check.VerifiedCount() != check.Items().size()) {
        FLinking = true;
        const TRemovalChoice choice = FAskUnverified(check);
        FLinking = false;
        if (choice == TRemovalChoice::rcCancel)
            return;
    }
    // Unverified files are never replaced, whatever was answered.
    const TLinkResult result = ReplaceWithHardLinks(check);
    // A replaced file is still there under its path: its row stays, unchecked.
    QStringList failures;
    for (std::size_t i = 0; i < result.Outcomes.size(); ++i) {
        const TCheckedItem& item = check.Items()[i];
        if (result.Outcomes[i] == TItemOutcome::ioMoved) {
            FFilesList->MarkReplaced(FFilesList->ItemAt(item.ItemIndex).Data);
            FFilesList->SetChecked(item.ItemIndex, false);
        } else if (result.Outcomes[i] == TItemOutcome::ioFailed && failures.size() < 5) {
            failures << Q(item.Path) + QStringLiteral(" (") +
                            Tr(LinkFailureText(result.Failures[i])) + QLatin1Char(')');
        }
    }
    QStringList lines;
    const std::size_t failed = result.Count(TItemOutcome::ioFailed);
    const std::size_t kept = result.Count(TItemOutcome::ioKept);
    if (failed == 0 && result.Count(TItemOutcome::ioMoved) > 0)
        lines << Tr(u"Files were replaced with hard links.");
    if (failed > 0) {
        lines << Q(TranslateFormat(u"Files that could not be replaced: %d", {failed}));
        lines << failures;
        if (failed > static_cast<std::size_t>(failures.size()))
            lines << QStringLiteral("...");
    }
    if (kept > 0)
        lines << Q(
            TranslateFormat(u"Checked items kept because they could not be verified: %d", {kept}));
    FShowMessage(lines.join(QLatin1Char('\n')));
}
