#pragma once
// The question after the check before a removal, when not every checked item could be
// verified: the items that stay unless the user says otherwise, each with its reason.
#include <QDialog>

#include "core/RemovalCheck.h"

class QLabel;
class QPushButton;
class QTreeWidget;

enum class TRemovalChoice {
    rcVerifiedOnly,  // the default
    rcAllChecked,
    rcCancel,
};

class TRemovalDialog : public QDialog {
    Q_OBJECT

public:
    // With replacing, the checked items become hard links: there is no choice to replace
    // the unverified ones too.
    TRemovalDialog(const TRemovalCheck& check, QWidget* parent = nullptr, bool replacing = false);

    // What the user chose; rcCancel until a button is pressed, and when the dialog is closed.
    TRemovalChoice Choice() const { return FChoice; }

    QLabel* lblSummary;
    QTreeWidget* lvUnverified;  // item path, reason
    QPushButton* btnMoveVerified;
    QPushButton* btnMoveAll;
    QPushButton* btnCancel;

private:
    TRemovalChoice FChoice = TRemovalChoice::rcCancel;
};
