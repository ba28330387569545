#include "plans/plan_grid_painter.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

#include "store/day_records.h"

namespace velmora::plans {

namespace {

const QColor in_progress_fill(255, 206, 157);
const QColor done_fill(128, 255, 128);
const QColor navy(0, 0, 128);

}  // namespace

void PlanCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QString state = index.sibling(index.row(), 1).data().toString();
    const bool has_task = !index.sibling(index.row(), 0).data().toString().isEmpty();
    const QColor fill = !has_task                                              ? blank_fill_
                        : state == QString::fromUtf8(store::state_in_progress) ? in_progress_fill
                                                                               : done_fill;
    painter->save();
    painter->fillRect(option.rect, fill);
    painter->setPen(navy);
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
    QFont font({"SimSun", "宋体", "WenQuanYi Micro Hei"});
    font.setPointSize(9);
    table->setFont(font);
    table->setStyleSheet(QString("QTableWidget { background: %1; gridline-color: #808080; }"
                                 "QHeaderView::section { background: %2; color: rgb(0, 0, 128);"
                                 " border: 1px solid #808080; padding-left: 2px; }")
                             .arg(background.name(), header_background.name()));
    auto* painter = new PlanCellPainter(background, table);
    table->setItemDelegate(painter);
    return {table, painter};
}

}  // namespace velmora::plans
