#include "ui/message_popup.h"

#include <QCloseEvent>
#include <QDebug>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog_layout.h"

namespace velmora::ui {

MessagePopup::MessagePopup(const QString& caption, const QString& object_name, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(object_name);
    setAttribute(Qt::WA_DeleteOnClose);
    // A notification left open must never count as the program's last window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(caption);
    setFixedSize(422, 212);

    QFont font;
    // "黑体" where the system has it; the Linux desktops carry WenQuanYi.
    font.setFamilies({"黑体", "WenQuanYi Micro Hei"});
    font.setPixelSize(29);
    RzLabel1 = new QLabel(this);
    RzLabel1->setObjectName("RzLabel1");
    RzLabel1->setGeometry(34, 24, 361, 134);
    RzLabel1->setFont(font);
    RzLabel1->setStyleSheet("color: rgb(255, 0, 0);");
    RzLabel1->setWordWrap(true);
    RzLabel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RzLabel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    RzLabel1->setMargin(6);

    Button1 = new QPushButton("确定(&S)", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(328, 173, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QWidget::close);
}

void MessagePopup::show_text(const QString& text) {
    RzLabel1->setText(text);
    // Like every message of the program, also written to the diagnostic output.
    qInfo().noquote() << "message:" << text;
    centre_on_screen(this);
    show();
}

void MessagePopup::closeEvent(QCloseEvent* event) {
    emit closed();
    event->accept();
}

}  // namespace velmora::ui
