// The main window's reminders and timed actions: the start-up anniversary
// check, the task reminder, the eye-care minute counter and the timed
// shutdown. The timers are the window's; this class sets them up from the
// settings and answers their ticks.
#pragma once

#include <QTimer>

#include <functional>
#include <string>

#include "app/settings.h"
#include "calendar/holidays.h"
#include "plans/task_reminder.h"
#include "plans/timed_actions.h"
#include "sys/clock.h"

namespace velmora::plans {
class Tfrm_tip;
}

namespace velmora::app {

struct ReminderTimers {
    QTimer& Timer_apprun;    // once, 2 s after start
    QTimer& Timer_taskhint;  // every taskhint_time hours
    QTimer& Timer_eye;       // every minute
    QTimer& Timer_shutdown;  // every 6 s on the shutdown day
};

class Reminders {
public:
    struct Links {
        std::function<plans::TaskCounts(const std::string& key)> tasks_of;  // a day's tasks
        std::function<void(const std::string&)> announce;                   // a line for the strip
        std::function<void()> close_window;  // before a timed shutdown
        std::string temp_work;               // for the anniversary list
        const sys::Clock* clock = nullptr;
        // The holiday arrangement in force, asked at every tick: a renewal
        // replaces it while the program runs.
        std::function<const calendar::HolidayTable&()> holidays;
    };

    Reminders(QObject& owner, ReminderTimers timers, LocalSettings& settings, Links links);
    ~Reminders();

    // Starts the timers the settings ask for.
    void start();
    // After the options changed: the eye-care and task timers follow their
    // switches; a shutdown set for today is armed, never disarmed here.
    void apply_options();
    // The tip window lives for the whole run, from the end of start-up.
    void create_tip_window();

    void Timer_apprunTimer(bool update_available, const std::string& update_page);
    void taskcheck();
    void Timer_taskhintTimer();
    void Timer_eyeTimer();
    void Timer_shutdownTimer();
    plans::TaskCounts task_counts() const { return task_counts_; }

private:
    void start_task_timer();
    // Whether a reminder with this "只在工作日提醒" switch speaks today.
    bool reminds_today(const std::string& workdays) const;

    QObject& owner_;
    ReminderTimers timers_;
    LocalSettings& settings_;
    Links links_;
    plans::TaskReminder task_reminder_;
    plans::EyeCare eye_care_;
    plans::TaskCounts task_counts_;
    plans::Tfrm_tip* frm_tip_ = nullptr;
};

}  // namespace velmora::app
