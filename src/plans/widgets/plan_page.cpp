#include "plans/widgets/plan_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "calendar/local_date.h"
#include "plans/plan_list.h"
#include "plans/widgets/plan_grid_painter.h"
#include "plans/widgets/ufrm_plan.h"
#include "plans/widgets/ufrm_schedule_manage.h"
#include "plans/widgets/utaskchange.h"
#include "sys/textcodec.h"
#include "ui/date_field.h"
#include "ui/theme.h"

namespace velmora::plans {

PlanPage::PlanPage(QWidget* page, ui::LineBuffer* line_buffer, store::DayStore& days,
                   sys::Prompts& prompts, const sys::Clock& clock, Links links)
    : QObject(page),
      line_buffer_(line_buffer),
      days_(days),
      prompts_(prompts),
      clock_(clock),
      links_(std::move(links)) {
    const PlanTable table =
        make_plan_table(page, "sg_mon_log", 45, ui::theme::cream, ui::theme::cream);
    sg_mon_log = table.table;
    painter_ = table.painter;
    sg_mon_log->setFrameShape(QFrame::NoFrame);
    sg_mon_log->setToolTip("双击改变任务状态");
    connect(sg_mon_log, &QTableWidget::cellDoubleClicked, this, &PlanPage::sg_mon_logDblClick);
    connect(sg_mon_log, &QTableWidget::currentCellChanged, this,
            [this](int row) { sg_mon_logSelectCell(row + 1); });

    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(3);
    unavailable_ = new QLabel(page);
    unavailable_->setObjectName("plans_unavailable");
    unavailable_->setWordWrap(true);
    unavailable_->setStyleSheet(ui::theme::warning_style);
    unavailable_->hide();
    column->addWidget(unavailable_);
    column->addWidget(sg_mon_log);
    build_buttons(page, column);
    save_soon_ = new ui::SaveSoon([this] { save_soon_elapsed(); }, this);
    show_grid();
}

void PlanPage::build_buttons(QWidget* page, QVBoxLayout* column) {
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    auto button = [&](QPushButton*& member, const char* name, const char* text,
                      void (PlanPage::*handler)()) {
        member = new QPushButton(QString::fromUtf8(text), page);
        member->setObjectName(name);
        member->setFixedSize(45, 25);
        connect(member, &QPushButton::clicked, this, handler);
        buttons->addWidget(member);
    };
    button(bt_plan_add, "bt_plan_add", "添加", &PlanPage::bt_plan_addClick);
    button(bt_plan_del, "bt_plan_del", "删除", &PlanPage::bt_plan_delClick);
    button(bt_plan_edit, "bt_plan_edit", "编辑", &PlanPage::bt_plan_editClick);
    button(Button7, "Button7", "提醒", &PlanPage::Button7Click);
    button(Button8, "Button8", "管理", &PlanPage::Button8Click);
    button(Button2, "Button2", "变更", &PlanPage::Button2Click);
    buttons->addStretch();
    column->addLayout(buttons);
}

// Task rows follow the table's own header.
void PlanPage::show_grid() {
    fill_plan_table(sg_mon_log, grid_);
}

void PlanPage::load(const std::string& daykey) {
    daykey_ = daykey;
    const store::FxError read = days_.load_schedule(grid_, daykey_);
    // The buffer holds the record's stored bytes; the memo holds its text.
    line_buffer_->setPlainText(QString::fromStdString(text::from_gb18030(days_.line_buffer())));
    show_grid();
    show_unavailable(read);
}

// An unreadable day takes no edits: a save would replace the stored record
// with what little the page shows.
void PlanPage::show_unavailable(store::FxError error) {
    const bool readable = error == store::FxError::none;
    unavailable_->setText(readable ? QString()
                                   : QString::fromStdString(store::day_unreadable_message(
                                         store::DayRecord::plans, daykey_, error)));
    unavailable_->setVisible(!readable);
    for (QWidget* control : std::initializer_list<QWidget*>{sg_mon_log, bt_plan_add, bt_plan_del,
                                                            bt_plan_edit, Button2}) {
        control->setEnabled(readable);
    }
}

store::FxError PlanPage::save_shown() {
    if (!dirty_) return store::FxError::none;
    const store::FxError saved = days_.savedata2fx_schedule2(grid_, daykey_);
    if (saved == store::FxError::none) dirty_ = false;
    // The caller tells the failure; a countdown left running would tell it
    // again from inside that message's box.
    if (saved != store::FxError::none) save_soon_->cancel();
    links_.redraw_month();
    return saved;
}

bool PlanPage::save_before_leaving() {
    const store::FxError saved = save_shown();
    if (saved == store::FxError::none) return true;
    prompts_.inform(store::day_not_saved_message(store::DayRecord::plans, daykey_, saved));
    return false;
}

// Within two seconds of a change, through the same save as a day change.
void PlanPage::save_soon_elapsed() {
    save_soon_notice_.after_save(save_shown(), daykey_, prompts_);
}

TaskCounts PlanPage::tasks_of(const std::string& key) {
    if (key == daykey_) return count_tasks(grid_);
    store::PlanGrid stored;
    days_.load_schedule(stored, key);
    return count_tasks(stored);
}

int PlanPage::current_row() const {
    const int row = sg_mon_log->currentRow();
    return row >= 0 ? row + 1 : plan_row_;
}

void PlanPage::changed(bool grid_changed) {
    if (!grid_changed) return;
    dirty_ = true;
    show_grid();
    save_soon_->changed();
}

void PlanPage::bt_plan_addClick() {
    const auto keep = [this](const std::string& typed) { changed(add_task(grid_, typed)); };
    changed(add_task(grid_, editplan(sg_mon_log, prompts_, "", keep)));
}

void PlanPage::bt_plan_delClick() {
    changed(delete_task(grid_, current_row()));
}

void PlanPage::bt_plan_editClick() {
    const int row = current_row();
    if (row < 1 || row >= grid_.row_count() || grid_.row(row)[0].empty()) return;
    const std::string plan = encode_plan_string(grid_.row(row));
    const auto keep = [this, row](const std::string& typed) {
        changed(edit_task(grid_, row, typed));
    };
    changed(edit_task(grid_, row, editplan(sg_mon_log, prompts_, plan, keep)));
}

void PlanPage::sg_mon_logDblClick() {
    changed(toggle_task(grid_, current_row()));
}

void PlanPage::sg_mon_logSelectCell(int row) {
    plan_row_ = row;
    painter_->set_marked_row(row - 1);
    sg_mon_log->viewport()->update();
}

// The target day's record is written at once; the source day keeps its
// unsaved removal until the grid is next saved.
void PlanPage::Button2Click() {
    const int row = current_row();
    const std::string refusal = move_refusal(grid_, row);
    if (refusal == "-") return;
    if (!refusal.empty()) {
        prompts_.inform(refusal);
        return;
    }
    Tfrm_taskchange dialog(sg_mon_log, calendar::date_of(clock_.now()));
    dialog.exec();
    if (!dialog.confirmed) return;
    const std::string target = dialog.target_key();
    if (target == daykey_) {
        prompts_.inform(plan_messages::same_day);
        return;
    }
    store::PlanGrid::Row task = grid_.row(row);
    task[2] = moved_task_text(task[2], dialog.cb_changebz->isChecked());
    const store::FxError moved = append_to_day(days_, target, task);
    if (moved != store::FxError::none) {
        prompts_.inform(task_not_moved_message(target, moved));
        return;
    }
    const QDate moved_to = dialog.RzDateTimePicker1->date();
    links_.show_month({moved_to.year(), moved_to.month(), moved_to.day()});
    if (dialog.cb_del->isChecked()) changed(delete_task(grid_, row));
}

void PlanPage::run_manager() {
    save_soon_->cancel();
    schedule_manage_show(
        sg_mon_log, days_, prompts_,
        [this](const store::PlanGrid& grid, const std::string& key) {
            const store::FxError saved = days_.savedata2fx_schedule2(grid, key);
            links_.redraw_month();
            return saved;
        },
        manage_daykey_);
}

void PlanPage::Button8Click() {
    if (!save_before_leaving()) return;
    run_manager();
    links_.redraw_month();
    load(daykey_);
}

}  // namespace velmora::plans
