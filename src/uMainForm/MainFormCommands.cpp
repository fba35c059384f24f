// The shell's own commands: folders, pages, the settings panel, web links, About and Exit.
#include <QAction>
#include <QDate>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>

#include "core/FolderPaths.h"
#include "core/ScanSettings.h"
#include "platform/FileSystem.h"
#include "qtcommon/AppInfo.h"
#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uMainForm/uMainForm.h"

void TMainForm::btnAddFolderClick() {
    QString startFolder;
    if (!FLastAddFolderParent.empty() && Platform::DirectoryExists(FLastAddFolderParent))
        startFolder = Q(FLastAddFolderParent);
    const QString chosen = FFolderPicker(Tr(u"Select folder to scan"), startFolder);
    if (chosen.isEmpty())
        return;
    const Text folder = NormalizeFolder(ToText(QDir::toNativeSeparators(chosen)));
    if (folder.empty())
        return;
    bool listed = false;
    for (int i = 0; i < lbFolders->count() && !listed; ++i)
        listed = SameFolderText(ToText(lbFolders->item(i)->text()), folder);
    if (!listed)
        lbFolders->addItem(Q(folder));
    FLastAddFolderParent = FolderParent(folder);
}

void TMainForm::btnRemoveFolderClick() {
    const QList<QListWidgetItem*> selected = lbFolders->selectedItems();
    if (selected.isEmpty())
        return;
    delete lbFolders->takeItem(lbFolders->row(selected.first()));
}

void TMainForm::PageControl1Change() {
    FileClones1->setChecked(false);
    FolderClones1->setChecked(false);
    if (PageControl1->currentWidget() == tsFiles)
        FileClones1->setChecked(true);
    else if (PageControl1->currentWidget() == tsDirs)
        FolderClones1->setChecked(true);
}

void TMainForm::FileClones1Click() {
    PageControl1->setCurrentWidget(tsFiles);
    PageControl1Change();
}

void TMainForm::FolderClones1Click() {
    PageControl1->setCurrentWidget(tsDirs);
    PageControl1Change();
}

void TMainForm::ShowSettingsPanel1Click() {
    // The item's check mark has already been toggled by the click; the panel follows it and,
    // being first in the window's column, comes back above the pages.
    PanelTop->setVisible(ShowSettingsPanel1->isChecked());
}

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::ClearHashCache1Click() {
    FEngine->ClearDigestCache();
}

void TMainForm::OpenVendorPage(const QString& path) {
    const QUrl url(QStringLiteral("https://") + VendorHost + path);
    // The address goes with the message, so that it can still be typed into a browser.
    if (!FOpenUrl(url))
        FShowMessage(Tr(u"Could not open the web page: ") + url.toString());
}

void TMainForm::utorial1Click() {
    OpenVendorPage(QStringLiteral("/redirect/tutorial-twinseek.html"));
}

void TMainForm::ContactUs1Click() {
    OpenVendorPage(QStringLiteral("/support.html"));
}

void TMainForm::VisitWebsite1Click() {
    OpenVendorPage(QString());
}

QString TMainForm::AboutText() const {
    const QString year = QString::number(QDate::currentDate().year());
    const QStringList lines = {
        ApplicationTitle,
        Tr(u"Version:") + QLatin1Char(' ') + VersionText,
        QString(),
        Tr(u"This program is provided as is, without warranty of any kind."),
        Tr(u"Website:") + QLatin1Char(' ') + VendorHost,
        QString(),
        Tr(u"Free for personal and commercial use."),
        QString(),
        QStringLiteral("\u00A9 ") + year + QStringLiteral(" Twinseek. ") +
            Tr(u"All rights reserved."),
    };
    return lines.join(QLatin1Char('\n'));
}

void TMainForm::Button2Click() {
    FShowInformation(AboutText());
}
