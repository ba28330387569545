// Geometry of the main window's edge docking: clamping a drag to the
// screen, the edges it then touches, the slide the watch chooses, and one
// step of a slide. Plain functions over plain values: the window glue calls
// them from its timers and move handling.
#pragma once

#include <cstdint>

namespace velmora::app {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

enum DockEdge : std::uint8_t { dock_left = 1, dock_top = 2, dock_right = 4, dock_bottom = 8 };
using DockEdges = std::uint8_t;

// Slides: 1–4 reveal at the left, top, right, bottom edge; 5–8 hide there.
enum SlideMode : int {
    no_slide = 0,
    reveal_left = 1,
    reveal_top = 2,
    reveal_right = 3,
    reveal_bottom = 4,
    hide_left = 5,
    hide_top = 6,
    hide_right = 7,
    hide_bottom = 8,
};

inline constexpr int horizontal_step = 30;
inline constexpr int vertical_step = 50;
inline constexpr int visible_strip = 4;

// The drag rectangle kept on the screen.
Rect clamp_drag(Rect proposed, Size window, Size screen);
DockEdges docked_edges(const Rect& clamped, Size screen);

// On the window's rectangle (its frame included), edges included: a pointer
// resting on the screen's edge is on a window docked there, shown or on its
// strip. A strict test would call it outside at x = 0 and hide the window
// it has just revealed, again and again.
bool cursor_inside(Point cursor, Point window_position, Size window);
// The slide the watch asks for: the last docked edge in the order left, top,
// right, bottom wins.
SlideMode watch_slide(DockEdges edges, bool mouse_inside);

struct SlideStep {
    Point position;
    bool finished = false;  // the window now sits at the slide's end position
};
// One tick of a slide: a step while the slide's condition holds, else the
// end position.
SlideStep slide_tick(SlideMode mode, Point position, Size window, Size screen);

}  // namespace velmora::app
