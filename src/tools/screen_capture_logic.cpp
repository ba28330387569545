#include "tools/screen_capture_logic.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::tools {

CaptureRect selection_between(CapturePoint first, CapturePoint second) {
    return {std::min(first.x, second.x), std::min(first.y, second.y), std::abs(second.x - first.x),
            std::abs(second.y - first.y)};
}

namespace {

void add_clipped(std::vector<CaptureRect>& strips, CaptureRect strip, int width, int height) {
    const int left = std::max(strip.left, 0);
    const int top = std::max(strip.top, 0);
    const int right = std::min(strip.left + strip.width, width);
    const int bottom = std::min(strip.top + strip.height, height);
    if (right > left && bottom > top) strips.push_back({left, top, right - left, bottom - top});
}

// The outline through both corners, corners included: top and bottom rows
// span the full width, the side columns only the rows between them.
void band_strips(std::vector<CaptureRect>& strips, CapturePoint a, CapturePoint b, int width,
                 int height) {
    const int left = std::min(a.x, b.x);
    const int right = std::max(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int bottom = std::max(a.y, b.y);
    const int across = right - left + 1;
    add_clipped(strips, {left, top, across, 1}, width, height);
    if (bottom == top) return;
    add_clipped(strips, {left, bottom, across, 1}, width, height);
    const int inner = bottom - top - 1;
    if (inner <= 0) return;
    add_clipped(strips, {left, top + 1, 1, inner}, width, height);
    if (right != left) add_clipped(strips, {right, top + 1, 1, inner}, width, height);
}

}  // namespace

std::vector<CaptureRect> figure_strips(const CaptureFigure& figure, int picture_width,
                                       int picture_height) {
    std::vector<CaptureRect> strips;
    switch (figure.kind) {
        case CaptureFigure::Kind::none: break;
        case CaptureFigure::Kind::crosshair: {
            // The full-height column, then the row split around it.
            const CapturePoint at = figure.a;
            add_clipped(strips, {at.x, 0, 1, picture_height}, picture_width, picture_height);
            add_clipped(strips, {0, at.y, at.x, 1}, picture_width, picture_height);
            add_clipped(strips, {at.x + 1, at.y, picture_width - at.x - 1, 1}, picture_width,
                        picture_height);
            break;
        }
        case CaptureFigure::Kind::band:
            band_strips(strips, figure.a, figure.b, picture_width, picture_height);
            break;
    }
    return strips;
}

void CaptureTracker::begin() {
    cross_.reset();
    start_ = cur_ = {};
    crossing_ = true;
    selecting_ = false;
    finished_ = false;
}

void CaptureTracker::mouse_move(CapturePoint at) {
    if (selecting_) {
        cur_ = at;
    } else if (crossing_) {
        cross_ = at;
    }
}

std::optional<CaptureRect> CaptureTracker::mouse_down(CapturePoint at) {
    if (finished_) return std::nullopt;
    if (!selecting_) {
        // The crosshair goes away; the band starts as a single point.
        crossing_ = false;
        cross_.reset();
        start_ = cur_ = at;
        selecting_ = true;
        return std::nullopt;
    }
    selecting_ = false;
    finished_ = true;
    return selection_between(start_, at);
}

CaptureFigure CaptureTracker::figure() const {
    if (selecting_) return {CaptureFigure::Kind::band, start_, cur_};
    if (crossing_ && cross_) return {CaptureFigure::Kind::crosshair, *cross_, *cross_};
    return {};
}

PictureFormat SaveFilterMemory::choose(int chosen_filter) {
    if (chosen_filter == 1) return PictureFormat::jpeg;
    default_extension_ = "*.bmp";
    filter_index_ = 2;
    return PictureFormat::bitmap;
}

}  // namespace velmora::tools
