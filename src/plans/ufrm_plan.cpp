#include "plans/ufrm_plan.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "plans/plan_list.h"
#include "sys/text_util.h"
#include "ui/dialog_layout.h"

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
    RadioGroup2 = ui::add_radio_group(this, column, "状态", {"进行中", "已完成"});
    RadioGroup1 = ui::add_radio_group(this, column, "类别",
                                      {"重要，急", "重要，不急", "不重要，急", "不重要，不急"});
    auto* content = new QLabel("内容：", this);
    content->setStyleSheet("color: blue;");
    column->addWidget(content);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setFixedSize(282, 108);
    column->addWidget(Memo1, 0, Qt::AlignHCenter);
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
    const int category = result_[0] - '0';
    if (category >= 0 && category < 4) RadioGroup1->button(category)->setChecked(true);
    if (result_.size() > 1) RadioGroup2->button(result_[1] == '0' ? 0 : 1)->setChecked(true);
    Memo1->setPlainText(QString::fromStdString(result_.size() > 2 ? result_.substr(2) : ""));
}

// The memo's lines are joined without separator: a task is one line.
void Tfrm_plan::Button1Click() {
    std::string text = Memo1->toPlainText().toStdString();
    if (is_blank(text)) {
        prompts_.inform(plan_messages::empty_plan);
        return;
    }
    result_ = make_plan_string(RadioGroup1->checkedId(), RadioGroup2->checkedId(), text);
    accept();
}

void Tfrm_plan::Button2Click() {
    result_.clear();
    reject();
}

std::string editplan(QWidget* owner, sys::Prompts& prompts, const std::string& plan) {
    Tfrm_plan dialog(owner, prompts, plan);
    dialog.exec();
    return dialog.result();
}

}  // namespace velmora::plans
