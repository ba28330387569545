#include "tools/widgets/usetpass.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <tuple>

#include "sys/prompts.h"
#include "ui/dialog_layout.h"

namespace velmora::tools {

namespace {

constexpr const char* note_caption = "请注意";

QLineEdit* password_edit(QWidget* owner, const char* name) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the style would draw.
    edit->setStyleSheet("QLineEdit { lineedit-password-character: 42; }");
    edit->setMinimumWidth(150);
    return edit;
}

}  // namespace

Tfrm_pass::Tfrm_pass(sys::Prompts& prompts, bool with_confirmation, QWidget* owner)
    : QDialog(owner, Qt::Tool), prompts_(prompts) {
    setObjectName("frm_pass");
    setWindowTitle("密码设置");
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    Edit1 = password_edit(this, "Edit1");
    Edit2 = password_edit(this, "Edit2");
    Label2 = new QLabel("确认密码：", this);
    grid->addWidget(new QLabel("输入密码：", this), 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    column->addLayout(grid);
    std::tie(btn_ok, btn_cancel) = ui::add_ok_cancel(column, this, "确定", "取消");
    // Enter in the fields has rules of its own, so no button answers it.
    for (QPushButton* button : {btn_ok, btn_cancel}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
    Edit2->setVisible(with_confirmation);
    Label2->setVisible(with_confirmation);
    connect(btn_ok, &QPushButton::clicked, this, &Tfrm_pass::ok_clicked);
    connect(btn_cancel, &QPushButton::clicked, this, [this] {
        confirmed = false;
        reject();
    });
    connect(Edit1, &QLineEdit::returnPressed, this, &Tfrm_pass::edit1_return);
    connect(Edit2, &QLineEdit::returnPressed, this, &Tfrm_pass::edit2_return);
    adjustSize();
    setFixedSize(sizeHint());
    ui::centre_on_screen(this);
}

void Tfrm_pass::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus();
}

void Tfrm_pass::ok_clicked() {
    if (Edit1->text().trimmed().isEmpty()) {
        prompts_.inform("请输入密码！", note_caption, sys::PromptIcon::information);
        Edit1->setFocus();
        return;
    }
    if (!Edit2->isHidden() && Edit1->text().trimmed() != Edit2->text().trimmed()) {
        prompts_.inform("两次输入的密码不一致！", note_caption, sys::PromptIcon::information);
        Edit2->setFocus();
        return;
    }
    confirmed = true;
    accept();
}

void Tfrm_pass::edit1_return() {
    if (Edit1->text().trimmed().isEmpty()) return;
    if (Edit2->isHidden()) {
        ok_clicked();
    } else {
        Edit2->setFocus();
    }
}

void Tfrm_pass::edit2_return() {
    if (!Edit2->text().trimmed().isEmpty()) ok_clicked();
}

}  // namespace velmora::tools
