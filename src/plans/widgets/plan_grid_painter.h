// Paints the cells of a plan grid: a fill by the task's state (the grid's
// own background for the blank row of an empty list), navy text, and a red
// underline under the task row the user last selected.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include "store/day_store.h"

class QTableWidget;

namespace velmora::plans {

class PlanCellPainter : public QStyledItemDelegate {
public:
    PlanCellPainter(const QColor& blank_fill, QObject* parent)
        : QStyledItemDelegate(parent), blank_fill_(blank_fill) {}

    // The underlined row, as a row of the table (-1: none).
    void set_marked_row(int row) { marked_row_ = row; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QColor blank_fill_;
    int marked_row_ = -1;
};

// A plan grid as both plan lists show it: three columns (the state column
// `state_width` wide), 20-px rows, whole-row selection, navy "宋体" 9 pt,
// the given grid and header backgrounds, and a PlanCellPainter installed.
struct PlanTable {
    QTableWidget* table;
    PlanCellPainter* painter;
};
PlanTable make_plan_table(QWidget* parent, const char* name, int state_width,
                          const QColor& background, const QColor& header_background);

// Shows the grid's tasks under the table's header row.
void fill_plan_table(QTableWidget* table, const store::PlanGrid& grid);

}  // namespace velmora::plans
