#include "WindowFixture.h"

#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include "qtcommon/QtText.h"

TTestForm::TTestForm(TLanguageStore* store) : TMainForm(store) {
    FShowMessage = [this](const QString& text) { Messages << text; };
    FShowInformation = [this](const QString& text) { Informations << text; };
    FOpenUrl = [this](const QUrl& url) {
        Urls << url;
        return UrlsOpen;
    };
    FAskYesNo = [this](const QString& text) {
        Questions << text;
        return Answer;
    };
    FShowInFileManager = [this](const Text& path) {
        Located << Q(path);
        return LocationsOpen;
    };
    FOpenFolder = FShowInFileManager;
    FFolderPicker = [this](const QString&, const QString& start) {
        PickerStarts << start;
        return PickerAnswers.isEmpty() ? QString() : PickerAnswers.takeFirst();
    };
}

void TTestForm::SetStatus(const Text& text) {
    TMainForm::SetStatus(text);
    if (OnStatus)
        OnStatus(text);
}

std::vector<TShownGroup> ShownGroups(const TResultModel& model) {
    std::vector<TShownGroup> groups;
    for (int g = 0; g < model.rowCount(); ++g) {
        const QModelIndex header = model.index(g, 0);
        TShownGroup group{header.data().toString(), {}};
        for (int r = 0; r < model.rowCount(header); ++r) {
            TShownItem item;
            item.Caption = model.index(r, 0, header).data().toString();
            for (int c = 1; c < model.columnCount(); ++c)
                item.Columns << model.index(r, c, header).data().toString();
            item.Checked =
                model.index(r, 0, header).data(Qt::CheckStateRole).toInt() == Qt::Checked;
            group.Items.push_back(item);
        }
        groups.push_back(group);
    }
    return groups;
}

void PrepareSmallScan(TMainForm& form, int compareIndex, const QString& folder) {
    form.lbFolders->clear();
    form.lbFolders->addItem(folder);
    form.rgCompareItem[compareIndex]->setChecked(true);
    form.seMinSizeMB->setValue(0);
}
