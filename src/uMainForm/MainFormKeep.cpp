// Which copy of each group the check commands keep, and the reference folders of the
// folder list, whose files no command checks, removes or replaces.
#include <QAction>
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include "core/KeepRule.h"
#include "core/ReferenceFolders.h"
#include "qtcommon/QtText.h"
#include "translation/Translation.h"
#include "uMainForm/LeftToRightDelegate.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ShownRows.h"
#include "uMainForm/uMainForm.h"

namespace {

// A reference folder reads as its path and a mark after it; the item's text stays the
// path, which the scan reads.
class TFolderListDelegate : public TLeftToRightDelegate {
public:
    using TLeftToRightDelegate::TLeftToRightDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        TLeftToRightDelegate::initStyleOption(option, index);
        if (index.data(TMainForm::ReferenceRole).toBool()) {
            option->text += QStringLiteral("  ") + Tr(u"[reference]");
            option->font.setBold(true);
        }
    }
};

}  // namespace

void TMainForm::CreateKeepCommands() {
    pmKeep = new QMenu(this);
    pmKeep->setObjectName(QStringLiteral("pmKeep"));
    auto* rules = new QActionGroup(pmKeep);
    rules->setExclusive(true);
    for (const TKeepRuleName& entry : KeepRuleNames) {
        QAction* action = pmKeep->addAction(QString());
        action->setCheckable(true);
        action->setData(static_cast<int>(entry.Rule));
        rules->addAction(action);
        KeepRules.push_back(action);
        connect(action, &QAction::toggled, this, [this] { TranslateKeepControls(); });
    }
    KeepRules.front()->setChecked(true);
    btnKeep->setMenu(pmKeep);
    lbFolders->setItemDelegate(new TFolderListDelegate(lbFolders));
    lbFolders->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbFolders, &QWidget::customContextMenuRequested, this,
            &TMainForm::FolderListContextPopup);
    connect(Referencefolder1, &QAction::triggered, this, &TMainForm::Referencefolder1Click);
    // The user's own marking (check box, Space, the row menu) never checks a reference copy.
    for (TResultModel* list : {FFilesList.get(), FDirsList.get()}) {
        list->SetCheckRefusal([this, list](int item) {
            const TReferenceFolders& reference = CurrentReference();
            return !reference.Empty() && reference.Holds(Text(list->PathOf(item)));
        });
    }
}

void TMainForm::TranslateKeepControls() {
    // The button shows the rule in force as its tip.
    for (std::size_t i = 0; i < KeepRules.size(); ++i) {
        KeepRules[i]->setText(Tr(KeepRuleNames[i].Caption));
        if (KeepRules[i]->isChecked())
            btnKeep->setToolTip(KeepRules[i]->text());
    }
    Referencefolder1->setText(Tr(u"Reference folder"));
    lbFolders->setToolTip(
        Tr(u"Files in reference folders are never checked, removed or replaced."));
    lbFolders->viewport()->update();
}

std::vector<Text> TMainForm::ReferenceFolderList() const {
    std::vector<Text> folders;
    for (int i = 0; i < lbFolders->count(); ++i)
        if (lbFolders->item(i)->data(ReferenceRole).toBool())
            folders.push_back(ToText(lbFolders->item(i)->text()));
    return folders;
}

const TReferenceFolders& TMainForm::CurrentReference() {
    // Made again when the marked folders changed.
    std::vector<Text> folders = ReferenceFolderList();
    if (!FReference || FReference->Folders() != folders)
        FReference = std::make_unique<TReferenceFolders>(folders);
    return *FReference;
}

TKeepChoice TMainForm::KeepChoiceFor(const TResultModel& list) {
    // Read afresh: what the disk holds may have changed since the last command.
    FReference.reset();
    TKeepRule rule = TKeepRule::krFirst;
    for (const QAction* action : KeepRules)
        if (action->isChecked())
            rule = static_cast<TKeepRule>(action->data().toInt());
    return TKeepChoice{
        .Rule = rule,
        .Reference = &CurrentReference(),
        .Source = &list == FFilesList.get() ? TItemPath::ipFileRecord : TItemPath::ipFirstSubItem};
}

void TMainForm::FolderListContextPopup(const QPoint& position) {
    QListWidgetItem* item = lbFolders->itemAt(position);
    if (item == nullptr)
        return;
    lbFolders->setCurrentItem(item);
    Referencefolder1->setChecked(item->data(ReferenceRole).toBool());
    pmFolders->popup(lbFolders->viewport()->mapToGlobal(position));
}

void TMainForm::Referencefolder1Click() {
    const QList<QListWidgetItem*> selected = lbFolders->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem* item = selected.first();
    item->setData(ReferenceRole, !item->data(ReferenceRole).toBool());
    Referencefolder1->setChecked(item->data(ReferenceRole).toBool());
}

void TMainForm::ProtectReferenceCopies() {
    // The listing checks all but the first of each group; with reference folders the copy
    // kept is a reference one where the group has one.
    if (ReferenceFolderList().empty())
        return;
    CheckAllButOneInGroup(*FFilesList, TKeepChoice{.Reference = &CurrentReference()});
    UncheckReferenceCopies(*FDirsList, TKeepChoice{.Reference = &CurrentReference(),
                                                   .Source = TItemPath::ipFirstSubItem});
}

// The check commands act on the groups the filter leaves in view.
void TMainForm::btnSelectAllButOneClick() {
    TResultModel& list = ActiveList();
    const TKeepChoice choice = KeepChoiceFor(list);
    TShownRows rows(list);
    CheckAllButOneInGroup(rows, choice);
}

void TMainForm::btnCheckAllClick() {
    TResultModel& list = ActiveList();
    const TKeepChoice choice = KeepChoiceFor(list);
    TShownRows rows(list);
    SetAllChecked(rows, true, choice);
}
