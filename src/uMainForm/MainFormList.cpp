// How the result lists are worked: the keys and the context menu of the rows, the filter of
// both lists, and the summary line of the list that is showing.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTabWidget>

#include "qtcommon/QtText.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"
#include "uMainForm/ListSummary.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ResultView.h"
#include "uMainForm/uMainForm.h"

TResultView* TMainForm::ActiveView() {
    return PageControl1->currentWidget() == tsFiles ? lvFiles : lvDirs;
}

void TMainForm::CreateListCommands() {
    connect(Openlocation1, &QAction::triggered, this, &TMainForm::Button1Click);
    connect(Check1, &QAction::triggered, this, &TMainForm::Check1Click);
    connect(Uncheck1, &QAction::triggered, this, &TMainForm::Uncheck1Click);
    connect(Copypath1, &QAction::triggered, this, &TMainForm::Copypath1Click);
    connect(Deletecheckedtorecyclebin1, &QAction::triggered, this,
            &TMainForm::btnDeleteSelectedClick);
    connect(edFilter, &QLineEdit::textChanged, this, &TMainForm::edFilterChange);
    // The usual key for finding goes to the filter.
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        edFilter->setFocus(Qt::ShortcutFocusReason);
        edFilter->selectAll();
    });
    for (TResultView* view : {lvFiles, lvDirs}) {
        connect(view, &TResultView::OpenRequested, this, &TMainForm::Button1Click);
        connect(view, &TResultView::CopyRequested, this, &TMainForm::Copypath1Click);
        connect(view, &TResultView::DeleteRequested, this, &TMainForm::btnDeleteSelectedClick);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& position) { ResultListContextPopup(view, position); });
        TResultModel* list = view->ResultModel();
        connect(list, &QAbstractItemModel::modelReset, this, &TMainForm::PostSummaryUpdate);
        connect(list, &QAbstractItemModel::layoutChanged, this, &TMainForm::PostSummaryUpdate);
        connect(list, &QAbstractItemModel::dataChanged, this, &TMainForm::PostSummaryUpdate);
        connect(list, &QAbstractItemModel::rowsInserted, this, &TMainForm::PostSummaryUpdate);
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, &TMainForm::PostSummaryUpdate);
    // Said once the field has let go of the focus, not inside its focus change.
    for (auto [field, caption] : NumberFields()) {
        connect(
            field, &TWholeNumberSpin::Rejected, this,
            [this, field, caption](const QString& text) {
                ShowRejectedNumber(field, caption, text);
            },
            Qt::QueuedConnection);
    }
}

std::vector<std::pair<TWholeNumberSpin*, QLabel*>> TMainForm::NumberFields() const {
    return {{seMinSizeMB, Label3}, {seMaxGroups, Label4}, {seMinGroupSize, Label5}};
}

void TMainForm::ShowRejectedNumber(TWholeNumberSpin* field, QLabel* caption, const QString& text) {
    FShowMessage(
        Q(TranslateFormat(u"%s \"%s\" is no whole number from %d to %d; the field keeps %d.",
                          {ToText(caption->text()), ToText(text), field->minimum(),
                           field->maximum(), field->value()})));
}

void TMainForm::ResultListContextPopup(TResultView* view, const QPoint& position) {
    // Only on a row; the right click has already made it the selected one.
    if (view->ResultModel()->ItemIndexOf(view->indexAt(position)) < 0)
        return;
    pmList->popup(view->viewport()->mapToGlobal(position));
}

void TMainForm::Check1Click() {
    TResultModel& list = ActiveList();
    list.SetCheckedItems(list.SelectedItems(), true);
}

void TMainForm::Uncheck1Click() {
    TResultModel& list = ActiveList();
    list.SetCheckedItems(list.SelectedItems(), false);
}

void TMainForm::Copypath1Click() {
    const TResultModel& list = ActiveList();
    QStringList paths;
    for (const int item : list.SelectedItems())
        if (const Text path = list.PathOf(item); !path.empty())
            paths << Q(path);
    if (!paths.isEmpty())
        QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}

void TMainForm::edFilterChange() {
    const QString text = edFilter->text();
    FFilesList->SetFilter(text);
    FDirsList->SetFilter(text);
}

void TMainForm::PostSummaryUpdate() {
    if (FSummaryPosted)
        return;
    FSummaryPosted = true;
    QMetaObject::invokeMethod(this, &TMainForm::UpdateSummary, Qt::QueuedConnection);
}

QString TMainForm::SummaryText() {
    TResultModel& list = ActiveList();
    list.Publish();
    const std::size_t found =
        &list == FFilesList.get() ? FEngine->FileGroupsFound() : FEngine->DirGroupsFound();
    return Q(
        ::SummaryText(SummarizeList(list, found), CurrentLanguageDirection() == Qt::RightToLeft));
}

void TMainForm::UpdateSummary() {
    FSummaryPosted = false;
    // A list being filled is summed up once it is complete.
    if (ActiveList().UpdateDepth() > 0)
        return;
    lblSummary->setText(SummaryText());
}
