#include "uMainForm/RemovalDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qtcommon/AppInfo.h"
#include "qtcommon/QtText.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"

TRemovalDialog::TRemovalDialog(const TRemovalCheck& check, QWidget* parent, bool replacing)
    : QDialog(parent) {
    setObjectName(QStringLiteral("RemovalDialog"));
    setWindowTitle(ApplicationTitle);
    const std::size_t verified = check.VerifiedCount();
    const std::size_t total = check.Items().size();

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblSummary->setText(
        Q(TranslateFormat(u"Verified: %d of %d checked items.", {verified, total})) +
        QLatin1Char('\n') +
        (replacing ? Tr(u"These files could not be verified as copies of a kept file. They "
                        u"stay as they are.")
                   : Tr(u"These items could not be verified as copies of a kept item. They stay "
                        u"where they are unless you move all checked items.")));

    lvUnverified = new QTreeWidget(this);
    lvUnverified->setObjectName(QStringLiteral("lvUnverified"));
    lvUnverified->setRootIsDecorated(false);
    lvUnverified->setUniformRowHeights(true);
    lvUnverified->setHeaderLabels({Tr(u"Item"), Tr(u"Reason")});
    QList<QTreeWidgetItem*> rows;
    for (const TCheckedItem& item : check.Items()) {
        if (item.Verified())
            continue;
        auto* row = new QTreeWidgetItem({Q(item.Path), Tr(RemovalReasonText(item.Reason))});
        // Long paths and reasons are cut in the columns; the whole text is a hover away.
        row->setToolTip(0, row->text(0));
        row->setToolTip(1, row->text(1));
        rows << row;
    }
    lvUnverified->addTopLevelItems(rows);
    lvUnverified->header()->setSectionResizeMode(QHeaderView::Interactive);
    lvUnverified->setColumnWidth(0, 400);

    auto* buttons = new QDialogButtonBox(this);
    btnMoveVerified =
        buttons->addButton(Tr(u"Move only the verified items"), QDialogButtonBox::AcceptRole);
    btnMoveVerified->setObjectName(QStringLiteral("btnMoveVerified"));
    btnMoveAll = buttons->addButton(Tr(u"Move all checked items"), QDialogButtonBox::ActionRole);
    btnMoveAll->setObjectName(QStringLiteral("btnMoveAll"));
    btnCancel = buttons->addButton(Tr(u"Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // With nothing verified, the safe answer that does something is not there to press.
    btnMoveVerified->setEnabled(verified > 0);
    (verified > 0 ? btnMoveVerified : btnCancel)->setDefault(true);
    btnMoveAll->setAutoDefault(false);
    if (replacing) {
        btnMoveVerified->setText(Tr(u"Replace only the verified items"));
        btnMoveAll->hide();
    }

    connect(btnMoveVerified, &QPushButton::clicked, this, [this] {
        FChoice = TRemovalChoice::rcVerifiedOnly;
        accept();
    });
    connect(btnMoveAll, &QPushButton::clicked, this, [this] {
        FChoice = TRemovalChoice::rcAllChecked;
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        FChoice = TRemovalChoice::rcCancel;
        reject();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(lvUnverified, 1);
    layout->addWidget(buttons);
    resize(900, 420);
}
