// The month grid in the main window's upper panel: captions with their
// menus, the arrows, the year's stem and zodiac, the star sign, "转到今天",
// the weekday heads and 37 day cells, each a day label, a lunar label and
// two marks. It shows a MonthModel and reports what the user did; the main
// window decides what follows.
#pragma once

#include <QObject>

#include <array>

#include "calendar/month_model.h"

class QFrame;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

namespace velmora::calendar {

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
    QFrame* Shape2 = nullptr;
    QMenu* MenuMonth = nullptr;  // made at the first right click
    QMenu* MenuYear = nullptr;
    std::array<QLabel*, cell_count> day_labels{};
    std::array<QLabel*, cell_count> lunar_labels{};
    std::array<QFrame*, cell_count> plan_marks{};
    std::array<QFrame*, cell_count> note_marks{};
    // "休" or "班" in the cell's top-right corner.
    std::array<QLabel*, cell_count> holiday_marks{};
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
    QLabel* holiday_mark(const QLabel* day);
    void show_holiday(int cell, const DayCell& day);
    void make_holiday_notice();
    QLabel* caption(const QString& text, int left, int top, int width, int height);

    QWidget* panel_;
};

}  // namespace velmora::calendar
