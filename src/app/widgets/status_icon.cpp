#include "app/widgets/status_icon.h"

#include <utility>

#include "app/status_today.h"
#include "app/widgets/app_icon.h"
#include "calendar/local_date.h"

namespace velmora::app {

StatusIcon::StatusIcon(const sys::Clock& clock,
                       std::function<const calendar::HolidayTable&()> holidays,
                       StatusIconHandlers handlers)
    : clock_(clock), holidays_(std::move(holidays)), handlers_(std::move(handlers)) {
    date_check_.setSingleShot(true);
    connect(&date_check_, &QTimer::timeout, this, &StatusIcon::check_date);
    connect(&tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                // The menu has its own entries; a click or a double click brings
                // the panel out.
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                    handlers_.show_panel();
            });
}

void StatusIcon::start() {
    build_menu();
    refresh();
    tray_.show();
}

void StatusIcon::build_menu() {
    menu_.addAction(QStringLiteral("显示/隐藏"), this, [this] { handlers_.toggle_panel(); });
    menu_.addAction(QStringLiteral("转到今天"), this, [this] { handlers_.go_to_today(); });
    menu_.addAction(QStringLiteral("选项设置"), this, [this] { handlers_.options(); });
    menu_.addSeparator();
    menu_.addAction(QStringLiteral("关闭软件"), this, [this] { handlers_.quit(); });
    tray_.setContextMenu(&menu_);
}

void StatusIcon::refresh() {
    const sys::LocalTime now = clock_.now();
    const calendar::Date today = calendar::date_of(now);
    const StatusToday status = status_today(today, holidays_());
    tray_.setIcon(day_icon(QString::fromStdString(status.day_number)));
    tray_.setToolTip(QString::fromStdString(status.tooltip));
    shown_key_ = calendar::day_key(today);
    date_check_.start(next_date_check_ms(now));
}

void StatusIcon::check_date() {
    if (calendar::day_key(calendar::date_of(clock_.now())) != shown_key_) {
        refresh();
    } else {
        date_check_.start(next_date_check_ms(clock_.now()));
    }
}

}  // namespace velmora::app
