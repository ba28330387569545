// The plan manager: every day with stored plans in a year / month / day
// tree, and the task list of the chosen day with editors to change it.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "plans/plan_list.h"
#include "store/day_store.h"
#include "store/widgets/stored_days_tree.h"
#include "sys/prompts.h"
#include "ui/save_soon.h"

class QButtonGroup;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

namespace velmora::plans {

class PlanCellPainter;
class PlanEditor;

class Tfrm_schedule_manage : public QDialog {
    Q_OBJECT

public:
    // Saves a grid to a day (and redraws the month view), called when the
    // manager's grid has unsaved changes. Answers none once the store holds
    // the grid.
    using SaveSchedule = std::function<store::FxError(const store::PlanGrid&, const std::string&)>;

    Tfrm_schedule_manage(QWidget* owner, store::DayStore& days, sys::Prompts& prompts,
                         SaveSchedule save, std::string& manage_daykey);

    days::StoredDaysTree* RzTreeView1 = nullptr;
    QTableWidget* sg_schedule_manage = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;  // 类别
    QButtonGroup* RadioGroup2 = nullptr;  // 状态
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* bt_add = nullptr;
    QPushButton* bt_edit = nullptr;
    QPushButton* bt_del = nullptr;

    // The tree showed a node: a day's key, or "" for a year or month.
    void RzTreeView1Change(const std::string& key);
    void sg_schedule_manageClick(int row);
    void bt_addClick();
    void bt_editClick();
    void bt_delClick();
    const store::PlanGrid& grid() const { return grid_; }
    // The end of the run: the shown day's edits are saved now, and not again
    // when the window then closes.
    void save_before_exit();
    // The save that follows a change within two seconds.
    ui::SaveSoon& save_soon() { return *save_soon_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void build_editors(QVBoxLayout* column);
    void show_grid();
    void enable_editing(bool on);
    store::FxError save_if_dirty();
    int current_row() const;
    void changed();
    // Saves the shown day; after a failure the user is told and the day,
    // with what was typed, stays on screen.
    bool save_shown_day();

    store::DayStore& days_;
    sys::Prompts& prompts_;
    SaveSchedule save_;
    std::string& manage_daykey_;
    store::PlanGrid grid_;
    PlanCellPainter* painter_ = nullptr;
    bool saved_on_close_ = false;
    PlanEditor* editor_ = nullptr;
    bool dirty_ = false;
    ui::SaveSoon* save_soon_ = nullptr;
    SaveSoonNotice save_soon_notice_;
};

// Builds the manager and runs it modally.
void schedule_manage_show(QWidget* owner, store::DayStore& days, sys::Prompts& prompts,
                          Tfrm_schedule_manage::SaveSchedule save, std::string& manage_daykey);

}  // namespace velmora::plans
