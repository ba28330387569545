#include "app/DateWin.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QPushButton>

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>

#include "app/app_icon.h"
#include "app/window_hints.h"
#include "calendar/Udatehintmess.h"
#include "calendar/datehint.h"
#include "calendar/local_date.h"
#include "calendar/month_model.h"
#include "calendar/month_view.h"
#include "calendar/ufrm_datehint.h"
#include "notes/ufrm_note_manage.h"
#include "notes/ufrm_noteedit.h"
#include "plans/Utaskhintmess.h"
#include "plans/plan_grid_painter.h"
#include "plans/plan_list.h"
#include "plans/uTip.h"
#include "plans/ufrm_plan.h"
#include "plans/ufrm_schedule_manage.h"
#include "plans/utaskchange.h"
#include "store/kx_efs.h"
#include "sys/atomicfile.h"
#include "sys/inifile.h"
#include "sys/platform.h"
#include "sys/sysutil.h"
#include "sys/textcodec.h"
#include "ui/date_field.h"

namespace velmora::app {

namespace {

constexpr int window_width = 330;
constexpr int window_height = 560;
constexpr int calendar_height = 254;
constexpr int bottom_strip_height = 32;
constexpr int first_placement_settle_ms = 500;
const char* const docking_tip = "【提示】：本窗口贴近屏幕四周时会缩进隐藏！";

QWidget* white_panel(QWidget* parent, const char* name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    return panel;
}

}  // namespace

TFRM_Date::TFRM_Date(AppContext context)
    : context_(std::move(context)), day_store_(context_.paths.temp_work()) {
    setObjectName("FRM_Date");
    setWindowTitle("Velmora");
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFixedSize(window_width, window_height);
    setWindowIcon(app_icon());
    QFont font({"SimSun", "宋体", "WenQuanYi Micro Hei"});
    font.setPixelSize(12);
    setFont(font);
    build_regions();
    plans_save_soon_ = new ui::SaveSoon([this] { save_plans_soon(); }, this);

    Timer1.setInterval(10);
    Timer_formhide.setInterval(5);
    Timer_apprun.setInterval(2000);
    Timer_apprun.setSingleShot(true);
    Timer_eye.setInterval(60000);
    Timer_shutdown.setInterval(6000);
    Timer_ad2.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, &TFRM_Date::Timer1Timer);
    connect(&Timer_formhide, &QTimer::timeout, this, &TFRM_Date::Timer_formhideTimer);
    connect(&Timer_apprun, &QTimer::timeout, this, &TFRM_Date::Timer_apprunTimer);
    connect(&Timer_taskhint, &QTimer::timeout, this, &TFRM_Date::Timer_taskhintTimer);
    connect(&Timer_eye, &QTimer::timeout, this, &TFRM_Date::Timer_eyeTimer);
    connect(&Timer_shutdown, &QTimer::timeout, this, &TFRM_Date::Timer_shutdownTimer);
}

TFRM_Date::~TFRM_Date() {
    delete frm_tip;
}

void TFRM_Date::build_regions() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    Panel_center = white_panel(this, "Panel_center");
    outer->addWidget(Panel_center);
    auto* column = new QVBoxLayout(Panel_center);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = white_panel(Panel_center, "Panel1");
    Panel1->setFixedHeight(calendar_height);
    column->addWidget(Panel1);
    // The hidden line buffer of the plan records sits behind the calendar.
    Memo_plan_temp = new QPlainTextEdit(Panel1);
    Memo_plan_temp->setObjectName("Memo_plan_temp");
    Memo_plan_temp->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_plan_temp->hide();

    RzPageControl_date = new QTabWidget(Panel_center);
    RzPageControl_date->setObjectName("RzPageControl_date");
    RzPageControl_date->setDocumentMode(true);
    RzPageControl_date->setStyleSheet(
        "QTabWidget#RzPageControl_date::pane { border-top: 1px solid #c8c8a0; }"
        "QTabBar { background: rgb(255, 255, 202); }"
        "QTabBar::tab { background: rgb(255, 255, 202); padding: 4px 10px;"
        " border: 1px solid #c8c8a0; border-bottom: none; margin-right: -1px; }"
        "QTabBar::tab:selected { background: white; }");
    for (auto [page, name, caption] : {std::tuple{&TabSheet5, "TabSheet5", "计划任务"},
                                       {&TabSheet6, "TabSheet6", "记事便笺"},
                                       {&TabSheet3, "TabSheet3", "辅助工具"},
                                       {&TabSheet4, "TabSheet4", "网址书签"}}) {
        *page = white_panel(RzPageControl_date, name);
        RzPageControl_date->addTab(*page, QString::fromUtf8(caption));
    }
    RzPageControl_date->setCurrentIndex(0);
    build_day_pages();
    ListView_tool = new QListWidget(TabSheet3);
    ListView_tool->setObjectName("ListView_tool");
    ListView_tool->setFrameShape(QFrame::NoFrame);
    auto* tools_page = new QVBoxLayout(TabSheet3);
    tools_page->setContentsMargins(4, 4, 4, 4);
    tools_page->addWidget(ListView_tool);
    connect(ListView_tool, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ListView_toolDblClick(ListView_tool->row(item)); });
    column->addWidget(RzPageControl_date, 1);
    build_bottom_strip();
    column->addWidget(Panel_center_bottom);
}

void TFRM_Date::build_bottom_strip() {
    Panel_center_bottom = white_panel(Panel_center, "Panel_center_bottom");
    Panel_center_bottom->setFixedHeight(bottom_strip_height);
    auto* row = new QHBoxLayout(Panel_center_bottom);
    row->setContentsMargins(0, 0, 4, 0);
    row->setSpacing(4);

    ToolBar1 = new QToolBar(Panel_center_bottom);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setIconSize(QSize(28, 28));
    ToolButton1 = new QToolButton(ToolBar1);
    ToolButton1->setObjectName("ToolButton1");
    ToolButton1->setFixedSize(32, 32);
    ToolButton1->setIcon(app_icon());
    ToolButton1->setIconSize(QSize(28, 28));
    ToolButton1->setAccessibleName("菜单");
    ToolButton1->setToolTip("菜单");
    ToolBar1->addWidget(ToolButton1);
    row->addWidget(ToolBar1);

    l_ad1 = new QLabel(QString::fromUtf8(docking_tip), Panel_center_bottom);
    l_ad1->setObjectName("l_ad1");
    l_ad1->setStyleSheet("color: grey;");
    l_ad2 = new QLabel(Panel_center_bottom);
    l_ad2->setObjectName("l_ad2");
    l_ad2->hide();
    row->addWidget(l_ad1, 1);
    row->addWidget(l_ad2, 1);
}

StartResult TFRM_Date::FormCreate() {
    nosave_exit_ = 0;
    second_instance_ = 0;
    instance_lock_ = std::make_unique<sys::InstanceLock>(context_.instance_name);
    if (!instance_lock_->held()) {
        context_.prompts->inform(messages::already_running);
        nosave_exit_ = 1;
        second_instance_ = 1;
        return StartResult::second_instance;
    }
    initvar();
    start_remote_download();
    initapp_fromlocalset();
    if (nosave_exit_) return StartResult::failed;
    initapp_fromremoteset();
    const ContainerStart container = initapp_fromfx(context_.paths, *context_.prompts);
    if (container != ContainerStart::opened) {
        nosave_exit_ = 1;
        return StartResult::failed;
    }
    Timer_apprun.start();
    load_bookmark_tree();
    clearoldver(context_.paths);
    month_view->create_day_cells();
    frm_tip = new plans::Tfrm_tip();
    start_date_ = context_.clock->now();
    return StartResult::running;
}

void TFRM_Date::initvar() {
    hidden_windows_.clear();
    url_clip_list_.clear();
    ListView_tool->clear();
    for (const char* tool : {"热键管理", "护眼提醒", "定时关机", "纪念日提醒", "屏幕截图",
                             "文件夹加锁", "在线词典", "分类搜索"}) {
        ListView_tool->addItem(QString::fromUtf8(tool));
    }
}

void TFRM_Date::initapp_fromlocalset() {
    local_ = read_local_settings(ini::IniDocument::load(context_.paths.local_settings()));
    apply_embedding();
    Timer_shutdown.stop();
    if (local_.shutdown_use == "1" &&
        local_.shutdown_date == plans::date_key(context_.clock->now())) {
        Timer_shutdown.start();
    }
    if (!create_vrx_temp(context_.paths, *context_.prompts) ||
        !create_vrx_sys_temp(context_.paths, true, *context_.prompts)) {
        nosave_exit_ = 1;
        return;
    }
    prepare_plan_grid();
    reghotkey();
    if (local_.eyehint_use == "1") Timer_eye.start();
    Timer_taskhint.stop();
    if (local_.taskhint_use == "1" && local_.taskhint_time > 0) {
        // A hand-edited number of hours must not overflow the timer's interval.
        const long long interval = std::min<long long>(local_.taskhint_time * 3600000LL, INT_MAX);
        Timer_taskhint.setInterval(static_cast<int>(interval));
        Timer_taskhint.start();
    }
}

// Embedded in the desktop, the panel lives below every other window
// without a frame, and never docks.
void TFRM_Date::apply_embedding() {
    if (local_.todesktop != "1") return;
    embedded_ = true;
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
}

void TFRM_Date::initapp_fromremoteset() {
    const std::string path = context_.paths.remote_settings();
    // Anything at the path counts: loading tells a FIFO or a device apart
    // (and ignores it, with a diagnostic line) without ever blocking on it.
    std::optional<ini::IniDocument> file;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        file = ini::IniDocument::load(path);
    }
    remote_ = read_remote_settings(file, Addresses{});
    Timer_ad.setInterval(remote_.ad_interval_ms);
    ad_lines_ = remote_.ad_lines;
    update_available_ = remote_.update_available;
    if (!ad_lines_.empty()) {
        ad_index_ = 0;
        if (remote_.ad_interval_ms > 0) Timer_ad.start();
    }
}

void TFRM_Date::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_once_) return;
    shown_once_ = true;
    FormShow();
}

void TFRM_Date::FormShow() {
    show_start_day();
    setWindowOpacity((local_.form_blend & 0xFF) / 255.0);
    // The stored place is the client area's, as saved: restoring it as the
    // frame's would move the window by the frame's size at every start.
    // Without one, the frame goes to the screen's corner.
    if (local_.pos_top >= 0 && local_.pos_left >= 0) {
        setGeometry(local_.pos_left, local_.pos_top, width(), height());
    } else {
        move_to({0, 0});
    }
    setskinmenu();
    // The window manager takes state requests only for a mapped window.
    QTimer::singleShot(first_placement_settle_ms, this, [this] {
        keep_off_taskbar(this);
        drags_tracked_ = true;
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
    save_open_managers();
    const store::FxError saved = save_shown_plans();
    if (saved == store::FxError::none) return true;
    const std::string question =
        store::day_not_saved_message(store::DayRecord::plans, selection_.daykey(), saved) +
        messages::unsaved_plans_question;
    if (!context_.prompts->ask_yes_no(question)) return false;
    close_save_reported_ = true;
    return true;
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
    plans_save_soon_->cancel();
    if (!nosave_exit_) {
        save_open_managers();
        const QRect client = geometry();
        const WindowPlace place{client.top(), client.left(), frameGeometry().height()};
        if (!save_local_settings(context_.paths.local_settings(), local_, place)) {
            context_.prompts->inform(unable_to_write(context_.paths.local_settings(), errno));
        }
        if (!close_save_reported_) savedata2fx_schedule();
        create_vrx_temp(context_.paths, *context_.prompts);
        create_vrx_sys_temp(context_.paths, false, *context_.prompts);
    }
    ad_lines_.clear();
    hidden_windows_.clear();
    url_clip_list_.clear();
    FX_Closefx(1);
    unreghotkey();
    Timer1.stop();
    Timer_formhide.stop();
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

// --- The day pages, the month view and the day records -------------------

void TFRM_Date::build_day_pages() {
    month_view = new calendar::MonthView(Panel1);
    connect(month_view, &calendar::MonthView::dayPressed, this, &TFRM_Date::CnDayMouseDown);
    connect(month_view, &calendar::MonthView::todayClicked, this, &TFRM_Date::lb_todayClick);
    connect(month_view, &calendar::MonthView::previousMonth, this, &TFRM_Date::sb_date_leftClick);
    connect(month_view, &calendar::MonthView::nextMonth, this, &TFRM_Date::sb_date_rightClick);
    connect(month_view, &calendar::MonthView::monthChosen, this, &TFRM_Date::MenuMonth_1Click);
    connect(month_view, &calendar::MonthView::yearChosen, this, &TFRM_Date::MenuYear_Click);

    build_plan_page();

    build_note_page();
}

void TFRM_Date::build_plan_page() {
    const QColor cream(255, 255, 202);
    const plans::PlanTable grid = plans::make_plan_table(TabSheet5, "sg_mon_log", 45, cream, cream);
    sg_mon_log = grid.table;
    plan_painter_ = grid.painter;
    sg_mon_log->setFrameShape(QFrame::NoFrame);
    sg_mon_log->setToolTip("双击改变任务状态");
    connect(sg_mon_log, &QTableWidget::cellDoubleClicked, this, &TFRM_Date::sg_mon_logDblClick);
    connect(sg_mon_log, &QTableWidget::currentCellChanged, this,
            [this](int row) { sg_mon_logSelectCell(row + 1); });

    auto* page = new QVBoxLayout(TabSheet5);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(3);
    plans_unavailable_ = new QLabel(TabSheet5);
    plans_unavailable_->setObjectName("plans_unavailable");
    plans_unavailable_->setWordWrap(true);
    plans_unavailable_->setStyleSheet("color: red;");
    plans_unavailable_->hide();
    page->addWidget(plans_unavailable_);
    page->addWidget(sg_mon_log);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    auto button = [&](QPushButton*& member, const char* name, const char* text,
                      void (TFRM_Date::*handler)()) {
        member = new QPushButton(QString::fromUtf8(text), TabSheet5);
        member->setObjectName(name);
        member->setFixedSize(45, 25);
        connect(member, &QPushButton::clicked, this, handler);
        buttons->addWidget(member);
    };
    button(bt_plan_add, "bt_plan_add", "添加", &TFRM_Date::bt_plan_addClick);
    button(bt_plan_del, "bt_plan_del", "删除", &TFRM_Date::bt_plan_delClick);
    button(bt_plan_edit, "bt_plan_edit", "编辑", &TFRM_Date::bt_plan_editClick);
    button(Button7, "Button7", "提醒", &TFRM_Date::Button7Click);
    button(Button8, "Button8", "管理", &TFRM_Date::Button8Click);
    button(Button2, "Button2", "变更", &TFRM_Date::Button2Click);
    buttons->addStretch();
    page->addLayout(buttons);
}

void TFRM_Date::build_note_page() {
    Memo_note = new QPlainTextEdit(TabSheet6);
    Memo_note->setObjectName("Memo_note");
    Memo_note->setReadOnly(true);
    Memo_note->setStyleSheet("color: blue;");
    Memo_note->setToolTip("双击编辑");
    Memo_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_note->viewport()->installEventFilter(this);
    auto* page = new QVBoxLayout(TabSheet6);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSpacing(3);
    page->addWidget(Memo_note);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("编辑(&E)", TabSheet6);
    Button9 = new QPushButton("管理", TabSheet6);
    for (QPushButton* button : {Button1, Button9}) {
        button->setFixedSize(60, 25);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    page->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TFRM_Date::Memo_noteDblClick);
    connect(Button9, &QPushButton::clicked, this, &TFRM_Date::Button9Click);
}

bool TFRM_Date::eventFilter(QObject* watched, QEvent* event) {
    if (Memo_note && watched == Memo_note->viewport() &&
        event->type() == QEvent::MouseButtonDblClick) {
        Memo_noteDblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFRM_Date::Memo_noteDblClick() {
    if (!Button1->isEnabled()) return;  // the stored note could not be read
    const calendar::Date day = selection_.selected();
    const QString date_text = QString::fromStdString(calendar::dashed_date(day));
    QString text = Memo_note->toPlainText();
    const auto font = [this] {
        return notes::NoteFont{local_.note_fontname, local_.note_fontcolor, local_.note_fontsize};
    };
    // A note that could not be saved goes back into the editor, so what was
    // typed is never lost to a full disk.
    do {
        if (notes::noteedit_show(this, date_text, "Velmora备忘录", text, font,
                                 [this] { open_options_dialog(5); }) != 1) {
            return;
        }
    } while (!savedata2fx_note(text.toStdString()));
    Memo_note->setPlainText(text);
}

void TFRM_Date::Button9Click() {
    notes::note_manage_show(this, day_store_, *context_.prompts,
                            [this](const std::string& note, const std::string& key) {
                                const store::FxError saved =
                                    day_store_.savedata2fx_note2(note, key);
                                redraw_month();
                                return saved;
                            });
    redraw_month();
    load_note();
}

void TFRM_Date::prepare_plan_grid() {
    plan_grid_.clear();
    show_plan_grid();
}

// The grid's header row is the table's header; task rows follow it.
void TFRM_Date::show_plan_grid() {
    const store::PlanGrid::Row& header = plan_grid_.row(0);
    sg_mon_log->setHorizontalHeaderLabels({QString::fromStdString(header[0]),
                                           QString::fromStdString(header[1]),
                                           QString::fromStdString(header[2])});
    sg_mon_log->setRowCount(plan_grid_.row_count() - 1);
    for (int row = 1; row < plan_grid_.row_count(); ++row) {
        for (int column = 0; column < 3; ++column) {
            const std::string& text = plan_grid_.row(row)[static_cast<std::size_t>(column)];
            sg_mon_log->setItem(row - 1, column,
                                new QTableWidgetItem(QString::fromStdString(text)));
        }
    }
}

// --- Anniversaries -------------------------------------------------------

// Once, shortly after the container opened: the new-version line joins the
// announcements, and every anniversary due today gets its popup.
void TFRM_Date::Timer_apprunTimer() {
    Timer_apprun.stop();
    const sys::LocalTime now = context_.clock->now();
    const calendar::StartupAnnouncements due =
        calendar::startup_check(context_.paths.temp_work(), calendar::date_of(now),
                                update_available_, remote_.addresses.update_page);
    if (due.ad_line) ad_lines_.push_back(*due.ad_line);
    for (const std::string& text : due.popups) calendar::datehintmess_show(text);
}

void TFRM_Date::ListView_toolDblClick(int item) {
    constexpr int anniversaries = 3;  // "纪念日提醒"
    if (item == anniversaries) {
        calendar::datehint_show(this, *context_.prompts, context_.paths.temp_work(),
                                *context_.clock);
    }
}

// --- Reminders and timed actions -----------------------------------------

// Today's tasks: the grid when it shows today (unsaved edits count), else
// today's stored record, whatever day the grid shows.
void TFRM_Date::taskcheck() {
    const std::string today = plans::date_key(context_.clock->now());
    if (today == selection_.daykey()) {
        task_counts_ = plans::count_tasks(plan_grid_);
        return;
    }
    store::PlanGrid stored;
    day_store_.load_schedule(stored, today);  // unreadable: no tasks to remind of
    task_counts_ = plans::count_tasks(stored);
}

void TFRM_Date::Timer_taskhintTimer() {
    taskcheck();
    const std::optional<std::string> text = task_reminder_.tick(task_counts_);
    if (!text) return;
    auto* popup = plans::Tfrm_taskhintmess::showtaskhint(QString::fromStdString(*text));
    connect(popup, &plans::Tfrm_taskhintmess::closed, this,
            [this] { task_reminder_.popup_closed(); });
}

void TFRM_Date::Timer_eyeTimer() {
    if (eye_care_.tick(local_.eyehint_time)) frm_tip->showtip();
}

void TFRM_Date::Timer_shutdownTimer() {
    Timer_shutdown.stop();
    const sys::LocalTime now = context_.clock->now();
    switch (plans::shutdown_tick(local_.shutdown_use, local_.shutdown_date, local_.shutdown_time,
                                 now)) {
        case plans::ShutdownStep::stop: break;
        case plans::ShutdownStep::wait: Timer_shutdown.start(); break;
        case plans::ShutdownStep::fire:
            plans::fire_shutdown(
                local_.shutdown_use, local_.shutdown_date, [this] { close(); },
                sys::native_platform());
            break;
    }
}

// --- The plan page ---------------------------------------------------------

int TFRM_Date::current_plan_row() const {
    const int row = sg_mon_log->currentRow();
    return row >= 0 ? row + 1 : plan_row_;
}

void TFRM_Date::plan_changed(bool changed) {
    if (!changed) return;
    day_store_.plan_dirty = true;
    show_plan_grid();
    plans_save_soon_->changed();
}

// Within two seconds of a change, through the same save as a day change;
// a failure is told once and then again only after a save has succeeded.
void TFRM_Date::save_plans_soon() {
    const store::FxError saved = save_shown_plans();
    if (saved != store::FxError::none && !plans_save_soon_failed_) {
        context_.prompts->inform(
            store::day_not_saved_message(store::DayRecord::plans, selection_.daykey(), saved));
    }
    plans_save_soon_failed_ = saved != store::FxError::none;
}

// A manager open at the end of the run has edits of its own shown day: they
// are saved first, before its shared flag could send them to the wrong day.
void TFRM_Date::save_open_managers() {
    if (auto* manager = findChild<plans::Tfrm_schedule_manage*>()) manager->save_before_exit();
    if (auto* manager = findChild<notes::Tfrm_note_manage*>()) manager->save_before_exit();
}

void TFRM_Date::bt_plan_addClick() {
    plan_changed(plans::add_task(plan_grid_, plans::editplan(this, *context_.prompts, "")));
}

void TFRM_Date::bt_plan_delClick() {
    plan_changed(plans::delete_task(plan_grid_, current_plan_row()));
}

void TFRM_Date::bt_plan_editClick() {
    const int row = current_plan_row();
    if (row < 1 || row >= plan_grid_.row_count() || plan_grid_.row(row)[0].empty()) return;
    const std::string plan = plans::encode_plan_string(plan_grid_.row(row));
    plan_changed(plans::edit_task(plan_grid_, row, plans::editplan(this, *context_.prompts, plan)));
}

void TFRM_Date::sg_mon_logDblClick() {
    plan_changed(plans::toggle_task(plan_grid_, current_plan_row()));
}

void TFRM_Date::sg_mon_logSelectCell(int row) {
    plan_row_ = row;
    plan_painter_->set_marked_row(row - 1);
    sg_mon_log->viewport()->update();
}

// The target day's record is written at once; the source day keeps its
// unsaved removal until the grid is next saved.
void TFRM_Date::Button2Click() {
    const int row = current_plan_row();
    const std::string refusal = plans::move_refusal(plan_grid_, row);
    if (refusal == "-") return;
    if (!refusal.empty()) {
        context_.prompts->inform(refusal);
        return;
    }
    const sys::LocalTime now = context_.clock->now();
    plans::Tfrm_taskchange dialog(this, calendar::date_of(now));
    dialog.exec();
    if (!dialog.confirmed) return;
    const std::string target = dialog.target_key();
    if (target == selection_.daykey()) {
        context_.prompts->inform(plans::plan_messages::same_day);
        return;
    }
    store::PlanGrid::Row task = plan_grid_.row(row);
    task[2] = plans::moved_task_text(task[2], dialog.cb_changebz->isChecked());
    const store::FxError moved = plans::append_to_day(day_store_, target, task);
    if (moved != store::FxError::none) {
        context_.prompts->inform(plans::task_not_moved_message(target, moved));
        return;
    }
    const QDate moved_to = dialog.RzDateTimePicker1->date();
    selection_.show_month_only({moved_to.year(), moved_to.month(), moved_to.day()});
    if (dialog.cb_del->isChecked()) plan_changed(plans::delete_task(plan_grid_, row));
}

void TFRM_Date::run_plan_manager() {
    // The flag of unsaved plans is shared with the manager: a save of the
    // page's grid must not fire while the manager's edits set it.
    plans_save_soon_->cancel();
    plans::schedule_manage_show(
        this, day_store_, *context_.prompts,
        [this](const store::PlanGrid& grid, const std::string& key) {
            if (!day_store_.plan_dirty) return store::FxError::none;
            const store::FxError saved = day_store_.savedata2fx_schedule2(grid, key);
            redraw_month();
            return saved;
        },
        manage_daykey_);
}

void TFRM_Date::Button8Click() {
    if (!savedata2fx_schedule()) return;
    run_plan_manager();
    redraw_month();
    load_schedule();
}

// Shows a month without moving the selection; the day selection keeps it
// as the month on screen.
void TFRM_Date::show_month(const calendar::Date& date) {
    selection_.show_month_only(date);
}

void TFRM_Date::paint_month(const calendar::Date& date) {
    const calendar::MonthModel model = calendar::build_month(
        date, [](const std::string& name) { return FX_Directory_Changenodenametoindex(name) > 0; });
    month_view->show(model);
}

void TFRM_Date::redraw_month() {
    selection_.redraw();
}

void TFRM_Date::load_schedule() {
    const store::FxError read = day_store_.load_schedule(plan_grid_, selection_.daykey());
    // The buffer holds the record's stored bytes; the memo holds its text.
    Memo_plan_temp->setPlainText(
        QString::fromStdString(text::from_gb18030(day_store_.line_buffer())));
    show_plan_grid();
    show_plans_unavailable(read);
}

void TFRM_Date::load_note() {
    std::string note;
    const store::FxError read = day_store_.load_note(selection_.daykey(), note);
    Memo_note->setPlainText(QString::fromStdString(note));
    show_note_unavailable(read);
}

// Why the shown day's record cannot be read; empty when it was read.
QString TFRM_Date::unreadable_text(store::DayRecord record, store::FxError error) const {
    if (error == store::FxError::none) return {};
    return QString::fromStdString(
        store::day_unreadable_message(record, selection_.daykey(), error));
}

// An unreadable day takes no edits: a save would replace the stored record
// with what little the page shows.
void TFRM_Date::show_plans_unavailable(store::FxError error) {
    const bool readable = error == store::FxError::none;
    plans_unavailable_->setText(unreadable_text(store::DayRecord::plans, error));
    plans_unavailable_->setVisible(!readable);
    for (QWidget* control : {static_cast<QWidget*>(sg_mon_log), static_cast<QWidget*>(bt_plan_add),
                             static_cast<QWidget*>(bt_plan_del),
                             static_cast<QWidget*>(bt_plan_edit), static_cast<QWidget*>(Button2)}) {
        control->setEnabled(readable);
    }
}

void TFRM_Date::show_note_unavailable(store::FxError error) {
    Memo_note->setPlaceholderText(unreadable_text(store::DayRecord::note, error));
    Button1->setEnabled(error == store::FxError::none);
}

// Saves the shown plans of `daykey` only when they changed, then redraws
// the month so its marks match the store.
store::FxError TFRM_Date::save_shown_plans() {
    if (!day_store_.plan_dirty) return store::FxError::none;
    const store::FxError saved = day_store_.savedata2fx_schedule2(plan_grid_, selection_.daykey());
    redraw_month();
    return saved;
}

bool TFRM_Date::savedata2fx_schedule() {
    const store::FxError saved = save_shown_plans();
    if (saved == store::FxError::none) return true;
    context_.prompts->inform(
        store::day_not_saved_message(store::DayRecord::plans, selection_.daykey(), saved));
    return false;
}

bool TFRM_Date::savedata2fx_note(const std::string& note) {
    const store::FxError saved = day_store_.savedata2fx_note2(note, selection_.daykey());
    redraw_month();
    if (saved == store::FxError::none) return true;
    context_.prompts->inform(
        store::day_not_saved_message(store::DayRecord::note, selection_.daykey(), saved));
    return false;
}

void TFRM_Date::show_start_day() {
    selection_.start(calendar::date_of(start_date_));
}

void TFRM_Date::CnDayMouseDown(int day) {
    selection_.click_day(day);
}

void TFRM_Date::lb_todayClick() {
    const sys::LocalTime now = context_.clock->now();
    selection_.go_to_today(calendar::date_of(now));
}

void TFRM_Date::sb_date_leftClick() {
    selection_.step_month(-1);
}

void TFRM_Date::sb_date_rightClick() {
    selection_.step_month(1);
}

void TFRM_Date::MenuMonth_1Click(int month) {
    selection_.choose_month(month);
}

void TFRM_Date::MenuYear_Click(int year) {
    selection_.choose_year(year);
}

// --- Docking ------------------------------------------------------------

Size TFRM_Date::screen_size() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize(1024, 768);
    return {size.width(), size.height()};
}

void TFRM_Date::move_to(Point position) {
    placed_at_[placed_next_] = position;
    placed_next_ = (placed_next_ + 1) % placed_at_.size();
    move(position.x, position.y);
}

bool TFRM_Date::placed_by_program(Point position) const {
    return std::find(placed_at_.begin(), placed_at_.end(), position) != placed_at_.end();
}

// Any other move, once the window has settled at its first place, is the
// user dragging it: the nearest thing X11 has to a drag notification.
void TFRM_Date::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    const QRect frame = frameGeometry();
    const Point position{frame.left(), frame.top()};
    if (embedded_ || !drags_tracked_ || Timer_formhide.isActive()) return;
    if (placed_by_program(position)) return;
    formmoving({frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1});
}

void TFRM_Date::formmoving(Rect proposed) {
    const QSize frame = frameGeometry().size();
    const Size window{frame.width(), frame.height()};
    const Rect clamped = clamp_drag(proposed, window, screen_size());
    if (clamped.left != proposed.left || clamped.top != proposed.top) {
        move_to({clamped.left, clamped.top});
    }
    dock_edges_ = docked_edges(clamped, screen_size());
    if (dock_edges_ != 0) {
        Timer1.start();
    } else {
        Timer1.stop();
    }
}

// Runs every 10 ms while docked: a cursor query and a few comparisons. A
// slide that would end where the window already is starts no timer, so the
// steady state allocates nothing.
void TFRM_Date::Timer1Timer() {
    if (Timer_formhide.isActive()) return;  // a slide runs to its end first
    const QRect frame = frameGeometry();
    const Point position{frame.left(), frame.top()};
    const Size window{frame.width(), frame.height()};
    const QPoint cursor = QCursor::pos();
    // A held button is a drag or a click in progress: the window stays.
    const bool held = QGuiApplication::mouseButtons() != Qt::NoButton;
    const bool inside =
        held || underMouse() || cursor_inside({cursor.x(), cursor.y()}, position, window);
    const SlideMode mode = watch_slide(dock_edges_, inside);
    if (mode == no_slide) return;
    const SlideStep first = slide_tick(mode, position, window, screen_size());
    if (first.finished && first.position == position) return;
    formhide(mode);
}

void TFRM_Date::formhide(SlideMode mode) {
    dock_mode_ = mode;
    if (!Timer_formhide.isActive()) Timer_formhide.start();
}

void TFRM_Date::Timer_formhideTimer() {
    const QRect frame = frameGeometry();
    const SlideStep step = slide_tick(dock_mode_, {frame.left(), frame.top()},
                                      {frame.width(), frame.height()}, screen_size());
    move_to(step.position);
    if (step.finished) Timer_formhide.stop();
}

}  // namespace velmora::app
