#include "app/widgets/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora::app {

namespace {

QPixmap blank_pixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The calendar sheet with its red header and two rings, on a 32 by 32 grid;
// `header_bottom` is where the header ends.
void paint_sheet(QPainter& p, double header_bottom) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3.5, 5.5, 25, 23), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawRoundedRect(QRectF(4, 6, 24, header_bottom - 6), 2.5, 2.5);
    p.drawRect(QRectF(4, header_bottom - 3, 24, 3));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(9, 3, 2.5, 6), 1, 1);
    p.drawRoundedRect(QRectF(20.5, 3, 2.5, 6), 1, 1);
}

QPixmap paint_icon(int size) {
    QPixmap pixmap = blank_pixmap(size);
    QPainter p(&pixmap);
    p.scale(size / 32.0, size / 32.0);
    paint_sheet(p, 13);
    // A golden crescent on the sheet.
    QPainterPath moon;
    moon.addEllipse(QRectF(9, 14.5, 12, 12));
    QPainterPath bite;
    bite.addEllipse(QRectF(12.5, 13, 11, 11));
    p.setBrush(QColor(230, 170, 20));
    p.drawPath(moon.subtracted(bite));
    return pixmap;
}

// The sheet with a thin header and the day's number filling the rest, bold
// enough to read at the status area's 16 to 24 pixels.
QPixmap paint_day(int size, const QString& day) {
    QPixmap pixmap = blank_pixmap(size);
    QPainter p(&pixmap);
    p.scale(size / 32.0, size / 32.0);
    paint_sheet(p, 11);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(day.size() > 1 ? 16 : 18);
    p.setFont(font);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRectF(3.5, 10.5, 25, 18), Qt::AlignCenter, day);
    return pixmap;
}

}  // namespace

QIcon app_icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(paint_icon(size));
    return icon;
}

QIcon day_icon(const QString& day) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(paint_day(size, day));
    return icon;
}

}  // namespace velmora::app
