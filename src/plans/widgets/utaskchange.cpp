#include "plans/widgets/utaskchange.h"

#include "ui/date_field.h"
#include "ui/dialog_layout.h"

#include <QCheckBox>
#include <QDate>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace velmora::plans {

Tfrm_taskchange::Tfrm_taskchange(QWidget* owner, const calendar::Date& today)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("frm_taskchange");
    setWindowTitle("计划变更");
    setFixedSize(265, 191);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel("将当前任务变更到如下日期：", this));
    RzDateTimePicker1 = new ui::DateField(QDate(today.year, today.month, today.day), this);
    RzDateTimePicker1->setObjectName("RzDateTimePicker1");
    column->addWidget(RzDateTimePicker1);
    cb_del = new QCheckBox("删除原任务", this);
    cb_changebz = new QCheckBox("设置变更标识", this);
    cb_del->setChecked(true);
    cb_changebz->setChecked(true);
    column->addWidget(cb_del);
    column->addWidget(cb_changebz);
    auto [ok, cancel] = ui::add_ok_cancel(column, this, "确定", "取消");
    connect(ok, &QPushButton::clicked, this, [this] {
        if (!RzDateTimePicker1->acceptable()) {
            RzDateTimePicker1->show_refusal();  // never moves the task to a date not shown
            return;
        }
        confirmed = true;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ui::centre_on_screen(this);
}

std::string Tfrm_taskchange::target_key() const {
    const QDate target = RzDateTimePicker1->date();
    return calendar::day_key({target.year(), target.month(), target.day()});
}

}  // namespace velmora::plans
