#pragma once
// A main window whose shell services (dialogs, message boxes, the browser) are recorded
// instead of shown, and that can act on every status text, as a window message would.
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "uMainForm/ResultModel.h"
#include "uMainForm/SettingsLanguageStore.h"
#include "uMainForm/uMainForm.h"

class TTestForm : public TMainForm {
public:
    explicit TTestForm(TLanguageStore* store);

    void SetStatus(const Text& text) override;

    std::function<void(const Text&)> OnStatus;
    QStringList Messages;
    QStringList Informations;
    QList<QUrl> Urls;
    bool UrlsOpen = true;   // what the browser answers
    QStringList Questions;  // the Yes/No questions, each answered with Answer
    bool Answer = false;
    QStringList Located;        // what the file manager was asked to show or open
    bool LocationsOpen = true;  // what it answers
    QStringList PickerStarts;   // the folder each picker call opened at
    QStringList PickerAnswers;  // what the picker returns, first to last; then cancel
};

// Test failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// What a result list shows through the item model's interface.
struct TShownItem {
    QString Caption;
    QStringList Columns;  // the further columns
    bool Checked = false;
};
struct TShownGroup {
    QString Header;
    std::vector<TShownItem> Items;
};
std::vector<TShownGroup> ShownGroups(const TResultModel& model);

// Sets the comparison mode and the other settings of a scan of small files.
void PrepareSmallScan(TMainForm& form, int compareIndex, const QString& folder);
