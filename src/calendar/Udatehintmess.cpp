#include "calendar/Udatehintmess.h"

#include <QDebug>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace velmora::calendar {

Tfrm_datehintmess::Tfrm_datehintmess(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("frm_datehintmess");
    setAttribute(Qt::WA_DeleteOnClose);
    // A popup left open must never count as the program's last window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("纪念日提醒");
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

Tfrm_datehintmess* datehintmess_show(const std::string& text) {
    auto* popup = new Tfrm_datehintmess;
    popup->RzLabel1->setText(QString::fromStdString(text));
    // Like every message of the program, also written to the diagnostic output.
    qInfo().noquote() << "message:" << popup->RzLabel1->text();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), popup->size());
        frame.moveCenter(screen->availableGeometry().center());
        popup->move(frame.topLeft());
    }
    popup->show();
    return popup;
}

}  // namespace velmora::calendar
