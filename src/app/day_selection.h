// The day the main window shows, without a window: the selected year, month
// and day, `daykey`, the month on screen, and the order of every move: the
// shown day's plans are saved first (a failed save keeps the selection
// where it is), then the month is shown and the new day's records loaded.
// It talks to the month view and the two day pages through the small
// interfaces below, so every navigation rule is tested without a window.
#pragma once

#include <functional>
#include <string>

#include "calendar/DateCn.h"
#include "ui/day_page.h"

namespace velmora::app {

// What shows a month: the month view.
class MonthDisplay {
public:
    virtual ~MonthDisplay() = default;
    // Shows the month of `date` with `date`'s day selected.
    virtual void show_month(const calendar::Date& date) = 0;
};

// A month display that is one call: the window's painting of its month view.
class MonthDisplayCall : public MonthDisplay {
public:
    explicit MonthDisplayCall(std::function<void(const calendar::Date&)> paint)
        : paint_(std::move(paint)) {}
    void show_month(const calendar::Date& date) override { paint_(date); }

private:
    std::function<void(const calendar::Date&)> paint_;
};

using DayPage = ui::DayPage;

// A page made at its first showing: until then it keeps the day it is to
// show and has nothing to save; once attached, it loads that day.
class DeferredDayPage : public DayPage {
public:
    void attach(DayPage& page) {
        page_ = &page;
        if (!daykey_.empty()) page_->load(daykey_);
    }
    bool save_before_leaving() override { return !page_ || page_->save_before_leaving(); }
    void load(const std::string& daykey) override {
        daykey_ = daykey;
        if (page_) page_->load(daykey_);
    }

private:
    DayPage* page_ = nullptr;
    std::string daykey_;
};

class DaySelection {
public:
    DaySelection(MonthDisplay& month, DayPage& plans, DayPage& notes)
        : month_(month), plans_(plans), notes_(notes) {}

    // The first show: the start day, without a save.
    void start(const calendar::Date& day);
    // A click on a day of the month on screen.
    void click_day(int day);
    // "转到今天".
    void go_to_today(const calendar::Date& today);
    // The arrows: a month back or forward from the month on screen, keeping
    // the remembered day as far as the month has it; nothing beyond the
    // calendar's first and last month.
    void step_month(int delta);
    // The month and year menus change the selected day's month or year.
    void choose_month(int month);
    void choose_year(int year);
    // The view moves to another month (where a task was moved to); the
    // selection stays.
    void show_month_only(const calendar::Date& date);
    // Shows the selected day's month again, after the marks changed.
    void redraw();

    const std::string& daykey() const { return daykey_; }
    // The selected day, the remembered day cut to the month's length.
    calendar::Date selected() const;
    calendar::Date month_on_screen() const { return on_screen_; }

private:
    void select(const calendar::Date& date);
    void show(const calendar::Date& date);

    MonthDisplay& month_;
    DayPage& plans_;
    DayPage& notes_;
    int year_ = 0;
    int month_number_ = 1;
    int day_ = 1;  // remembered across months shorter than it
    calendar::Date on_screen_{};
    std::string daykey_;
};

}  // namespace velmora::app
