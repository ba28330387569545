// The main window: a fixed-size, always-on-top panel with the month view,
// four tab pages and the announcement strip. Its creation runs the
// start-up sequence; its close runs the close sequence, once.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/day_selection.h"
#include "app/docking.h"
#include "app/settings.h"
#include "app/startup.h"
#include "calendar/DateCn.h"
#include "plans/task_reminder.h"
#include "plans/timed_actions.h"
#include "store/day_store.h"
#include "sys/clock.h"
#include "sys/instance_lock.h"
#include "sys/prompts.h"
#include "ui/save_soon.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;
class QPushButton;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace velmora::calendar {
class MonthView;
}
namespace velmora::plans {
class PlanCellPainter;
class Tfrm_tip;
}  // namespace velmora::plans

namespace velmora::app {

// What the process entry needs to know after the start-up sequence.
enum class StartResult { running, second_instance, failed };

struct AppContext {
    AppPaths paths;
    sys::Prompts* prompts = nullptr;
    const sys::Clock* clock = nullptr;
    std::string instance_name = "qmo_plumora_zenq";
};

class TFRM_Date : public QWidget {
    Q_OBJECT

public:
    explicit TFRM_Date(AppContext context);
    ~TFRM_Date() override;

    StartResult FormCreate();
    // The close sequence; runs at most once per process.
    void doformclose();
    // The session is ending: close sequence, then the answer "yes".
    bool winexit();

    const LocalSettings& local_settings() const { return local_; }
    const RemoteSettings& remote_settings() const { return remote_; }
    bool close_sequence_done() const { return close_done_; }
    DockEdges docked_at() const { return dock_edges_; }

    // The window's regions, for the subsystems that fill them.
    QWidget* Panel_center = nullptr;
    QWidget* Panel1 = nullptr;
    QTabWidget* RzPageControl_date = nullptr;
    QWidget* TabSheet5 = nullptr;  // 计划任务
    QWidget* TabSheet6 = nullptr;  // 记事便笺
    QWidget* TabSheet3 = nullptr;  // 辅助工具
    QWidget* TabSheet4 = nullptr;  // 网址书签
    QListWidget* ListView_tool = nullptr;
    QWidget* Panel_center_bottom = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QLabel* l_ad1 = nullptr;
    QLabel* l_ad2 = nullptr;
    QPlainTextEdit* Memo_plan_temp = nullptr;
    QTableWidget* sg_mon_log = nullptr;  // the selected day's plans
    QPushButton* bt_plan_add = nullptr;
    QPushButton* bt_plan_del = nullptr;
    QPushButton* bt_plan_edit = nullptr;
    QPushButton* Button7 = nullptr;       // 提醒
    QPushButton* Button8 = nullptr;       // 管理
    QPushButton* Button2 = nullptr;       // 变更
    QPlainTextEdit* Memo_note = nullptr;  // the selected day's note, read-only
    QPushButton* Button1 = nullptr;       // 编辑(&E), the note
    QPushButton* Button9 = nullptr;       // 管理, the notes
    calendar::MonthView* month_view = nullptr;

    QTimer Timer1;          // the docking watch, 10 ms
    QTimer Timer_formhide;  // one slide step, 5 ms
    QTimer Timer_apprun;    // the start-up anniversary check, once, 2 s
    QTimer Timer_taskhint;  // task reminders
    QTimer Timer_eye;       // eye-care minute counter, 60 s
    QTimer Timer_shutdown;  // timed shutdown, 6 s
    QTimer Timer_ad;        // announcement rotation
    QTimer Timer_ad2;       // announcement scrolling, 100 ms

    // The note page.
    void Memo_noteDblClick();
    void Button9Click();

    // Reminders and timed actions.
    void Timer_apprunTimer();
    void ListView_toolDblClick(int item);
    void taskcheck();
    void Timer_taskhintTimer();
    void Timer_eyeTimer();
    void Timer_shutdownTimer();
    plans::TaskCounts task_counts() const { return task_counts_; }
    plans::Tfrm_tip* frm_tip = nullptr;  // lives for the whole run

    // The month view and the day records.
    void show_month(const calendar::Date& date);
    // Loads fail visibly: the page shows why and takes no edits.
    void load_schedule();
    void load_note();
    // Saves fail loudly: the user is told once, and the shown text stays.
    // Both answer true when the store holds what is shown.
    bool savedata2fx_schedule();
    bool savedata2fx_note(const std::string& note);
    // The save that follows a change of the shown plans within two seconds.
    ui::SaveSoon& plans_save_soon() { return *plans_save_soon_; }
    void CnDayMouseDown(int day);
    void lb_todayClick();
    void sb_date_leftClick();
    void sb_date_rightClick();
    void MenuMonth_1Click(int month);
    void MenuYear_Click(int year);
    // The plan page.
    void bt_plan_addClick();
    void bt_plan_delClick();
    void bt_plan_editClick();
    void sg_mon_logDblClick();
    void sg_mon_logSelectCell(int row);
    void Button2Click();
    void Button7Click() { open_options_dialog(6); }
    void Button8Click();
    int plan_row() const { return plan_row_; }

    const std::string& daykey() const { return selection_.daykey(); }
    calendar::Date selected_date() const { return selection_.selected(); }
    store::PlanGrid& plan_grid() { return plan_grid_; }
    store::DayStore& day_store() { return day_store_; }

    // Docking, called from the window's move handling and timers.
    void formmoving(Rect proposed);
    void Timer1Timer();
    void formhide(SlideMode mode);
    void Timer_formhideTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_regions();
    void build_bottom_strip();
    void initvar();
    void initapp_fromlocalset();
    void initapp_fromremoteset();
    void apply_embedding();
    void FormShow();
    void setskinmenu();
    void FormResize();
    Size screen_size() const;
    void move_to(Point position);

    // Calls into subsystems that later parts of the program fill in.
    void start_remote_download() {}
    void reghotkey() {}
    void unreghotkey() {}
    void load_bookmark_tree() {}
    void open_options_dialog(int /*page*/) {}
    void run_plan_manager();

    void build_plan_page();
    void build_note_page();
    QString unreadable_text(store::DayRecord record, store::FxError error) const;
    void show_plans_unavailable(store::FxError error);
    void show_note_unavailable(store::FxError error);
    // A plan save that failed on the way out: true when the user still
    // wants to close.
    bool close_despite_unsaved_plans();
    void plan_changed(bool changed);
    int current_plan_row() const;

    void build_day_pages();
    void paint_month(const calendar::Date& date);
    void prepare_plan_grid();
    void show_plan_grid();
    void show_start_day();
    void redraw_month();

    AppContext context_;
    std::unique_ptr<sys::InstanceLock> instance_lock_;
    LocalSettings local_;
    RemoteSettings remote_;

    int nosave_exit_ = 0;
    int second_instance_ = 0;
    bool update_available_ = false;
    std::vector<std::string> ad_lines_;
    int ad_index_ = 0;
    std::vector<std::string> hidden_windows_;
    std::vector<std::string> url_clip_list_;
    sys::LocalTime start_date_;

    store::DayStore day_store_;
    store::PlanGrid plan_grid_;
    plans::PlanCellPainter* plan_painter_ = nullptr;
    QLabel* plans_unavailable_ = nullptr;  // why the shown day's plans cannot be read
    ui::SaveSoon* plans_save_soon_ = nullptr;
    bool plans_save_soon_failed_ = false;  // told once, until a save succeeds again
    void save_plans_soon();
    store::FxError save_shown_plans();
    void save_open_managers();
    bool close_save_reported_ = false;
    int plan_row_ = 1;
    plans::TaskCounts task_counts_;
    std::string manage_daykey_;  // the plan manager's day, kept between openings
    plans::TaskReminder task_reminder_;
    plans::EyeCare eye_care_;
    // The month view and the two day pages, as the day selection sees them.
    struct MonthOnWindow : MonthDisplay {
        explicit MonthOnWindow(TFRM_Date& owner) : window(owner) {}
        void show_month(const calendar::Date& date) override { window.paint_month(date); }
        TFRM_Date& window;
    } month_on_window_{*this};
    struct PlansOnWindow : DayPage {
        explicit PlansOnWindow(TFRM_Date& owner) : window(owner) {}
        bool save_before_leaving() override { return window.savedata2fx_schedule(); }
        void load(const std::string&) override { window.load_schedule(); }
        TFRM_Date& window;
    } plans_on_window_{*this};
    // Notes are saved by their editor and manager, never on a day change.
    struct NoteOnWindow : DayPage {
        explicit NoteOnWindow(TFRM_Date& owner) : window(owner) {}
        bool save_before_leaving() override { return true; }
        void load(const std::string&) override { window.load_note(); }
        TFRM_Date& window;
    } note_on_window_{*this};
    DaySelection selection_{month_on_window_, plans_on_window_, note_on_window_};

    DockEdges dock_edges_ = 0;
    SlideMode dock_mode_ = no_slide;
    bool embedded_ = false;
    bool shown_once_ = false;
    bool close_done_ = false;
    // Where the program itself last put the window: the window system reports
    // those moves back, late and sometimes several at once.
    std::array<Point, 4> placed_at_{};
    std::size_t placed_next_ = 0;
    bool placed_by_program(Point position) const;
    // The window manager's own placement at first show is not a drag.
    bool drags_tracked_ = false;
};

}  // namespace velmora::app
