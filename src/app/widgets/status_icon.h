// The program's icon in the desktop's status area: today's day number, a
// tooltip with today's Gregorian and lunar date, festival or solar term and
// 休/班 mark, a click that brings the panel out, and a small menu. Qt speaks
// the StatusNotifierItem protocol where a host answers on the session bus
// (KDE, GNOME with the AppIndicator extension, most panels) and the older
// tray protocol of X11 otherwise; where neither answers the icon simply
// never shows.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <string>

#include "calendar/holidays.h"
#include "sys/clock.h"

namespace velmora::app {

struct StatusIconHandlers {
    std::function<void()> show_panel;    // a click
    std::function<void()> toggle_panel;  // 显示/隐藏
    std::function<void()> go_to_today;   // 转到今天
    std::function<void()> options;       // 选项设置
    std::function<void()> quit;          // 关闭软件
};

class StatusIcon : public QObject {
    Q_OBJECT

public:
    StatusIcon(const sys::Clock& clock, std::function<const calendar::HolidayTable&()> holidays,
               StatusIconHandlers handlers);

    // Puts the icon up and keeps it on today's date.
    void start();
    // Draws today again: after the date changed or the 休/班 marks were renewed.
    void refresh();

private:
    void build_menu();
    void check_date();

    const sys::Clock& clock_;
    std::function<const calendar::HolidayTable&()> holidays_;
    StatusIconHandlers handlers_;
    QSystemTrayIcon tray_;
    QMenu menu_;
    QTimer date_check_;
    std::string shown_key_;
};

}  // namespace velmora::app
