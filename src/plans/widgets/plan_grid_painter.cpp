#include "plans/widgets/plan_grid_painter.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

#include "store/day_records.h"
#include "ui/theme.h"

namespace velmora::plans {

void PlanCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QString state = index.sibling(index.row(), 1).data().toString();
    const bool has_task = !index.sibling(index.row(), 0).data().toString().isEmpty();
    const QColor fill = !has_task ? blank_fill_
                        : state == QString::fromUtf8(store::state_in_progress)
                            ? ui::theme::task_open_fill
                            : ui::theme::task_done_fill;
    painter->save();
    painter->fillRect(option.rect, fill);
    painter->setPen(ui::theme::plan_text);
    painter->setFont(option.font);
    const QRect text_area = option.rect.adjusted(2, 2, -1, 0);
    painter->drawText(
        text_area, Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text_area.width()));
    if (has_task && index.row() == marked_row_) {
        painter->setPen(QPen(Qt::red, 2));
        const int y = option.rect.bottom() - 1;
        painter->drawLine(option.rect.left(), y, option.rect.right(), y);
    }
    painter->restore();
}

PlanTable make_plan_table(QWidget* parent, const char* name, int state_width,
                          const QColor& background, const QColor& header_background) {
    auto* table = new QTableWidget(0, 3, parent);
    table->setObjectName(name);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setColumnWidth(0, 28);
    table->setColumnWidth(1, state_width);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setFont(ui::theme::song_font_points(9));
    table->setStyleSheet(
        QString("QTableWidget { background: %1; gridline-color: #808080; }"
                "QHeaderView::section { background: %2; color: %3;"
                " border: 1px solid #808080; padding-left: 2px; }")
            .arg(background.name(), header_background.name(), ui::theme::plan_text.name()));
    table->setHorizontalHeaderLabels({"类别", "状态", "任务安排"});
    auto* painter = new PlanCellPainter(background, table);
    table->setItemDelegate(painter);
    return {table, painter};
}

// The header is the table's own; the grid's task rows (from row 1) follow.
void fill_plan_table(QTableWidget* table, const store::PlanGrid& grid) {
    table->setRowCount(grid.row_count() - 1);
    for (int row = 1; row < grid.row_count(); ++row) {
        for (int column = 0; column < 3; ++column) {
            const std::string& text = grid.row(row)[static_cast<std::size_t>(column)];
            table->setItem(row - 1, column, new QTableWidgetItem(QString::fromStdString(text)));
        }
    }
}

}  // namespace velmora::plans
