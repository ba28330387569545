#include "app/widgets/reminders.h"

#include <algorithm>
#include <climits>

#include "calendar/datehint.h"
#include "calendar/local_date.h"
#include "calendar/widgets/Udatehintmess.h"
#include "plans/widgets/Utaskhintmess.h"
#include "plans/widgets/uTip.h"
#include "sys/platform.h"

namespace velmora::app {

Reminders::Reminders(QObject& owner, ReminderTimers timers, LocalSettings& settings, Links links)
    : owner_(owner), timers_(timers), settings_(settings), links_(std::move(links)) {
    timers_.Timer_apprun.setInterval(2000);
    timers_.Timer_apprun.setSingleShot(true);
    timers_.Timer_eye.setInterval(60000);
    timers_.Timer_shutdown.setInterval(6000);
    QObject::connect(&timers_.Timer_taskhint, &QTimer::timeout, &owner,
                     [this] { Timer_taskhintTimer(); });
    QObject::connect(&timers_.Timer_eye, &QTimer::timeout, &owner, [this] { Timer_eyeTimer(); });
    QObject::connect(&timers_.Timer_shutdown, &QTimer::timeout, &owner,
                     [this] { Timer_shutdownTimer(); });
}

Reminders::~Reminders() {
    delete frm_tip_;
}

void Reminders::start() {
    timers_.Timer_shutdown.stop();
    if (settings_.shutdown_use == "1" &&
        settings_.shutdown_date == plans::date_key(links_.clock->now())) {
        timers_.Timer_shutdown.start();
    }
    if (settings_.eyehint_use == "1") timers_.Timer_eye.start();
    start_task_timer();
}

void Reminders::start_task_timer() {
    timers_.Timer_taskhint.stop();
    if (settings_.taskhint_use == "1" && settings_.taskhint_time > 0) {
        // A hand-edited number of hours must not overflow the timer's interval.
        const long long interval =
            std::min<long long>(settings_.taskhint_time * 3600000LL, INT_MAX);
        timers_.Timer_taskhint.setInterval(static_cast<int>(interval));
        timers_.Timer_taskhint.start();
    }
}

void Reminders::apply_options() {
    if (settings_.eyehint_use != "1") timers_.Timer_eye.stop();
    if (settings_.eyehint_use == "1" && !timers_.Timer_eye.isActive()) timers_.Timer_eye.start();
    start_task_timer();
    const bool shutdown_today = settings_.shutdown_use == "1" &&
                                settings_.shutdown_date == plans::date_key(links_.clock->now());
    if (shutdown_today && !timers_.Timer_shutdown.isActive()) timers_.Timer_shutdown.start();
}

void Reminders::create_tip_window() {
    if (!frm_tip_) frm_tip_ = new plans::Tfrm_tip();
}

// Once, shortly after the container opened: the new-version line joins the
// announcements, and every anniversary due today gets its popup.
void Reminders::Timer_apprunTimer(bool update_available, const std::string& update_page) {
    timers_.Timer_apprun.stop();
    const calendar::StartupAnnouncements due = calendar::startup_check(
        links_.temp_work, calendar::date_of(links_.clock->now()), update_available, update_page);
    if (due.ad_line) links_.announce(*due.ad_line);
    for (const std::string& text : due.popups) calendar::datehintmess_show(text);
}

// Today's tasks: the plan page's grid when it shows today (unsaved edits
// count), else today's stored record.
void Reminders::taskcheck() {
    task_counts_ = links_.tasks_of(plans::date_key(links_.clock->now()));
}

bool Reminders::reminds_today(const std::string& workdays) const {
    // Without a table every year goes by Monday to Friday.
    static const calendar::HolidayTable no_arrangement;
    const calendar::HolidayTable& table = links_.holidays ? links_.holidays() : no_arrangement;
    return plans::reminds_on(workdays == "1", table, calendar::date_of(links_.clock->now()));
}

void Reminders::Timer_taskhintTimer() {
    taskcheck();
    const std::optional<std::string> text =
        task_reminder_.tick(task_counts_, reminds_today(settings_.taskhint_workdays));
    if (!text) return;
    auto* popup = plans::Tfrm_taskhintmess::showtaskhint(QString::fromStdString(*text));
    QObject::connect(popup, &plans::Tfrm_taskhintmess::closed, &owner_,
                     [this] { task_reminder_.popup_closed(); });
}

void Reminders::Timer_eyeTimer() {
    const bool due =
        eye_care_.tick(settings_.eyehint_time, reminds_today(settings_.eyehint_workdays));
    if (due && frm_tip_) frm_tip_->showtip();
}

void Reminders::Timer_shutdownTimer() {
    timers_.Timer_shutdown.stop();
    switch (plans::shutdown_tick(settings_.shutdown_use, settings_.shutdown_date,
                                 settings_.shutdown_time, links_.clock->now())) {
        case plans::ShutdownStep::stop: break;
        case plans::ShutdownStep::wait: timers_.Timer_shutdown.start(); break;
        case plans::ShutdownStep::fire:
            plans::fire_shutdown(settings_.shutdown_use, settings_.shutdown_date,
                                 links_.close_window, sys::native_platform());
            break;
    }
}

}  // namespace velmora::app
