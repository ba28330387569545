#include "plans/Utaskhintmess.h"

#include <QDebug>

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace velmora::plans {

namespace {

QFont message_font() {
    QFont font;
    // "黑体" where the system has it; the Linux desktops carry WenQuanYi.
    font.setFamilies({"黑体", "WenQuanYi Micro Hei"});
    font.setPixelSize(29);
    return font;
}

}  // namespace

Tfrm_taskhintmess::Tfrm_taskhintmess(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("frm_taskhintmess");
    setAttribute(Qt::WA_DeleteOnClose);
    // A notification closing while the main window hides must never count
    // as the last window of the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("任务提醒");
    setFixedSize(422, 212);

    RzLabel1 = new QLabel(this);
    RzLabel1->setObjectName("RzLabel1");
    RzLabel1->setGeometry(34, 24, 361, 134);
    RzLabel1->setFont(message_font());
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

Tfrm_taskhintmess* Tfrm_taskhintmess::showtaskhint(const QString& text, QWidget* parent) {
    auto* popup = new Tfrm_taskhintmess(parent);
    popup->RzLabel1->setText(text);
    // Like every message of the program, also written to the diagnostic output.
    qInfo().noquote() << "message:" << text;
    popup->center_on_work_area();
    popup->show();
    return popup;
}

void Tfrm_taskhintmess::closeEvent(QCloseEvent* event) {
    emit closed();
    event->accept();
}

void Tfrm_taskhintmess::center_on_work_area() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace velmora::plans
