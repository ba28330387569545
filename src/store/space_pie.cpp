#include "store/space_pie.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora::store {

namespace {

// Looked at from 60° above: the ellipse is half as high as it is wide.
constexpr double tilt = 0.5;
constexpr double depth_share = 0.22;  // of the ellipse's height
constexpr double fragment_middle = -35;
constexpr double gap = 10;  // between a mark and the pie
constexpr double shift_distance = 5;

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

PiePoint moved(PiePoint point, PiePoint by) {
    return {point.x + by.x, point.y + by.y};
}

// A mark beside the pie, level with its leader line's start but kept
// inside the drawing.
PieRect mark_beside(PiePoint rim, bool on_left, double pie_left, double pie_right,
                    double mark_width, double mark_height, double height) {
    const double x = on_left ? pie_left - gap - mark_width : pie_right + gap;
    const double y = std::clamp(rim.y - mark_height / 2, 0.0, height - mark_height);
    return {x, y, mark_width, mark_height};
}

PiePoint near_side(const PieRect& mark, bool on_left) {
    return {on_left ? mark.right() : mark.x, mark.y + mark.height / 2};
}

}  // namespace

PiePoint point_on_ellipse(const PieRect& box, double degrees) {
    const double a = radians(degrees);
    return {box.x + box.width / 2 * (1 + std::cos(a)), box.y + box.height / 2 * (1 - std::sin(a))};
}

std::string share_text(double part, double total) {
    if (total <= 0 || part <= 0) return "0%";
    if (part >= total) return "100%";
    const long percent = std::lround(part / total * 100);
    if (percent < 1) return "<1%";
    if (percent > 99) return ">99%";
    return std::to_string(percent) + "%";
}

SpacePieLayout lay_out_space_pie(double live, double fragment, double width, double height,
                                 double mark_width, double mark_height, double max_pie_width) {
    live = std::max(live, 0.0);
    fragment = std::max(fragment, 0.0);
    const double total = live + fragment;
    const double fragment_span = total > 0 ? 360 * fragment / total : 0;

    const double room = width - 2 * (mark_width + gap);
    const double pie_width = std::clamp(room, 0.0, max_pie_width);
    const double pie_height = pie_width * tilt;
    const double depth = pie_height * depth_share;
    SpacePieLayout layout{};
    layout.depth = depth;
    layout.top = {(width - pie_width) / 2, (height - pie_height - depth) / 2, pie_width,
                  pie_height};

    PieSliceLayout& part = layout.fragment;
    part.start_degrees = fragment_middle - fragment_span / 2;
    part.span_degrees = fragment_span;
    // Only a slice that is not the whole pie can stand out of it.
    if (fragment_span > 0 && fragment_span < 360) {
        part.shift = {shift_distance * std::cos(radians(fragment_middle)),
                      -shift_distance * std::sin(radians(fragment_middle))};
    }
    part.rim = moved(point_on_ellipse(layout.top, fragment_middle), part.shift);
    part.rim.y += depth / 2;  // the front: halfway down the side wall
    part.share = share_text(fragment, total);

    PieSliceLayout& rest = layout.live;
    rest.start_degrees = part.start_degrees + fragment_span;
    rest.span_degrees = 360 - fragment_span;
    rest.rim = point_on_ellipse(layout.top, fragment_middle + 180);
    rest.share = total > 0 ? share_text(live, total) : "0%";

    const double left = layout.top.x;
    const double right = layout.top.right();
    rest.mark = mark_beside(rest.rim, true, left, right, mark_width, mark_height, height);
    rest.mark_edge = near_side(rest.mark, true);
    part.mark = mark_beside(part.rim, false, left, right, mark_width, mark_height, height);
    part.mark_edge = near_side(part.mark, false);
    return layout;
}

}  // namespace velmora::store
