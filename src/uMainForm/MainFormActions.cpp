// The result commands: check marks, open location and CSV export. Each acts on the list of
// the page that is showing.
#include <QFileDialog>
#include <QMessageBox>
#include <QTabWidget>

#include "core/CheckMarks.h"
#include "core/CsvExport.h"
#include "core/FileInfo.h"
#include "core/ResultRows.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "qtcommon/AppInfo.h"
#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ShownRows.h"
#include "uMainForm/uMainForm.h"

TResultModel& TMainForm::ActiveList() {
    return PageControl1->currentWidget() == tsFiles ? *FFilesList : *FDirsList;
}

void TMainForm::btnUncheckAllClick() {
    TShownRows rows(ActiveList());
    SetAllChecked(rows, false);
}

bool TMainForm::AskYesNo(const QString& text) {
    return QMessageBox::question(this, ApplicationTitle, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool TMainForm::ShowFileInShell(const Text& filePath) {
    return Platform::ShowInFileManager(filePath);
}

bool TMainForm::OpenInShell(const Text& folder) {
    return Platform::ShellOpen(folder);
}

void TMainForm::Button1Click() {
    const bool files = PageControl1->currentWidget() == tsFiles;
    const TResultModel& list = files ? *FFilesList : *FDirsList;
    const int selected = list.SelectedIndex();
    if (selected < 0) {
        FShowMessage(Tr(u"Please select an item first."));
        return;
    }
    const TListItem& item = list.ItemAt(selected);
    if (files) {
        if (item.Data == nullptr) {
            FShowMessage(Tr(u"No file path available for the selected item."));
            return;
        }
        const Text path = item.Data->FullPath();
        if (!Platform::FileExists(path)) {
            FShowMessage(Tr(u"File does not exist: ") + Q(path));
            return;
        }
        if (!FShowInFileManager(path))
            FShowMessage(Tr(u"Could not open the location: ") + Q(path));
    } else {
        const Text path = ItemText(item, 1);
        if (path.empty() || !Platform::DirectoryExists(path)) {
            FShowMessage(Tr(u"Directory does not exist: ") + Q(path));
            return;
        }
        if (!FOpenFolder(path))
            FShowMessage(Tr(u"Could not open the location: ") + Q(path));
    }
}

QString TMainForm::RunSaveDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void TMainForm::ExportList(TResultModel& list, const QString& defaultName) {
    if (SaveDialog1 == nullptr) {
        SaveDialog1 = new QFileDialog(this);
        SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
        SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
        SaveDialog1->setFileMode(QFileDialog::AnyFile);
    }
    // English in every language, as the file names are.
    SaveDialog1->setNameFilters(
        {QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*.*)")});
    SaveDialog1->selectFile(defaultName);
    const QString fileName = FRunSaveDialog(*SaveDialog1);
    if (fileName.isEmpty())
        return;
    // A write failure goes on to the application's error handler.
    ExportListViewToCsv(list, ToText(fileName));
}

void TMainForm::btnExportFilesClick() {
    ExportList(*FFilesList, QStringLiteral("duplicate_files.csv"));
}

void TMainForm::btnExportDirsClick() {
    ExportList(*FDirsList, QStringLiteral("duplicate_directories.csv"));
}
