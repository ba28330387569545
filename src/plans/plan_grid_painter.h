// Paints the cells of a plan grid: a fill by the task's state, navy text,
// and a red underline under the row the user last selected.
#pragma once

#include <QStyledItemDelegate>

namespace velmora::plans {

class PlanCellPainter : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The underlined row, as a row of the table (-1: none).
    void set_marked_row(int row) { marked_row_ = row; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int marked_row_ = -1;
};

}  // namespace velmora::plans
