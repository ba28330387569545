#include "calendar/widgets/day_grid.h"

#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/theme.h"

namespace velmora::calendar {

namespace {

constexpr int day_left = 14, day_top = 56, day_width = 36, day_height = 18;
constexpr int lunar_left = 13, lunar_top = 75, lunar_height = 14;
constexpr int column_step = 42, row_step = 32;
constexpr int box_width = 38, box_height = 34;
// The 休/班 mark sits in the top right corner inside the selection box
// (which spans day.x - 2 .. day.x + 35); a day that carries one has its
// number centred in the part of the cell left of it, so even "28" keeps
// clear of the mark.
constexpr int holiday_offset = 25, holiday_width = 10, holiday_height = 11;
constexpr int number_room_with_mark = 9;  // taken from the number's right
constexpr int mark_size = 6;

const QColor selection_fill(0xC0, 0xC0, 0xC0), selection_outline(0x80, 0x80, 0x80);
const QColor plan_fill(0x00, 0xFF, 0x00), plan_outline(0x00, 0x80, 0x00);
const QColor note_fill(0xA6, 0xCA, 0xF0), note_outline(0x00, 0x00, 0xFF);
const QColor rest_colour(0xE0, 0x00, 0x00), work_colour(0x40, 0x40, 0x40);

// A filled box with a one-pixel outline: the marks and the selection box.
void paint_box(QPainter& painter, const QRect& box, const QColor& fill, const QColor& outline) {
    painter.fillRect(box, fill);
    painter.setPen(outline);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

QString text_of(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

DayGrid::Places DayGrid::places(int cell, bool marked) {
    const int left = day_left + column_step * (cell % 7);
    const int top = day_top + row_step * (cell / 7);
    Places at;
    at.box = QRect(left - 2, top, box_width, box_height);
    at.number = QRect(left, top, day_width - (marked ? number_room_with_mark : 0), day_height);
    at.lunar = QRect(lunar_left + column_step * (cell % 7), lunar_top + row_step * (cell / 7),
                     day_width + 4, lunar_height);
    at.holiday = QRect(left + holiday_offset, top + 1, holiday_width, holiday_height);
    // Just inside the selection box's left edge, clear of the number.
    at.plan_mark = QRect(left - 1, top + 4, mark_size, mark_size);
    at.note_mark = QRect(left - 1, top + 11, mark_size, mark_size);
    return at;
}

QRect DayGrid::area() {
    constexpr int rows = (cell_count + 6) / 7;
    const Places first = places(0, false);
    const Places last = places(rows * 7 - 1, false);
    return first.box.united(first.lunar).united(last.box).united(last.lunar);
}

DayGrid::DayGrid(QWidget* panel)
    : QWidget(panel),
      number_font_(QStringList{"Arial Black", "DejaVu Sans"}),
      lunar_font_(ui::theme::song_font(12)),
      holiday_font_(ui::theme::song_font(10)) {
    setObjectName("day_grid");
    number_font_.setPixelSize(15);
    number_font_.setWeight(QFont::Black);
    setGeometry(area());
    setAccessibleName("月历");
}

void DayGrid::show_cells(const std::array<DayCell, cell_count>& cells, int selected_cell) {
    cells_ = cells;
    selected_cell_ = selected_cell;
    setAccessibleDescription(spoken_selection());
    update();
}

// What a screen reader says of the grid: the selected day, its lunar text
// and its 休/班 mark.
QString DayGrid::spoken_selection() const {
    if (selected_cell_ <= 0) return {};
    const DayCell& day = cell(selected_cell_ - 1);
    std::string spoken = day.key + " " + day.lunar_text;
    if (day.day_off != DayOff::none) spoken += std::string(" ") + day_off_text(day.day_off);
    return text_of(spoken);
}

int DayGrid::cell_at(const QPoint& panel_point) const {
    for (int i = 0; i < cell_count; ++i) {
        if (cell(i).day > 0 && places(i, false).box.contains(panel_point)) return i;
    }
    return -1;
}

int DayGrid::day_at(const QPoint& panel_point) const {
    const int index = cell_at(panel_point);
    return index < 0 ? 0 : cell(index).day;
}

QString DayGrid::tooltip_at(const QPoint& panel_point) const {
    const int index = cell_at(panel_point);
    return index < 0 ? QString() : text_of(cell(index).holiday_tooltip);
}

bool DayGrid::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = tooltip_at(help->pos() + pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
}

void DayGrid::mousePressEvent(QMouseEvent* event) {
    const int day = day_at(event->position().toPoint() + pos());
    if (day > 0) emit dayPressed(day);
}

void DayGrid::mouseReleaseEvent(QMouseEvent* event) {
    const int day = day_at(event->position().toPoint() + pos());
    if (day > 0) emit dayClicked(day);
}

void DayGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.translate(-pos());
    paint_selection(painter);
    for (int i = 0; i < cell_count; ++i) {
        if (cell(i).day > 0) paint_cell(painter, i);
    }
}

// Beneath the cell's texts.
void DayGrid::paint_selection(QPainter& painter) const {
    if (selected_cell_ <= 0) return;
    paint_box(painter, places(selected_cell_ - 1, false).box, selection_fill, selection_outline);
}

void DayGrid::paint_cell(QPainter& painter, int index) const {
    const DayCell& day = cell(index);
    const Places at = places(index, day.day_off != DayOff::none);
    paint_marks(painter, day, at);
    painter.setFont(number_font_);
    painter.setPen(QColor::fromRgb(day.number_rgb));
    painter.drawText(at.number, Qt::AlignCenter, text_of(day.number_text));
    painter.setFont(lunar_font_);
    painter.setPen(QColor::fromRgb(day.lunar_rgb));
    painter.drawText(at.lunar, Qt::AlignCenter, text_of(day.lunar_text));
}

void DayGrid::paint_marks(QPainter& painter, const DayCell& day, const Places& at) const {
    if (day.has_plan) paint_box(painter, at.plan_mark, plan_fill, plan_outline);
    if (day.has_note) paint_box(painter, at.note_mark, note_fill, note_outline);
    if (day.day_off == DayOff::none) return;
    painter.setFont(holiday_font_);
    painter.setPen(day.day_off == DayOff::rest ? rest_colour : work_colour);
    painter.drawText(at.holiday, Qt::AlignCenter, QString::fromUtf8(day_off_text(day.day_off)));
}

}  // namespace velmora::calendar
