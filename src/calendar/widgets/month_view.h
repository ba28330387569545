// The month grid in the main window's upper panel: captions with their
// menus, the arrows, the year's stem and zodiac, the star sign, "转到今天",
// the weekday heads and the grid of 37 day cells. It shows a MonthModel and reports what the user
// did; the main window decides what follows.
#pragma once

#include <QObject>

#include "calendar/month_model.h"

class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace velmora::calendar {

class DayGrid;

class MonthView : public QObject {
    Q_OBJECT

public:
    explicit MonthView(QWidget* panel);

    void create_day_cells();
    void show(const MonthModel& model);

    QToolButton* sb_date_left = nullptr;
    QToolButton* sb_date_right = nullptr;
    QLabel* label_year = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label_month = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label_china = nullptr;
    QLabel* Label_star = nullptr;
    QLabel* lb_today = nullptr;
    QMenu* MenuMonth = nullptr;  // made at the first right click
    QMenu* MenuYear = nullptr;
    DayGrid* day_grid = nullptr;  // made by create_day_cells
    // Where the last row leaves room: what is known of a year without an
    // arrangement.
    QLabel* Label_holiday_notice = nullptr;

signals:
    void dayPressed(int day);  // a mouse button went down on a day's labels
    void dayClicked(int day);
    void todayClicked();
    void previousMonth();
    void nextMonth();
    void monthChosen(int month);
    void yearChosen(int year);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_captions();
    void build_year_month_captions();
    void build_day_captions();
    void build_weekday_heads();
    void connect_menus();
    void build_menus();
    void make_holiday_notice();
    QLabel* caption(const QString& text, int left, int top, int width, int height);

    QWidget* panel_;
};

}  // namespace velmora::calendar
