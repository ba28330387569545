#include "plans/widgets/ufrm_schedule_manage.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include "plans/plan_list.h"
#include "plans/widgets/plan_editor.h"
#include "plans/widgets/plan_grid_painter.h"
#include "store/widgets/stored_days_tree.h"
#include "ui/dialog_layout.h"
#include "ui/theme.h"

namespace velmora::plans {

namespace {

const char* const fill_in_task = "请填写计划任务的内容！";

}  // namespace

Tfrm_schedule_manage::Tfrm_schedule_manage(QWidget* owner, store::DayStore& days,
                                           sys::Prompts& prompts, SaveSchedule save,
                                           std::string& manage_daykey)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      days_(days),
      prompts_(prompts),
      save_(std::move(save)),
      manage_daykey_(manage_daykey) {
    setObjectName("frm_schedule_manage");
    setWindowTitle("计划任务管理");
    resize(662, 479);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(7, 8, 8, 8);
    RzTreeView1 =
        new days::StoredDaysTree(this, store::plan_folder, [this] { return save_shown_day(); });
    row->addWidget(RzTreeView1);
    auto* column = new QVBoxLayout;
    row->addLayout(column, 1);

    const PlanTable grid = make_plan_table(this, "sg_schedule_manage", 50, ui::theme::panel,
                                           ui::theme::manager_header);
    sg_schedule_manage = grid.table;
    painter_ = grid.painter;
    column->addWidget(sg_schedule_manage, 1);
    build_editors(column);

    connect(RzTreeView1, &days::StoredDaysTree::nodeShown, this,
            &Tfrm_schedule_manage::RzTreeView1Change);
    connect(sg_schedule_manage, &QTableWidget::currentCellChanged, this, [this](int table_row) {
        painter_->set_marked_row(table_row);
        sg_schedule_manage->viewport()->update();
        sg_schedule_manageClick(table_row + 1);
    });
    save_soon_ = new ui::SaveSoon(
        [this] { save_soon_notice_.after_save(save_if_dirty(), manage_daykey_, prompts_); }, this);
    grid_.clear();
    show_grid();
    enable_editing(false);
    ui::centre_on_screen(this);
}

void Tfrm_schedule_manage::build_editors(QVBoxLayout* column) {
    editor_ = new PlanEditor(this, PlanEditor::Shape::side_by_side);
    RadioGroup1 = editor_->RadioGroup1;
    RadioGroup2 = editor_->RadioGroup2;
    Memo1 = editor_->Memo1;
    column->addWidget(editor_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto [member, text] :
         {std::pair{&bt_add, "增加(&A)"}, {&bt_edit, "修改(&E)"}, {&bt_del, "删除"}}) {
        *member = new QPushButton(QString::fromUtf8(text), this);
        buttons->addWidget(*member);
    }
    auto* close_button = new QPushButton("关闭", this);
    buttons->addWidget(close_button);
    column->addLayout(buttons);
    connect(bt_add, &QPushButton::clicked, this, &Tfrm_schedule_manage::bt_addClick);
    connect(bt_edit, &QPushButton::clicked, this, &Tfrm_schedule_manage::bt_editClick);
    connect(bt_del, &QPushButton::clicked, this, &Tfrm_schedule_manage::bt_delClick);
    connect(close_button, &QPushButton::clicked, this, &QDialog::accept);
}

void Tfrm_schedule_manage::show_grid() {
    fill_plan_table(sg_schedule_manage, grid_);
}

void Tfrm_schedule_manage::enable_editing(bool on) {
    bt_add->setEnabled(on);
    bt_edit->setEnabled(on);
    bt_del->setEnabled(on);
}

// The manager's own flag of unsaved changes: the main window's plan page
// keeps its own, for its own day.
store::FxError Tfrm_schedule_manage::save_if_dirty() {
    if (!dirty_) return store::FxError::none;
    const store::FxError saved = save_(grid_, manage_daykey_);
    if (saved == store::FxError::none) dirty_ = false;
    return saved;
}

bool Tfrm_schedule_manage::save_shown_day() {
    const store::FxError saved = save_if_dirty();
    if (saved == store::FxError::none) return true;
    prompts_.inform(store::day_not_saved_message(store::DayRecord::plans, manage_daykey_, saved));
    return false;
}

void Tfrm_schedule_manage::RzTreeView1Change(const std::string& key) {
    bool editable = !key.empty();
    if (editable) {
        manage_daykey_ = key;
        const store::FxError read = days_.load_schedule(grid_, manage_daykey_);
        editable = read == store::FxError::none;
        if (!editable) {
            prompts_.inform(
                store::day_unreadable_message(store::DayRecord::plans, manage_daykey_, read));
        }
    } else {
        grid_.clear();
        Memo1->clear();
    }
    show_grid();
    enable_editing(editable);
}

void Tfrm_schedule_manage::sg_schedule_manageClick(int row) {
    if (row < 1 || row >= grid_.row_count()) return;
    editor_->show_task(grid_.row(row));
}

int Tfrm_schedule_manage::current_row() const {
    const int row = sg_schedule_manage->currentRow();
    return row >= 0 ? row + 1 : grid_.row_count() - 1;
}

void Tfrm_schedule_manage::changed() {
    dirty_ = true;
    show_grid();
    save_soon_->changed();
}

void Tfrm_schedule_manage::save_before_exit() {
    if (saved_on_close_) return;
    save_soon_->cancel();
    save_shown_day();
    saved_on_close_ = true;
}

void Tfrm_schedule_manage::bt_addClick() {
    if (editor_->blank()) {
        prompts_.inform(fill_in_task);
        return;
    }
    add_task(grid_, editor_->plan());
    Memo1->clear();
    bt_edit->setEnabled(true);
    bt_del->setEnabled(true);
    changed();
}

void Tfrm_schedule_manage::bt_editClick() {
    if (editor_->blank()) {
        prompts_.inform(fill_in_task);
        return;
    }
    grid_.row(current_row()) = decode_plan_string(editor_->plan());
    changed();
}

void Tfrm_schedule_manage::bt_delClick() {
    const bool last = grid_.row_count() <= 2;
    delete_task(grid_, current_row());
    if (last) {
        bt_edit->setEnabled(false);
        bt_del->setEnabled(false);
    }
    changed();
}

// However the window closes, the shown day's edits are saved once.
void Tfrm_schedule_manage::done(int result) {
    if (!saved_on_close_) {
        if (!save_shown_day()) return;  // stays open with the unsaved plans
        saved_on_close_ = true;
    }
    QDialog::done(result);
}

void Tfrm_schedule_manage::closeEvent(QCloseEvent* event) {
    done(QDialog::Rejected);
    if (saved_on_close_) {
        event->accept();
    } else {
        event->ignore();
    }
}

void schedule_manage_show(QWidget* owner, store::DayStore& days, sys::Prompts& prompts,
                          Tfrm_schedule_manage::SaveSchedule save, std::string& manage_daykey) {
    Tfrm_schedule_manage manager(owner, days, prompts, std::move(save), manage_daykey);
    manager.exec();
}

}  // namespace velmora::plans
