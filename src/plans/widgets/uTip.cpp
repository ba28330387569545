#include "plans/widgets/uTip.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

namespace velmora::plans {

namespace {

const QColor tip_green(0, 128, 0);
const QColor band_yellow(255, 255, 0);
const QColor line_maroon(128, 0, 0);
constexpr int band_width = 8;
constexpr int fade_step = 3;

QFont hei_font(int pixel_size, bool bold) {
    QFont font;
    font.setFamilies({"黑体", "WenQuanYi Micro Hei"});
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    return font;
}

void paint_ringing(QPainter& painter, QPointF centre) {
    painter.setPen(QPen(band_yellow, 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (qreal radius : {24.0, 30.0}) {
        const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        painter.drawArc(circle, -25 * 16, 50 * 16);
        painter.drawArc(circle, 155 * 16, 50 * 16);
    }
}

void paint_bell(QPainter& painter) {
    painter.save();
    painter.translate(5, 0);
    QPainterPath body;
    body.moveTo(10, 62);
    body.cubicTo(18, 56, 16, 40, 18, 32);
    body.cubicTo(20, 20, 38, 20, 40, 32);
    body.cubicTo(42, 40, 40, 56, 48, 62);
    body.closeSubpath();
    QLinearGradient gold(10, 0, 48, 0);
    gold.setColorAt(0.0, QColor(255, 236, 90));
    gold.setColorAt(0.45, QColor(255, 250, 190));
    gold.setColorAt(1.0, QColor(222, 170, 20));
    painter.setPen(QPen(QColor(150, 100, 0), 1.5));
    painter.setBrush(gold);
    painter.drawPath(body);
    painter.drawEllipse(QPointF(29, 22), 3.5, 3.5);       // hanger
    painter.drawRoundedRect(QRectF(7, 61, 44, 6), 3, 3);  // rim
    painter.drawEllipse(QPointF(29, 71), 4.5, 4.5);       // clapper
    paint_ringing(painter, QPointF(29, 44));
    painter.restore();
}

}  // namespace

Tfrm_tip::Tfrm_tip(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName("frm_tip");
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A notification closing while the main window hides must never count
    // as the last window of the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    resize(tip_width, full_height);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(23, 48, 220, 89);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(eye_care_picture());

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("×");
    SpeedButton1->setGeometry(249, 8, 17, 17);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setStyleSheet(
        "QToolButton { color: yellow; font-weight: bold; border: none; }"
        "QToolButton:hover { background: rgb(128, 0, 0); }");
    connect(SpeedButton1, &QToolButton::clicked, this, &Tfrm_tip::SpeedButton1Click);

    Timer1.setInterval(1);
    Timer2.setInterval(8000);
    Timer3.setInterval(20);
    connect(&Timer1, &QTimer::timeout, this, &Tfrm_tip::Timer1Timer);
    connect(&Timer2, &QTimer::timeout, this, &Tfrm_tip::Timer2Timer);
    connect(&Timer3, &QTimer::timeout, this, &Tfrm_tip::Timer3Timer);
}

QRect Tfrm_tip::work_area() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

void Tfrm_tip::place() {
    const QRect work = work_area();
    setGeometry(work.x() + work.width() - tip_width - 1, top_, tip_width, height_);
}

void Tfrm_tip::set_opacity(int opacity) {
    opacity_ = opacity;
    setWindowOpacity(opacity_ / 255.0);
}

void Tfrm_tip::showtip() {
    // A tip asked for while the last one still holds or fades starts over
    // rather than vanishing half way through its slide.
    Timer2.stop();
    Timer3.stop();
    set_opacity(255);
    bottom_line_ = false;
    top_ = work_area().y() + work_area().height();
    height_ = 0;
    place();
    tipstate = 1;
    Timer1.start();
    show();
    raise();
}

void Tfrm_tip::Timer1Timer() {
    if (tipstate == 1) {
        --top_;
        ++height_;
        place();
        const QRect work = work_area();
        if (top_ <= work.y() + work.height() - full_height) {
            bottom_line_ = true;
            update();
            tipstate = 2;
        }
        return;
    }
    update();
    set_opacity(255);
    Timer1.stop();
    Timer2.start();
}

void Tfrm_tip::Timer2Timer() {
    start_fade();
}

void Tfrm_tip::SpeedButton1Click() {
    start_fade();
}

void Tfrm_tip::start_fade() {
    Timer2.stop();
    set_opacity(255);
    Timer3.start();
}

void Tfrm_tip::Timer3Timer() {
    set_opacity(std::max(0, opacity_ - fade_step));
    if (opacity_ > 0) return;
    Timer3.stop();
    close();
}

void Tfrm_tip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), tip_green);
    painter.fillRect(0, 0, w, band_width, band_yellow);
    painter.fillRect(0, h - band_width, w, band_width, band_yellow);
    painter.fillRect(0, 0, band_width, h, band_yellow);
    painter.fillRect(w - band_width, 0, band_width, h, band_yellow);
    painter.setPen(line_maroon);
    const QPoint bottom_left(0, h - 1), top_left(0, 0), top_right(w - 1, 0),
        bottom_right(w - 1, h - 1);
    const QPoint outline[] = {bottom_left, top_left, top_right, bottom_right};
    painter.drawPolyline(outline, 4);
    if (bottom_line_) painter.drawLine(bottom_right, bottom_left);
}

void Tfrm_tip::mousePressEvent(QMouseEvent* event) {
    // A drag during the slide would fight the slide's own placement.
    if (Timer1.isActive() || event->button() != Qt::LeftButton) return;
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    drag_offset_ = event->globalPosition().toPoint() - pos();
}

void Tfrm_tip::mouseMoveEvent(QMouseEvent* event) {
    if (drag_offset_) move(event->globalPosition().toPoint() - *drag_offset_);
}

void Tfrm_tip::mouseReleaseEvent(QMouseEvent*) {
    drag_offset_.reset();
}

QPixmap Tfrm_tip::eye_care_picture() {
    QPixmap picture(216, 88);
    picture.fill(tip_green);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paint_bell(painter);
    painter.setPen(band_yellow);
    painter.setFont(hei_font(28, true));
    painter.drawText(QRect(72, 2, 144, 34), Qt::AlignLeft | Qt::AlignVCenter, "注意休息");
    painter.drawText(QRect(72, 34, 144, 34), Qt::AlignLeft | Qt::AlignVCenter, "保护视力");
    painter.setPen(QColor(230, 255, 230));
    painter.setFont(hei_font(12, false));
    painter.drawText(QRect(60, 68, 154, 18), Qt::AlignRight | Qt::AlignVCenter, "——Velmora提醒");
    return picture;
}

}  // namespace velmora::plans
