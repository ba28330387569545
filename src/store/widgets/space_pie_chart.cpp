#include "store/widgets/space_pie_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/theme.h"

namespace velmora::store {

namespace {

const char* const live_name = "已使用空间";
const char* const fragment_name = "碎片空间";

QPointF as_qt(PiePoint point) {
    return {point.x, point.y};
}
QRectF as_qt(const PieRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

QRectF shifted(const PieRect& top, PiePoint shift) {
    return as_qt(top).translated(shift.x, shift.y);
}

// The outer wall of the part of a slice between two angles on the front
// half of the pie (where the angle's sine is negative): the rim there, and
// the same rim `depth` lower.
void draw_wall(QPainter& painter, const QRectF& top, double depth, double from, double to) {
    const QRectF bottom = top.translated(0, depth);
    QPainterPath wall;
    wall.arcMoveTo(top, from);
    wall.arcTo(top, from, to - from);
    wall.arcTo(bottom, to, 0);
    wall.arcTo(bottom, to, from - to);
    wall.closeSubpath();
    painter.drawPath(wall);
}

// A slice's angles cut where the rim turns from the back to the front
// (0° and 180°); only the front pieces have a wall to see.
void draw_walls(QPainter& painter, const QRectF& top, double depth, double start, double span) {
    double from = start;
    const double end = start + span;
    while (from < end) {
        const double next = std::min(end, (std::floor(from / 180) + 1) * 180);
        const double middle = (from + next) / 2;
        if (std::sin(middle * std::numbers::pi / 180) < 0)
            draw_wall(painter, top, depth, from, next);
        from = next;
    }
}

void draw_slice(QPainter& painter, const SpacePieLayout& layout, const PieSliceLayout& slice,
                const QColor& colour) {
    if (slice.span_degrees <= 0) return;
    const QRectF top = shifted(layout.top, slice.shift);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour.darker(160));
    draw_walls(painter, top, layout.depth, slice.start_degrees, slice.span_degrees);
    painter.setBrush(colour);
    painter.setPen(QPen(Qt::white, 1));
    if (slice.span_degrees >= 360) {
        painter.drawEllipse(top);
    } else {
        painter.drawPie(top, static_cast<int>(std::lround(slice.start_degrees * 16)),
                        static_cast<int>(std::lround(slice.span_degrees * 16)));
    }
}

void draw_mark(QPainter& painter, const PieSliceLayout& slice, const QString& text,
               const QColor& colour, Qt::Alignment side) {
    painter.setPen(QPen(QColor(96, 96, 96), 1));
    painter.drawLine(as_qt(slice.rim), as_qt(slice.mark_edge));
    painter.setPen(colour.darker(130));
    painter.drawText(as_qt(slice.mark), static_cast<int>(side | Qt::AlignVCenter), text);
}

QString mark_text(const char* name, const std::string& share) {
    return QString::fromUtf8(name) + '\n' + QString::fromStdString(share);
}

}  // namespace

SpacePieChart::SpacePieChart(QWidget* parent) : QWidget(parent) {
    setFont(ui::theme::song_font(12));
}

void SpacePieChart::set_figures(double live_mb, double fragment_mb) {
    live_ = live_mb;
    fragment_ = fragment_mb;
    update();
}

SpacePieLayout SpacePieChart::layout() const {
    const QFontMetricsF metrics(font());
    const double mark_width = std::max({metrics.horizontalAdvance(QString::fromUtf8(live_name)),
                                        metrics.horizontalAdvance(QString::fromUtf8(fragment_name)),
                                        metrics.horizontalAdvance(QStringLiteral(">99%"))}) +
                              2;
    const double mark_height = 2 * metrics.lineSpacing() + 2;
    return lay_out_space_pie(live_, fragment_, width(), height(), mark_width, mark_height);
}

QString SpacePieChart::live_mark() const {
    return mark_text(live_name, layout().live.share);
}

QString SpacePieChart::fragment_mark() const {
    return mark_text(fragment_name, layout().fragment.share);
}

void SpacePieChart::paintEvent(QPaintEvent*) {
    const SpacePieLayout pie = layout();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The live slice lies behind: the fragment slice, at the front, is
    // painted over it.
    draw_slice(painter, pie, pie.live, live_colour);
    draw_slice(painter, pie, pie.fragment, fragment_colour);
    draw_mark(painter, pie.live, mark_text(live_name, pie.live.share), live_colour, Qt::AlignRight);
    draw_mark(painter, pie.fragment, mark_text(fragment_name, pie.fragment.share), fragment_colour,
              Qt::AlignLeft);
}

}  // namespace velmora::store
