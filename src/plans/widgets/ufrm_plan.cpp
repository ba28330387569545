#include "plans/widgets/ufrm_plan.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "plans/plan_list.h"
#include "plans/widgets/plan_editor.h"
#include "sys/text_util.h"
#include "ui/dialog_layout.h"
#include "ui/pending_edit.h"

namespace velmora::plans {

Tfrm_plan::Tfrm_plan(QWidget* owner, sys::Prompts& prompts, const std::string& plan)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      result_(sys::trimmed(plan)) {
    setObjectName("frm_plan");
    setWindowTitle("计划");
    setFixedSize(325, 315);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 6, 10, 8);
    column->setSpacing(4);
    editor_ = new PlanEditor(this, PlanEditor::Shape::stacked);
    RadioGroup1 = editor_->RadioGroup1;
    RadioGroup2 = editor_->RadioGroup2;
    Memo1 = editor_->Memo1;
    column->addWidget(editor_);
    auto [ok, cancel] = ui::add_ok_cancel(column, this, "确定(&S)", "取消");
    connect(ok, &QPushButton::clicked, this, &Tfrm_plan::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &Tfrm_plan::Button2Click);

    Memo1->setFocus();
    ui::centre_on_screen(this);
    if (result_.empty()) {
        setWindowTitle("新建任务");
        return;
    }
    setWindowTitle("编辑任务");
    editor_->show_task(decode_plan_string(result_));
}

// The memo's lines are joined without separator: a task is one line.
void Tfrm_plan::Button1Click() {
    if (editor_->blank()) {
        prompts_.inform(plan_messages::empty_plan);
        return;
    }
    result_ = editor_->plan();
    accept();
}

std::string Tfrm_plan::typed_plan() const {
    return editor_->blank() ? std::string() : editor_->plan();
}

void Tfrm_plan::Button2Click() {
    result_.clear();
    reject();
}

std::string editplan(QWidget* owner, sys::Prompts& prompts, const std::string& plan,
                     const std::function<void(const std::string&)>& keep) {
    Tfrm_plan dialog(owner, prompts, plan);
    const ui::PendingEdit pending(
        [&] {
            const std::string typed = dialog.typed_plan();
            if (!typed.empty()) keep(typed);
        },
        [&] { dialog.Button2Click(); });
    dialog.exec();
    return dialog.result();
}

}  // namespace velmora::plans
