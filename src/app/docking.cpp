#include "app/docking.h"

#include <algorithm>

namespace velmora::app {

Rect clamp_drag(Rect r, Size window, Size screen) {
    r.left = std::min(std::max(r.left, 0), screen.width - window.width);
    r.top = std::min(std::max(r.top, 0), screen.height - window.height);
    r.right = std::min(std::max(r.right, window.width), screen.width);
    r.bottom = std::min(std::max(r.bottom, window.height), screen.height);
    return r;
}

DockEdges docked_edges(const Rect& r, Size screen) {
    DockEdges edges = 0;
    if (r.left == 0) edges |= dock_left;
    if (r.right == screen.width) edges |= dock_right;
    if (r.top == 0) edges |= dock_top;
    if (r.bottom == screen.height) edges |= dock_bottom;
    return edges;
}

bool cursor_inside(Point cursor, Point at, Size window) {
    return at.x <= cursor.x && cursor.x < at.x + window.width && at.y <= cursor.y &&
           cursor.y < at.y + window.height;
}

SlideMode watch_slide(DockEdges edges, bool mouse_inside) {
    const int base = mouse_inside ? reveal_left : hide_left;
    int mode = no_slide;
    if (edges & dock_left) mode = base;
    if (edges & dock_top) mode = base + 1;
    if (edges & dock_right) mode = base + 2;
    if (edges & dock_bottom) mode = base + 3;
    return static_cast<SlideMode>(mode);
}

SlideStep slide_tick(SlideMode mode, Point p, Size w, Size s) {
    const int hidden_left = visible_strip - w.width;
    const int hidden_top = visible_strip - w.height;
    const int hidden_right = s.width - visible_strip;
    const int hidden_bottom = s.height - visible_strip;
    auto step = [&](bool moving, Point next, Point end) {
        return moving ? SlideStep{next, false} : SlideStep{end, true};
    };
    switch (mode) {
        case reveal_left: return step(p.x < 0, {p.x + horizontal_step, p.y}, {0, p.y});
        case reveal_top: return step(p.y < 0, {p.x, p.y + vertical_step}, {p.x, 0});
        case reveal_right:
            return step(p.x > s.width - w.width, {p.x - horizontal_step, p.y},
                        {s.width - w.width, p.y});
        case reveal_bottom:
            return step(p.y > s.height - w.height, {p.x, p.y - vertical_step},
                        {p.x, s.height - w.height});
        case hide_left:
            return step(p.x > hidden_left, {p.x - horizontal_step, p.y}, {hidden_left, p.y});
        case hide_top: return step(p.y > hidden_top, {p.x, p.y - vertical_step}, {p.x, hidden_top});
        case hide_right:
            return step(p.x < hidden_right, {p.x + horizontal_step, p.y}, {hidden_right, p.y});
        case hide_bottom:
            return step(p.y < hidden_bottom, {p.x, p.y + vertical_step}, {p.x, hidden_bottom});
        case no_slide: break;
    }
    return {p, true};
}

}  // namespace velmora::app
