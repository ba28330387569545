// The fonts and colours every window shares, in one table: a change of the
// program's look is made here, not in each window.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace velmora::ui::theme {

// Song typeface for Chinese text, with the fallbacks a Linux desktop has.
inline QStringList song_families() {
    return {"SimSun", "宋体", "WenQuanYi Micro Hei"};
}
inline QFont song_font(int pixels, bool bold = false) {
    QFont font(song_families());
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
inline QFont song_font_points(int points) {
    QFont font(song_families());
    font.setPointSize(points);
    return font;
}

// A text colour through the palette: far cheaper than a style sheet, which
// each widget would parse and polish on its own.
inline void set_text_colour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

inline const QColor panel = Qt::white;

// A plain white region of a window.
inline QWidget* white_panel(QWidget* parent, const char* name) {
    auto* region = new QWidget(parent);
    region->setObjectName(name);
    region->setAutoFillBackground(true);
    QPalette palette = region->palette();
    palette.setColor(QPalette::Window, panel);
    region->setPalette(palette);
    return region;
}
inline const QColor cream(255, 255, 202);           // tab bar, plan page
inline const QColor manager_header(192, 192, 192);  // the plan manager's grid header
inline const QColor plan_text(0, 0, 128);           // navy
inline const QColor task_open_fill(255, 206, 157);
inline const QColor task_done_fill(128, 255, 128);

// A line that says why something cannot be done.
inline constexpr const char* warning_style = "color: red;";
// A caption above an input ("内容：").
inline constexpr const char* caption_style = "color: blue;";
// Text the user reads but does not edit here (the day's note).
inline const QColor read_only_text = Qt::blue;
// A passing hint (the docking tip).
inline constexpr const char* hint_style = "color: grey;";

}  // namespace velmora::ui::theme
