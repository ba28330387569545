// The month's 37 day cells drawn by one widget: each cell's day number,
// lunar text, plan and note marks and 休/班 mark, and the selection box
// beneath the selected cell. One widget instead of five per cell: the start
// made, polished and filled 185 labels and frames before the window could
// show, most of them never seen in a given month.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include <array>

#include "calendar/month_model.h"

namespace velmora::calendar {

class DayGrid : public QWidget {
    Q_OBJECT

public:
    // Where the parts of one cell lie, in the month panel's coordinates.
    struct Places {
        QRect box;  // the selection box, and the cell's share of the clicks
        QRect number;
        QRect lunar;
        QRect holiday;
        QRect plan_mark;
        QRect note_mark;
    };
    // Cell index 0..36; with a 休/班 mark the number is centred in the part
    // of the cell left of it.
    static Places places(int cell, bool marked);
    // The area of the panel the cells take, and the widget's geometry.
    static QRect area();

    explicit DayGrid(QWidget* panel);

    void show_cells(const std::array<DayCell, cell_count>& cells, int selected_cell);

    const DayCell& cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    // 1-based; 0 when no day is selected.
    int selected_cell() const { return selected_cell_; }
    // The day under a point of the panel; 0 where no day is.
    int day_at(const QPoint& panel_point) const;
    // The 休/班 note of the day under a point; empty where there is none.
    QString tooltip_at(const QPoint& panel_point) const;
    const QFont& number_font() const { return number_font_; }
    const QFont& lunar_font() const { return lunar_font_; }

signals:
    void dayPressed(int day);
    void dayClicked(int day);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int cell_at(const QPoint& panel_point) const;
    void paint_cell(QPainter& painter, int index) const;
    void paint_marks(QPainter& painter, const DayCell& day, const Places& at) const;
    void paint_selection(QPainter& painter) const;
    QString spoken_selection() const;

    std::array<DayCell, cell_count> cells_{};
    int selected_cell_ = 0;
    QFont number_font_;
    QFont lunar_font_;
    QFont holiday_font_;
};

}  // namespace velmora::calendar
