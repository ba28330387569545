#include <gtest/gtest.h>

#include <QImage>

#include <QTableWidget>
#include <memory>
#include <set>

#include "plans/widgets/plan_grid_painter.h"

namespace velmora::plans {
namespace {

// The colours of one table row as painted, grid lines left out: along a
// horizontal line through the row, and along the row's last three lines
// (where the underline goes).
struct RowPixels {
    std::set<QRgb> middle;
    std::set<QRgb> bottom;
};

RowPixels paint_row(QTableWidget& table, int row) {
    table.resize(300, 120);
    const QImage image = table.viewport()->grab().toImage();
    const QRect cells =
        table.visualItemRect(table.item(row, 2)).united(table.visualItemRect(table.item(row, 0)));
    RowPixels pixels;
    const QRgb grid_line = 0x808080;
    for (int x = cells.left() + 1; x < cells.right() - 1; ++x) {
        pixels.middle.insert(image.pixel(x, cells.top() + 3) & 0xFFFFFF);
        for (int y = cells.bottom() - 2; y <= cells.bottom(); ++y)
            pixels.bottom.insert(image.pixel(x, y) & 0xFFFFFF);
    }
    pixels.middle.erase(grid_line);
    pixels.bottom.erase(grid_line);
    return pixels;
}

void fill_row(QTableWidget& table, int row, const char* category, const char* state) {
    for (int column = 0; column < 3; ++column) {
        table.setItem(row, column,
                      new QTableWidgetItem(column == 0   ? category
                                           : column == 1 ? QString::fromUtf8(state)
                                                         : QString()));
    }
}

TEST(PlanGridPainting, TheBlankRowTakesTheGridsBackgroundAndIsNeverUnderlined) {
    for (const QColor background : {QColor(Qt::white), QColor(255, 255, 202)}) {
        PlanTable grid = make_plan_table(nullptr, "grid", 45, background, Qt::gray);
        std::unique_ptr<QTableWidget> owner(grid.table);
        grid.table->setRowCount(1);
        fill_row(*grid.table, 0, "", "");
        grid.painter->set_marked_row(0);
        const RowPixels blank = paint_row(*grid.table, 0);
        EXPECT_EQ(blank.middle, std::set<QRgb>{background.rgb() & 0xFFFFFF})
            << background.name().toStdString();
        EXPECT_EQ(blank.bottom.count(QColor(Qt::red).rgb() & 0xFFFFFF), 0u);

        fill_row(*grid.table, 0, "A", "进行中");
        const RowPixels task = paint_row(*grid.table, 0);
        EXPECT_EQ(task.bottom.count(QColor(Qt::red).rgb() & 0xFFFFFF), 1u);
        EXPECT_EQ(task.middle.count(QColor(255, 206, 157).rgb() & 0xFFFFFF), 1u);
    }
}

}  // namespace
}  // namespace velmora::plans
