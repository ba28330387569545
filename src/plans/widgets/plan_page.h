// The plan page of the main window: one day's plans in a grid, the six
// buttons beneath it, and the save that follows a change within two
// seconds. It shows the day it last loaded and keeps that day's key, so it
// needs nothing from the window but the few calls in `Links`.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "calendar/DateCn.h"
#include "plans/plan_list.h"
#include "plans/task_reminder.h"
#include "store/day_store.h"
#include "sys/clock.h"
#include "sys/prompts.h"
#include "ui/day_page.h"
#include "ui/line_buffer.h"
#include "ui/save_soon.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;
class QWidget;

namespace velmora::plans {

class PlanCellPainter;

class PlanPage : public QObject, public ui::DayPage {
    Q_OBJECT

public:
    struct Links {
        std::function<void()> redraw_month;                     // the marks changed
        std::function<void(const calendar::Date&)> show_month;  // a task moved there
        std::function<void()> open_reminder_options;            // "提醒"
    };

    // Builds the page's controls into `page`; `line_buffer` holds the shown
    // record's text.
    PlanPage(QWidget* page, ui::LineBuffer* line_buffer, store::DayStore& days,
             sys::Prompts& prompts, const sys::Clock& clock, Links links);

    QTableWidget* sg_mon_log = nullptr;
    QPushButton* bt_plan_add = nullptr;
    QPushButton* bt_plan_del = nullptr;
    QPushButton* bt_plan_edit = nullptr;
    QPushButton* Button7 = nullptr;  // 提醒
    QPushButton* Button8 = nullptr;  // 管理
    QPushButton* Button2 = nullptr;  // 变更

    void bt_plan_addClick();
    void bt_plan_delClick();
    void bt_plan_editClick();
    void sg_mon_logDblClick();
    void sg_mon_logSelectCell(int row);
    void Button2Click();
    void Button7Click() { links_.open_reminder_options(); }
    void Button8Click();

    // Changes the shown grid by one of the list's rules; a rule that
    // answers true changed it, and the change is saved within two seconds.
    void apply(const std::function<bool(store::PlanGrid&)>& rule) { changed(rule(grid_)); }

    // A read that fails shows why and locks the page; see DayStore.
    void load(const std::string& daykey) override;
    // Saves changed plans, telling the user of a failure.
    bool save_before_leaving() override;
    // Saves changed plans of the shown day and redraws the month's marks;
    // none when nothing needed saving. The flag of unsaved changes stays
    // set after a failure, so the next chance saves again.
    store::FxError save_shown();

    const std::string& daykey() const { return daykey_; }
    const store::PlanGrid& grid() const { return grid_; }
    bool dirty() const { return dirty_; }
    int plan_row() const { return plan_row_; }
    ui::SaveSoon& save_soon() { return *save_soon_; }
    // Today's tasks: the grid when it shows today (unsaved edits count),
    // else the stored record; an unreadable record has none to remind of.
    TaskCounts tasks_of(const std::string& key);

private:
    void build_buttons(QWidget* page, QVBoxLayout* column);
    void changed(bool grid_changed);
    void show_grid();
    void show_unavailable(store::FxError error);
    void save_soon_elapsed();
    void run_manager();
    int current_row() const;

    ui::LineBuffer* line_buffer_;
    store::DayStore& days_;
    sys::Prompts& prompts_;
    const sys::Clock& clock_;
    Links links_;
    store::PlanGrid grid_;
    std::string daykey_;
    bool dirty_ = false;
    int plan_row_ = 1;
    std::string manage_daykey_;  // the plan manager's day, kept between openings
    PlanCellPainter* painter_ = nullptr;
    QLabel* unavailable_ = nullptr;  // why the shown day's plans cannot be read
    ui::SaveSoon* save_soon_ = nullptr;
    SaveSoonNotice save_soon_notice_;
};

}  // namespace velmora::plans
