#include "app/widgets/DateWin.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <cerrno>
#include <filesystem>

#include "app/widgets/app_icon.h"
#include "app/widgets/command_channel.h"
#include "app/widgets/main_menu.h"
#include "app/widgets/window_hints.h"
#include "calendar/datehint.h"
#include "calendar/local_date.h"
#include "calendar/month_model.h"
#include "calendar/widgets/month_view.h"
#include "notes/widgets/ufrm_note_manage.h"
#include "plans/widgets/ufrm_schedule_manage.h"
#include "sys/inifile.h"
#include "sys/sysutil.h"
#include "tools/widgets/screen_capture.h"
#include "ui/pending_edit.h"
#include "ui/theme.h"
#include "update/holiday_download.h"

namespace velmora::app {

namespace {

constexpr int window_width = 330;
constexpr int window_height = 560;
constexpr int calendar_height = 254;
constexpr int bottom_strip_height = 32;
constexpr int first_placement_settle_ms = 500;
constexpr int download_delay_ms = 1000;
const char* const docking_tip = "【提示】：本窗口贴近屏幕四周时会缩进隐藏！";

}  // namespace

TFRM_Date::TFRM_Date(AppContext context)
    : context_(std::move(context)),
      day_store_(context_.paths.temp_work()),
      reminders_(*this, {Timer_apprun, Timer_taskhint, Timer_eye, Timer_shutdown}, local_,
                 {[this](const std::string& key) { return plan_page_->tasks_of(key); },
                  [this](const std::string& line) { announcements_->append(line); },
                  [this] { close(); }, context_.paths.temp_work(), context_.clock,
                  [this]() -> const calendar::HolidayTable& { return holidays_.in_force(); }}),
      docking_(*this, Timer1, Timer_formhide) {
    setObjectName("FRM_Date");
    setWindowTitle("Velmora");
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFixedSize(window_width, window_height);
    setWindowIcon(app_icon());
    connect(&Timer_apprun, &QTimer::timeout, this, &TFRM_Date::Timer_apprunTimer);
}

TFRM_Date::~TFRM_Date() = default;

// Built once this process is the running instance, while the container
// opens on a worker thread.
void TFRM_Date::build_window() {
    setFont(ui::theme::song_font(12));
    build_regions();
    selection_ = std::make_unique<DaySelection>(month_display_, *plan_page_, deferred_notes_);
}

void TFRM_Date::build_regions() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    Panel_center = ui::theme::white_panel(this, "Panel_center");
    outer->addWidget(Panel_center);
    auto* column = new QVBoxLayout(Panel_center);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = ui::theme::white_panel(Panel_center, "Panel1");
    Panel1->setFixedHeight(calendar_height);
    column->addWidget(Panel1);
    month_view_ = new calendar::MonthView(Panel1);
    wire_month_view();

    build_tab_pages();
    column->addWidget(RzPageControl_date, 1);
    build_bottom_strip();
    column->addWidget(Panel_center_bottom);
}

void TFRM_Date::wire_month_view() {
    using calendar::MonthView;
    connect(month_view_, &MonthView::dayPressed, this, &TFRM_Date::CnDayMouseDown);
    connect(month_view_, &MonthView::todayClicked, this, &TFRM_Date::lb_todayClick);
    connect(month_view_, &MonthView::previousMonth, this, &TFRM_Date::sb_date_leftClick);
    connect(month_view_, &MonthView::nextMonth, this, &TFRM_Date::sb_date_rightClick);
    connect(month_view_, &MonthView::monthChosen, this, &TFRM_Date::MenuMonth_1Click);
    connect(month_view_, &MonthView::yearChosen, this, &TFRM_Date::MenuYear_Click);
}

void TFRM_Date::build_bottom_strip() {
    Panel_center_bottom = ui::theme::white_panel(Panel_center, "Panel_center_bottom");
    Panel_center_bottom->setFixedHeight(bottom_strip_height);
    auto* row = new QHBoxLayout(Panel_center_bottom);
    row->setContentsMargins(0, 0, 4, 0);
    row->setSpacing(4);

    // The bar holds one button: a plain strip, as a QToolBar's docking
    // machinery costs the start 8 ms and gives nothing here.
    ToolBar1 = new QWidget(Panel_center_bottom);
    ToolBar1->setObjectName("ToolBar1");
    auto* bar = new QHBoxLayout(ToolBar1);
    bar->setContentsMargins(0, 0, 0, 0);
    ToolButton1 = new QToolButton(ToolBar1);
    ToolButton1->setObjectName("ToolButton1");
    ToolButton1->setFixedSize(32, 32);
    ToolButton1->setIcon(app_icon());
    ToolButton1->setIconSize(QSize(28, 28));
    ToolButton1->setAccessibleName("菜单");
    ToolButton1->setToolTip("菜单");
    ToolButton1->setAutoRaise(true);
    bar->addWidget(ToolButton1);
    row->addWidget(ToolBar1);
    row->addStretch(1);
    main_menu_ = new MainMenu(ToolButton1,
                              {[this] { N5Click(); }, [this] { N2Click(); }, [this] { N10Click(); },
                               [this] { N3Click(); }, [this] { N4Click(); }, [this] { N8Click(); },
                               [this] { N9Click(); }});

    announcements_ = new update::AnnouncementStrip(Panel_center_bottom, {Timer_ad, Timer_ad2},
                                                   *context_.platform, *context_.prompts,
                                                   docking_tip, Addresses{}.home_page);
    l_ad1 = announcements_->l_ad1;
    l_ad2 = announcements_->l_ad2;
}

StartResult TFRM_Date::FormCreate() {
    nosave_exit_ = 0;
    second_instance_ = 0;
    instance_lock_ = std::make_unique<sys::InstanceLock>(context_.instance_name);
    if (!instance_lock_->held()) {
        // The running copy comes out of its dock, so the user sees which
        // one runs, and the message comes up above it.
        send_command(PanelCommand::show);
        context_.prompts->inform(messages::already_running);
        nosave_exit_ = 1;
        second_instance_ = 1;
        return StartResult::second_instance;
    }
    early_open_ = std::make_unique<EarlyOpen>(context_.paths);
    build_window();
    initvar();
    load_holidays();
    start_remote_download();
    initapp_fromlocalset();
    if (nosave_exit_) {
        early_open_->abandon();
        early_open_.reset();
        return StartResult::failed;
    }
    initapp_fromremoteset();
    return open_container();
}

StartResult TFRM_Date::open_container() {
    const ContainerStart container =
        initapp_fromfx(context_.paths, *context_.prompts, early_open_.get());
    early_open_.reset();
    if (container != ContainerStart::opened) {
        nosave_exit_ = 1;
        return StartResult::failed;
    }
    Timer_apprun.start();
    load_bookmark_tree();
    clearoldver(context_.paths);
    month_view_->create_day_cells();
    start_date_ = context_.clock->now();
    return StartResult::running;
}

void TFRM_Date::initvar() {
    url_clip_list_.clear();
    tools_panel_->fill();
}

void TFRM_Date::initapp_fromlocalset() {
    local_ = read_local_settings(ini::IniDocument::load(context_.paths.local_settings()));
    apply_embedding();
    if (!create_vrx_temp(context_.paths, *context_.prompts) ||
        !create_vrx_sys_temp(context_.paths, true, *context_.prompts)) {
        nosave_exit_ = 1;
        return;
    }
    reminders_.start();
}

// Embedded in the desktop, the panel lives below every other window
// without a frame, and never docks.
void TFRM_Date::apply_embedding() {
    if (local_.todesktop != "1") return;
    docking_.never_dock();
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
}

// The file is read once, before the download may replace it: its address
// for the downloads lets the vendor move them, and its values take effect
// when the start reaches them.
void TFRM_Date::start_remote_download() {
    const std::string path = context_.paths.remote_settings();
    // Anything at the path counts: loading tells a FIFO or a device apart
    // (and ignores it, with a diagnostic line) without ever blocking on it.
    std::optional<ini::IniDocument> file;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        file = ini::IniDocument::load(path);
    }
    remote_ = read_remote_settings(file, Addresses{});
    std::string base = remote_.addresses.download_base;
    if (base.empty()) base = Addresses{}.download_base;
    update::DownloadJob job =
        update::make_download_job(base, vendor_site, context_.paths.program_dir);
    // The client module lives beside the program.
    job.module_folder = context_.paths.parts_dir();
    add_holiday_downloads(job);
    autoupdate_ = std::make_unique<update::TautoupdateThread>(std::move(job));
    // Loading the HTTP client's thirty-odd libraries holds the dynamic
    // loader for some 20 ms, which the start's own loading would wait for:
    // the worker starts once the window is up.
    QTimer::singleShot(download_delay_ms, this, [this] { autoupdate_->start(); });
}

void TFRM_Date::load_holidays() {
    holidays_.load(context_.paths.shipped_holidays(), context_.paths.renewed_holidays());
}

// The published files once a day, then the vendor's at every start; what
// each brings is shown as soon as it is stored.
void TFRM_Date::add_holiday_downloads(update::DownloadJob& job) {
    const calendar::Date today = calendar::date_of(context_.clock->now());
    auto plan = std::make_shared<update::HolidayDownload>();
    plan->url_template =
        update::holiday_url_setting(ini::IniDocument::load(context_.paths.local_settings()));
    plan->years = {today.year, today.year + 1};
    plan->renewed_path = holidays_.renewed_path();
    plan->today = calendar::dashed_date(today);
    plan->shipped = holidays_.shipped();
    plan->stored = [this] {
        QMetaObject::invokeMethod(
            this, [this] { holidays_renewed(); }, Qt::QueuedConnection);
    };
    if (holidays_.fetch_due(plan->today)) update::add_published_holidays(job, plan);
    update::add_vendor_holidays(job, plan);
}

void TFRM_Date::holidays_renewed() {
    holidays_.reload_renewed();
    if (selection_) selection_->redraw();
    if (status_icon_) status_icon_->refresh();
}

void TFRM_Date::start_status_icon() {
    status_icon_ = std::make_unique<StatusIcon>(
        *context_.clock, [this]() -> const calendar::HolidayTable& { return holidays_.in_force(); },
        StatusIconHandlers{[this] { run_command(PanelCommand::show); },
                           [this] { run_command(PanelCommand::toggle); },
                           [this] {
                               run_command(PanelCommand::show);
                               lb_todayClick();
                           },
                           [this] { N5Click(); }, [this] { N9Click(); }});
    status_icon_->start();
}

void TFRM_Date::initapp_fromremoteset() {
    announcements_->start(remote_.ad_lines, remote_.ad_interval_ms);
    update_available_ = remote_.update_available;
}

void TFRM_Date::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_once_) return;
    shown_once_ = true;
    FormShow();
}

void TFRM_Date::FormShow() {
    selection_->start(calendar::date_of(start_date_));
    setWindowOpacity((local_.form_blend & 0xFF) / 255.0);
    // The stored place is the client area's, as saved: restoring it as the
    // frame's would move the window by the frame's size at every start.
    // Without one, the frame goes to the screen's corner.
    if (local_.pos_top >= 0 && local_.pos_left >= 0) {
        setGeometry(local_.pos_left, local_.pos_top, width(), height());
        placement_.asked(Point{local_.pos_left, local_.pos_top});
    } else {
        docking_.move_to({0, 0});
    }
    setskinmenu();
    // The window manager takes state requests only for a mapped window.
    // The tip window is first needed minutes from now, and grabbing the
    // keys asks the X server a dozen times: both wait until the main
    // window is up.
    QTimer::singleShot(0, this, [this] {
        reghotkey();
        reminders_.create_tip_window();
        start_status_icon();
    });
    QTimer::singleShot(first_placement_settle_ms, this, [this] {
        keep_off_taskbar(this);
        placement_.settled({geometry().left(), geometry().top()});
        docking_.start_tracking();
    });
}

// The skin is kept in the settings; one Qt style paints every window, so
// there is no skin menu to tick.
void TFRM_Date::setskinmenu() {}

void TFRM_Date::closeEvent(QCloseEvent* event) {
    if (!close_despite_unsaved_plans()) {
        event->ignore();
        return;
    }
    doformclose();
    event->accept();
    QGuiApplication::quit();
}

// The plans are saved before the close sequence runs, so that a failure
// can still keep the window, and the plans on it, open.
bool TFRM_Date::close_despite_unsaved_plans() {
    if (close_done_ || second_instance_ || nosave_exit_) return true;
    ui::PendingEdit::keep_all(true);
    save_open_managers();
    const store::FxError saved = plan_page_->save_shown();
    if (saved == store::FxError::none) return true;
    const std::string question =
        store::day_not_saved_message(store::DayRecord::plans, daykey(), saved) +
        messages::unsaved_plans_question;
    if (!context_.prompts->ask_yes_no(question)) return false;
    close_save_reported_ = true;
    return true;
}

// A manager open at the end of the run has edits of its own shown day: they
// are saved first.
void TFRM_Date::save_open_managers() {
    if (auto* manager = findChild<plans::Tfrm_schedule_manage*>()) manager->save_before_exit();
    if (auto* manager = findChild<notes::Tfrm_note_manage*>()) manager->save_before_exit();
}

bool TFRM_Date::winexit() {
    doformclose();
    return true;
}

// Every step runs even when an earlier one failed: the container is always
// closed and the hotkeys always released.
void TFRM_Date::doformclose() {
    if (close_done_) return;
    close_done_ = true;
    if (second_instance_) return;
    ui::PendingEdit::keep_all(true);
    plan_page_->save_soon().cancel();
    if (!nosave_exit_) save_on_close();
    announcements_->stop();
    url_clip_list_.clear();
    if (bookmark_page_) bookmark_page_->stop_work();
    close_container();
    unreghotkey();
    Timer1.stop();
    Timer_formhide.stop();
}

// The event loop will not run again and no window can be shown, but the
// container is still open: what was typed is stored as an orderly close
// would store it, without the steps that need the display.
void TFRM_Date::save_after_display_lost() {
    if (close_done_ || second_instance_) return;
    close_done_ = true;
    ui::PendingEdit::keep_all(false);
    if (!nosave_exit_) save_on_close();
    if (bookmark_page_) bookmark_page_->stop_work();
    close_container();
}

void TFRM_Date::run_command(PanelCommand command) {
    const bool show_it = command == PanelCommand::show || (command == PanelCommand::toggle &&
                                                           (!isVisible() || docking_.slid_away()));
    if (command == PanelCommand::quit) {
        close();
    } else if (show_it) {
        show();
        raise();
        activateWindow();
        docking_.reveal();
    } else {
        hide();
    }
}

// A desktop that placed the window itself does not get its place stored
// over the user's (see placement.h).
WindowPlace TFRM_Date::place_to_save() const {
    const QRect client = geometry();
    const Point kept = placement_.to_save({client.left(), client.top()}, docking_.dragged());
    return {kept.y, kept.x, frameGeometry().height()};
}

void TFRM_Date::save_on_close() {
    save_open_managers();
    if (!save_local_settings(context_.paths.local_settings(), local_, place_to_save())) {
        context_.prompts->inform(unable_to_write(context_.paths.local_settings(), errno));
    }
    if (!close_save_reported_) plan_page_->save_before_leaving();
    create_vrx_temp(context_.paths, *context_.prompts);
    create_vrx_sys_temp(context_.paths, false, *context_.prompts);
}

void TFRM_Date::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TFRM_Date::FormResize() {
    if (width() != window_width || height() != window_height) {
        resize(window_width, window_height);
    }
}

void TFRM_Date::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    docking_.moved();
}

void TFRM_Date::paint_month(const calendar::Date& date) {
    month_view_->show(calendar::build_month(
        date, {store::DayStore::has_plan, store::DayStore::has_note, &holidays_.in_force()}));
}

void TFRM_Date::lb_todayClick() {
    selection_->go_to_today(calendar::date_of(context_.clock->now()));
}

// Once, shortly after the container opened.
void TFRM_Date::Timer_apprunTimer() {
    reminders_.Timer_apprunTimer(update_available_, remote_.addresses.update_page);
}

}  // namespace velmora::app
