#include "uMainForm/ResultView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

#include "uMainForm/ResultModel.h"

TResultView::TResultView(QWidget* parent) : QTreeView(parent) {
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // A click on a caption sorts by that column; nothing is sorted until then.
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicatorClearable(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    // The selected row stays marked when another control has the focus.
    QPalette keep = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        keep.setColor(QPalette::Inactive, role, keep.color(QPalette::Active, role));
    setPalette(keep);
}

void TResultView::SetResultModel(TResultModel* model) {
    FModel = model;
    QItemSelectionModel* own = selectionModel();
    setModel(model);
    setSelectionModel(model->SelectionModel());
    delete own;
    model->SetView(this);
    connect(model, &QAbstractItemModel::modelReset, this, &QTreeView::expandAll);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                ExpandGroups(parent, first, last);
            });
    connect(header(), &QHeaderView::sortIndicatorChanged, model,
            [model](int column, Qt::SortOrder order) { model->sort(column, order); });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (FModel->ItemIndexOf(index) >= 0)
            emit OpenRequested();
    });
    expandAll();
}

void TResultView::ToggleSelectedChecks() {
    std::vector<int> items = FModel->SelectedItems();
    const int current = FModel->ItemIndexOf(currentIndex());
    if (items.empty() && current >= 0)
        items.push_back(current);
    if (items.empty())
        return;
    // One new mark for all, so that a mixed selection ends alike.
    const int leading = current >= 0 ? current : items.front();
    FModel->SetCheckedItems(items, !FModel->ItemAt(leading).Checked);
}

void TResultView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        emit CopyRequested();
        return;
    }
    if (event == QKeySequence::Delete) {
        emit DeleteRequested();
        return;
    }
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Space:
                ToggleSelectedChecks();
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (FModel->ItemIndexOf(currentIndex()) >= 0)
                    emit OpenRequested();
                return;
            default:
                break;
        }
    }
    QTreeView::keyPressEvent(event);
}

void TResultView::ExpandGroups(const QModelIndex& parent, int first, int last) {
    if (parent.isValid())
        return;
    for (int row = first; row <= last; ++row) {
        const QModelIndex group = FModel->index(row, 0);
        if (group.data(TResultModel::GroupRowRole).toBool())
            expand(group);
    }
}

void TResultView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (!index.data(TResultModel::GroupRowRole).toBool()) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    // A header row: its text over every column, a rule beside it. Right to left, the first
    // column is the rightmost and the text starts at the right.
    const QHeaderView* columns = header();
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const int firstColumn = columns->sectionViewportPosition(columns->logicalIndex(0));
    int left = firstColumn;
    int right = qMax(viewport()->width(), left + columns->length());
    if (rightToLeft) {
        right = firstColumn + columns->sectionSize(columns->logicalIndex(0));
        left = qMin(0, right - columns->length());
    }
    const QRect row(left, option.rect.top(), right - left, option.rect.height());
    QFont font = option.font;
    font.setBold(true);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();
    painter->setFont(font);
    painter->setLayoutDirection(layoutDirection());
    painter->setPen(palette().color(QPalette::Active, QPalette::Link));
    const QRect textRect = row.adjusted(4, 0, -4, 0);
    const Qt::Alignment alignment =
        QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter);
    QRect used;
    painter->drawText(textRect, static_cast<int>(alignment) | Qt::TextSingleLine, text, &used);
    const int y = row.center().y();
    painter->setPen(palette().color(QPalette::Mid));
    if (!rightToLeft && used.right() + 8 < textRect.right())
        painter->drawLine(used.right() + 8, y, textRect.right(), y);
    if (rightToLeft && used.left() - 8 > textRect.left())
        painter->drawLine(textRect.left(), y, used.left() - 8, y);
    painter->restore();
}
