#include "app/widgets/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora::app {

namespace {

QPixmap paint_icon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // The calendar sheet with its red header and two rings.
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(3.5, 5.5, 25, 23), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawRoundedRect(QRectF(4, 6, 24, 7), 2.5, 2.5);
    p.drawRect(QRectF(4, 10, 24, 3));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(9, 3, 2.5, 6), 1, 1);
    p.drawRoundedRect(QRectF(20.5, 3, 2.5, 6), 1, 1);
    // A golden crescent on the sheet.
    QPainterPath moon;
    moon.addEllipse(QRectF(9, 14.5, 12, 12));
    QPainterPath bite;
    bite.addEllipse(QRectF(12.5, 13, 11, 11));
    p.setBrush(QColor(230, 170, 20));
    p.drawPath(moon.subtracted(bite));
    return pixmap;
}

}  // namespace

QIcon app_icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(paint_icon(size));
    return icon;
}

}  // namespace velmora::app
