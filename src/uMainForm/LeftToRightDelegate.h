#pragma once
// Shows every row's text as one left-to-right run where the list lays out right to left, so
// that a path such as /usr/share/ keeps its slashes where they are.
#include <QStyledItemDelegate>

#include "qtcommon/QtText.h"
#include "uMainForm/GroupTitle.h"

class TLeftToRightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->direction == Qt::RightToLeft && !option->text.isEmpty())
            option->text = Q(LeftToRightRun(ToText(option->text)));
    }
};
