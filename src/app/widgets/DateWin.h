// The main window: a fixed-size, always-on-top panel with the month view,
// four tab pages and the announcement strip. Its creation runs the
// start-up sequence; its close runs the close sequence, once. The window
// builds its regions and wires the objects that own each job: the day
// selection, the plan and note pages, the reminders and the docking glue.
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "app/day_selection.h"
#include "app/hotkeys.h"
#include "app/options.h"
#include "app/panel_commands.h"
#include "app/placement.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/widgets/docking_glue.h"
#include "app/widgets/reminders.h"
#include "app/widgets/status_icon.h"
#include "app/widgets/x11_desktop.h"
#include "bookmarks/widgets/bookmark_page.h"
#include "calendar/holiday_keeper.h"
#include "calendar/local_date.h"
#include "calendar/widgets/holiday_import.h"
#include "notes/widgets/note_page.h"
#include "plans/widgets/plan_page.h"
#include "store/day_store.h"
#include "sys/clock.h"
#include "sys/instance_lock.h"
#include "sys/prompts.h"
#include "tools/widgets/screen_capture.h"
#include "tools/widgets/tools_panel.h"
#include "ui/line_buffer.h"
#include "update/autoupdate.h"
#include "update/widgets/announcement_strip.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;
class QTreeWidget;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace velmora::calendar {
class MonthView;
}

namespace velmora::app {

class MainMenu;

// What the process entry needs to know after the start-up sequence.
enum class StartResult { running, second_instance, failed };

struct AppContext {
    AppPaths paths;
    sys::Prompts* prompts = nullptr;
    const sys::Clock* clock = nullptr;
    std::string instance_name = "qmo_plumora_zenq";
    sys::Platform* platform = &sys::native_platform();
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
    // The display connection broke and the process is ending: the plans,
    // open edits and settings are stored without a window.
    void save_after_display_lost();

    const LocalSettings& local_settings() const { return local_; }
    const RemoteSettings& remote_settings() const { return remote_; }
    bool close_sequence_done() const { return close_done_; }
    DockEdges docked_at() const { return docking_.docked_at(); }

    // The window's regions and the controls of its pages.
    QWidget* Panel_center = nullptr;
    QWidget* Panel1 = nullptr;
    QTabWidget* RzPageControl_date = nullptr;
    QWidget* TabSheet5 = nullptr;  // 计划任务
    QWidget* TabSheet6 = nullptr;  // 记事便笺
    QWidget* TabSheet3 = nullptr;  // 辅助工具
    QWidget* TabSheet4 = nullptr;  // 网址书签
    QWidget* Panel_center_bottom = nullptr;
    QWidget* ToolBar1 = nullptr;  // the strip that holds the menu button
    QToolButton* ToolButton1 = nullptr;
    QLabel* l_ad1 = nullptr;
    QLabel* l_ad2 = nullptr;
    ui::LineBuffer* Memo_plan_temp = &plan_lines_;  // the plans' hidden line buffer
    // The pages' controls, each owned by its page; asking for one of a page
    // that is made at its first showing makes the page.
    QListWidget* ListView_tool() const;
    QTableWidget* sg_mon_log() const;  // the selected day's plans
    QPushButton* bt_plan_add() const;
    QPushButton* bt_plan_del() const;
    QPushButton* bt_plan_edit() const;
    QPushButton* Button7() const;  // 提醒
    QPushButton* Button8() const;  // 管理
    QPushButton* Button2() const;  // 变更
    QPlainTextEdit* Memo_note();   // the selected day's note, read-only
    QPushButton* Button1();        // 编辑(&E), the note
    QPushButton* Button9();        // 管理, the notes
    QTreeWidget* tv_url();         // the bookmarks

    QTimer Timer1;          // the docking watch, 10 ms
    QTimer Timer_formhide;  // one slide step, 5 ms
    QTimer Timer_apprun;    // the start-up anniversary check, once, 2 s
    QTimer Timer_taskhint;  // task reminders
    QTimer Timer_eye;       // eye-care minute counter, 60 s
    QTimer Timer_shutdown;  // timed shutdown, 6 s
    QTimer Timer_ad;        // announcement rotation
    QTimer Timer_ad2;       // announcement scrolling, 100 ms

    plans::PlanPage& plan_page() { return *plan_page_; }
    // The note page is made when it is first shown or used.
    notes::NotePage& note_page();
    // The bookmark page is made, and its tree loaded, when it is first shown
    // or used.
    bookmarks::BookmarkPage& bookmark_page();
    store::DayStore& day_store() { return day_store_; }
    // The month view's labels, captions and menus (in Panel1).
    calendar::MonthView& month_view() { return *month_view_; }
    const std::string& daykey() const { return selection_->daykey(); }
    calendar::Date selected_date() const { return selection_->selected(); }

    // The month view and the day selection.
    void show_month(const calendar::Date& date) { selection_->show_month_only(date); }
    void CnDayMouseDown(int day) { selection_->click_day(day); }
    void lb_todayClick();
    void sb_date_leftClick() { selection_->step_month(-1); }
    void sb_date_rightClick() { selection_->step_month(1); }
    void MenuMonth_1Click(int month) { selection_->choose_month(month); }
    void MenuYear_Click(int year) { selection_->choose_year(year); }

    // The plan page.
    void bt_plan_addClick() { plan_page_->bt_plan_addClick(); }
    void bt_plan_delClick() { plan_page_->bt_plan_delClick(); }
    void bt_plan_editClick() { plan_page_->bt_plan_editClick(); }
    void sg_mon_logDblClick() { plan_page_->sg_mon_logDblClick(); }
    void Button2Click() { plan_page_->Button2Click(); }
    void Button8Click() { plan_page_->Button8Click(); }
    int plan_row() const { return plan_page_->plan_row(); }

    // The note page.
    void Memo_noteDblClick() { note_page().Memo_noteDblClick(); }
    void Button9Click() { note_page().Button9Click(); }
    bool savedata2fx_note(const std::string& note) { return note_page().savedata2fx_note(note); }

    // The options dialog at one of its six pages; OK stores, applies and
    // saves the settings and starts the helper for autorun and the shortcut.
    void option_show(int page);
    bool confirm_options(const OptionValues& values, int page);
    // Starts the helper beside the program; false after telling the user.
    bool regautoandlink();

    // The menu of ToolButton1 and its handlers.
    MainMenu& main_menu() { return *main_menu_; }
    void N5Click() { option_show(1); }
    void N2Click();
    void N10Click();
    void N3Click();
    void N4Click();
    void N8Click() { about_show(); }
    void N9Click() { close(); }
    void about_show();

    // The announcement strip.
    update::AnnouncementStrip& announcements() { return *announcements_; }
    void Timer_adTimer() { announcements_->Timer_adTimer(); }
    void Timer_ad2Timer() { announcements_->Timer_ad2Timer(); }

    // Reminders, tools and timed actions.
    void Timer_apprunTimer();
    void ListView_toolDblClick() { tools_panel_->ListView_toolDblClick(); }
    void taskcheck() { reminders_.taskcheck(); }
    plans::TaskCounts task_counts() const { return reminders_.task_counts(); }

    // Docking, called from the window's move handling and timers.
    void formmoving(Rect proposed) { docking_.formmoving(proposed); }
    void Timer1Timer() { docking_.Timer1Timer(); }
    void formhide(SlideMode mode) { docking_.formhide(mode); }
    void Timer_formhideTimer() { docking_.Timer_formhideTimer(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build_window();
    void build_regions();
    StartResult open_container();
    void build_tab_pages();
    void build_bottom_strip();
    void build_day_pages();
    void build_note_page();
    void wire_month_view();
    void initvar();
    void initapp_fromlocalset();
    void initapp_fromremoteset();
    void apply_embedding();
    void FormShow();
    void setskinmenu();
    void FormResize();

    // The four desktop hotkeys, held from start to the close sequence.
    void reghotkey() { hotkeys_.reghotkey(); }
    void unreghotkey() { hotkeys_.unreghotkey(); }

    // Reads the remote settings an earlier start stored and starts this
    // start's download of a fresh copy.
    void start_remote_download();
    void load_bookmark_tree();
    void build_bookmark_page();

    // Paints the month of `date` with its marks: the day selection's display.
    void paint_month(const calendar::Date& date);
    WindowPlace place_to_save() const;

public:
    // What `velmora --show` and the like ask of the running panel.
    void run_command(PanelCommand command);

private:
    void load_holidays();
    void add_holiday_downloads(update::DownloadJob& job);
    void holidays_renewed();
    // Made once the window is up: it asks the session bus for a status area.
    void start_status_icon();
    // A plan save that failed on the way out: true when the user still
    // wants to close.
    bool close_despite_unsaved_plans();
    void save_open_managers();
    void save_on_close();

    ui::LineBuffer plan_lines_;
    AppContext context_;
    std::unique_ptr<sys::InstanceLock> instance_lock_;
    std::unique_ptr<EarlyOpen> early_open_;
    LocalSettings local_;
    RemoteSettings remote_;
    // The desktop the hotkeys act on; made after the application, gone before it.
    std::unique_ptr<DesktopWindows> desktop_ =
        make_desktop_windows([this](int id) { hotkeys_.HotKeyDown(id); });
    GlobalHotkeys hotkeys_{local_, *desktop_, *context_.prompts};

    int nosave_exit_ = 0;
    int second_instance_ = 0;
    bool update_available_ = false;
    std::vector<std::string> url_clip_list_;
    sys::LocalTime start_date_;

    store::DayStore day_store_;
    // The days off and make-up working days: read at start, read again when
    // a renewal or an import stored new ones.
    calendar::HolidayKeeper holidays_;
    calendar::HolidayImport holiday_import_{
        holidays_,
        *context_.prompts,
        {[this] { return calendar::dashed_date(calendar::date_of(context_.clock->now())); },
         [this] { holidays_renewed(); }}};
    calendar::MonthView* month_view_ = nullptr;
    plans::PlanPage* plan_page_ = nullptr;
    notes::NotePage* note_page_ = nullptr;
    bookmarks::BookmarkPage* bookmark_page_ = nullptr;
    tools::ToolsPanel* tools_panel_ = nullptr;
    update::AnnouncementStrip* announcements_ = nullptr;
    // Never waited for: destroying it only tells the worker to write nothing.
    std::unique_ptr<update::TautoupdateThread> autoupdate_;
    MainMenu* main_menu_ = nullptr;
    // Lives with the window: it remembers the picture type chosen last.
    tools::ScreenCapture capture_{this, *context_.prompts};
    DeferredDayPage deferred_notes_;
    MonthDisplayCall month_display_{[this](const calendar::Date& date) { paint_month(date); }};
    std::unique_ptr<DaySelection> selection_;
    Reminders reminders_;
    DockingGlue docking_;
    Placement placement_;
    std::unique_ptr<StatusIcon> status_icon_;
    bool close_save_reported_ = false;
    bool shown_once_ = false;
    bool close_done_ = false;
};

}  // namespace velmora::app
