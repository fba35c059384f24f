// The window as the scan engine's host, and the Scan and Stop commands.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/uMainForm.h"

namespace {

// A value typed into a field that still has the focus counts as typed; the field brings it
// into its range only when it loses the focus.
std::int64_t ReadSpin(QSpinBox* field) {
    if (field->hasFocus())
        return ReadWholeNumber(ToText(field->cleanText()), field->minimum());
    return field->value();
}

}  // namespace

TScanSettings TMainForm::ReadSettings() {
    TScanSettings settings;
    for (int i = 0; i < lbFolders->count(); ++i)
        settings.Folders.push_back(ToText(lbFolders->item(i)->text()));
    settings.CompareIndex = rgCompareItems->checkedId();
    settings.Masks = ToText(edMasks->text());
    settings.MinSizeMB = ReadSpin(seMinSizeMB);
    settings.MaxGroups = ReadSpin(seMaxGroups);
    settings.MinGroupSize = ReadSpin(seMinGroupSize);
    settings.ParallelHash = chkParallelHash->isChecked();
    settings.FindFileClones = chkFileDuplicates->isChecked();
    settings.FindFolderClones = chkDirDuplicates->isChecked();
    return settings;
}

void TMainForm::SetStatus(const Text& text) {
    lblStatus->setText(Q(text));
}

void TMainForm::SetProgressMax(int maximum) {
    FProgressMax = maximum;
    if (!FMarquee)
        ProgressBar->setRange(0, maximum);
}

void TMainForm::SetProgressPosition(int position) {
    if (!FMarquee)
        ProgressBar->setValue(position);
}

void TMainForm::SetMarqueeStyle(bool on) {
    if (on == FMarquee)
        return;
    FMarquee = on;
    // A range of 0..0 is the toolkit's moving block.
    if (on) {
        ProgressBar->setRange(0, 0);
    } else {
        ProgressBar->setRange(0, FProgressMax);
        ProgressBar->setValue(0);
    }
}

void TMainForm::KeepResponsive() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TMainForm::SetBusy(bool busy) {
    if (busy == FBusy)
        return;
    FBusy = busy;
    btnStop->setEnabled(busy);
    Stop1->setEnabled(busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TMainForm::ShowMessage(const Text& text) {
    FShowMessage(Q(text));
}

void TMainForm::btnScanClick() {
    // Scan stays enabled during a scan; the engine refuses a second one, and the outcome
    // of the running one must not be overwritten by the refusal. A removal check reads the
    // records that a scan would free.
    if (FEngine->Scanning() || FRemoving)
        return;
    // A field still being typed in counts as typed, so a text that is no whole number must
    // stop the scan rather than be read as some other number.
    for (auto [field, caption] : NumberFields()) {
        const QString text = field->cleanText();
        if (field->hasFocus() && !TWholeNumberSpin::IsWholeNumberText(text)) {
            field->interpretText();
            ShowRejectedNumber(field, caption, text);
            return;
        }
    }
    // The records the replaced rows name are freed by the scan.
    FFilesList->ForgetReplaced();
    FLastOutcome = FEngine->Scan();
    ProtectReferenceCopies();
    if (FCloseAfterScan) {
        FCloseAfterScan = false;
        close();
    }
}

void TMainForm::btnStopClick() {
    if (FRemoving) {
        FEngine->StopToken().Request();
        SetStatus(TranslateText(u"Stopping..."));
        return;
    }
    FEngine->Stop();
}
