#pragma once
// The tree view under a result list: whole-row extended selection that stays visible without
// the focus, every group expanded, group headers drawn across all columns, rows sorted inside
// their groups by a click on a column header. Space toggles the marks of the selected rows;
// Enter and a double click ask for the row's location.
#include <QTreeView>

class TResultModel;

class TResultView : public QTreeView {
    Q_OBJECT

public:
    explicit TResultView(QWidget* parent = nullptr);
    // Shows the model, shares its selection and lets it switch this view's painting.
    void SetResultModel(TResultModel* model);
    TResultModel* ResultModel() const { return FModel; }
    // Sets the marks of the selected rows (the current row when none is selected) to the
    // opposite of the current row's mark.
    void ToggleSelectedChecks();

signals:
    // Enter or a double click on a row.
    void OpenRequested();
    // The copy key and the Delete key.
    void CopyRequested();
    void DeleteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    void ExpandGroups(const QModelIndex& parent, int first, int last);

    TResultModel* FModel = nullptr;
};
