#include "bookmarks/widgets/ufrm_url.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_layout.h"
#include "ui/theme.h"

namespace velmora::bookmarks {

namespace {

QPlainTextEdit* add_memo(QVBoxLayout* column, QWidget* owner, const char* caption,
                         const std::string& text, int height) {
    auto* label = new QLabel(QString::fromUtf8(caption), owner);
    label->setStyleSheet(ui::theme::caption_style);
    column->addWidget(label);
    auto* memo = new QPlainTextEdit(QString::fromStdString(text), owner);
    memo->setFixedHeight(height);
    memo->setTabChangesFocus(true);
    label->setBuddy(memo);
    column->addWidget(memo);
    return memo;
}

std::string trimmed(const QPlainTextEdit* memo) {
    return memo->toPlainText().trimmed().toStdString();
}

}  // namespace

Tfrm_url::Tfrm_url(QWidget* owner, const Bookmark& bookmark, sys::Prompts& prompts,
                   TitleCheck check)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      check_(std::move(check)),
      bookmark_(bookmark) {
    setObjectName("frm_url");
    setWindowTitle("网址书签编辑");
    setFixedSize(380, 250);
    auto* column = new QVBoxLayout(this);
    Memo_title = add_memo(column, this, "书签名称：", bookmark.title, 46);
    Memo_url = add_memo(column, this, "书签对应的网址：", bookmark.address, 86);
    std::tie(Button1, Button2) = ui::add_ok_cancel(column, this, "确定(&S)", "取消");
    connect(Button1, &QPushButton::clicked, this, &Tfrm_url::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    ui::centre_on_screen(this);
    Memo_title->setFocus();
}

void Tfrm_url::Button1Click() {
    const std::string title = trimmed(Memo_title);
    const std::string address = trimmed(Memo_url);
    std::optional<std::string> problem;
    if (title.empty())
        problem = empty_title;
    else if (address.empty())
        problem = empty_address;
    else if (check_)
        problem = check_(title);
    if (problem) {
        prompts_.inform(*problem);
        return;
    }
    bookmark_ = {title, address};
    accept();
}

std::optional<Bookmark> edit_bookmark(QWidget* owner, const Bookmark& bookmark,
                                      sys::Prompts& prompts, TitleCheck check) {
    Tfrm_url dialog(owner, bookmark, prompts, std::move(check));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.bookmark();
}

}  // namespace velmora::bookmarks
