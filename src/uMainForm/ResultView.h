#pragma once
// The tree view under a result list: whole-row single selection that stays visible without
// the focus, every group expanded, group headers drawn across all columns.
#include <QTreeView>

class TResultModel;

class TResultView : public QTreeView {
    Q_OBJECT

public:
    explicit TResultView(QWidget* parent = nullptr);
    // Shows the model, shares its selection and lets it switch this view's painting.
    void SetResultModel(TResultModel* model);
    TResultModel* ResultModel() const { return FModel; }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    void ExpandGroups(const QModelIndex& parent, int first, int last);

    TResultModel* FModel = nullptr;
};
