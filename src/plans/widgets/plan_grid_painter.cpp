#include "plans/widgets/plan_grid_painter.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

#include "store/day_records.h"
#include "ui/theme.h"

namespace velmora::plans {

namespace {

const QColor grid_line(0x80, 0x80, 0x80);

// The header's sections: a flat fill, a one-pixel grey outline and navy
// text. Painted here, as a style sheet on the table cost every start its
// parse and the polish of the table's parts (over a millisecond).
class PlanHeader : public QHeaderView {
public:
    PlanHeader(const QColor& fill, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), fill_(fill) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        painter->save();
        painter->fillRect(rect, fill_);
        painter->setPen(grid_line);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->setPen(ui::theme::plan_text);
        painter->drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignCenter,
                          model()->headerData(section, orientation()).toString());
        painter->restore();
    }

private:
    QColor fill_;
};

}  // namespace

// The table draws no grid of its own: each cell draws its right and bottom
// lines.
void PlanCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QString state = index.sibling(index.row(), 1).data().toString();
    const bool has_task = !index.sibling(index.row(), 0).data().toString().isEmpty();
    const QColor fill = !has_task ? blank_fill_
                        : state == QString::fromUtf8(store::state_in_progress)
                            ? ui::theme::task_open_fill
                            : ui::theme::task_done_fill;
    const QRect cell = option.rect.adjusted(0, 0, -1, -1);
    painter->save();
    painter->fillRect(cell, fill);
    painter->setPen(grid_line);
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->setPen(ui::theme::plan_text);
    painter->setFont(option.font);
    const QRect text_area = cell.adjusted(2, 2, -1, 0);
    painter->drawText(
        text_area, Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text_area.width()));
    if (has_task && index.row() == marked_row_) {
        painter->setPen(QPen(Qt::red, 2));
        const int y = cell.bottom() - 1;
        painter->drawLine(cell.left(), y, cell.right(), y);
    }
    painter->restore();
}

PlanTable make_plan_table(QWidget* parent, const char* name, int state_width,
                          const QColor& background, const QColor& header_background) {
    auto* table = new QTableWidget(0, 3, parent);
    table->setObjectName(name);
    table->setHorizontalHeader(new PlanHeader(header_background, table));
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setColumnWidth(0, 28);
    table->setColumnWidth(1, state_width);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setFont(ui::theme::song_font_points(9));
    table->setShowGrid(false);
    QPalette palette = table->palette();
    palette.setColor(QPalette::Base, background);
    table->setPalette(palette);
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
