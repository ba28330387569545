#include "app/day_selection.h"

#include "calendar/month_model.h"

namespace velmora::app {

calendar::Date DaySelection::selected() const {
    return calendar::clamp_date(year_, month_number_, day_);
}

void DaySelection::show(const calendar::Date& date) {
    on_screen_ = date;
    month_.show_month(date);
}

void DaySelection::select(const calendar::Date& date) {
    show(date);
    daykey_ = calendar::day_key(date);
    plans_.load(daykey_);
    notes_.load(daykey_);
}

void DaySelection::start(const calendar::Date& day) {
    year_ = day.year;
    month_number_ = day.month;
    day_ = day.day;
    select(day);
}

// The month the user sees is taken before the save, which may redraw the
// view at the selected day's month.
void DaySelection::click_day(int day) {
    const calendar::Date screen = on_screen_;
    if (!plans_.save_before_leaving()) return;
    year_ = screen.year;
    month_number_ = screen.month;
    day_ = day;
    select(selected());
}

void DaySelection::go_to_today(const calendar::Date& today) {
    if (!plans_.save_before_leaving()) return;
    start(today);
}

void DaySelection::step_month(int delta) {
    const std::optional<calendar::Date> target =
        calendar::step_month(on_screen_.year, on_screen_.month, delta, day_);
    if (!target || !plans_.save_before_leaving()) return;
    year_ = target->year;
    month_number_ = target->month;
    select(*target);
}

void DaySelection::choose_month(int month) {
    if (!plans_.save_before_leaving()) return;
    month_number_ = month;
    select(selected());
}

void DaySelection::choose_year(int year) {
    if (!plans_.save_before_leaving()) return;
    year_ = year;
    select(selected());
}

void DaySelection::show_month_only(const calendar::Date& date) {
    show(date);
}

void DaySelection::redraw() {
    show(selected());
}

}  // namespace velmora::app
