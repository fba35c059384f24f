#include "uMainForm/ResultView.h"

#include <QHeaderView>
#include <QPainter>

#include "uMainForm/ResultModel.h"

TResultView::TResultView(QWidget* parent) : QTreeView(parent) {
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
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
    expandAll();
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
    // A header row: its text over every column, a rule under it.
    const int left = header()->sectionViewportPosition(header()->logicalIndex(0));
    const int right = qMax(viewport()->width(), left + header()->length());
    const QRect row(left, option.rect.top(), right - left, option.rect.height());
    QStyleOptionViewItem item = option;
    item.rect = row.adjusted(4, 0, 0, 0);
    item.font.setBold(true);
    item.fontMetrics = QFontMetrics(item.font);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();
    painter->setFont(item.font);
    painter->setPen(palette().color(QPalette::Active, QPalette::Link));
    const QRect textRect = item.rect.adjusted(0, 0, -4, 0);
    QRect used;
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text, &used);
    const int y = row.center().y();
    const int ruleStart = used.right() + 8;
    if (ruleStart < row.right()) {
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(ruleStart, y, row.right() - 4, y);
    }
    painter->restore();
}
