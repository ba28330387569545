// The rules of a region capture that need no window: which rectangle two
// clicks choose, which one-pixel strips of the frozen picture the crosshair
// and the rubber band cover, where the capture stands between the clicks,
// and which file type the save dialog offers first.
#pragma once

#include <optional>
#include <vector>

namespace velmora::tools {

struct CapturePoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CapturePoint&, const CapturePoint&) = default;
};

struct CaptureRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const CaptureRect&, const CaptureRect&) = default;
};

// The area between two corners: the same upright rectangle whichever corner
// was clicked first. Both clicks on one row or column give an empty area.
CaptureRect selection_between(CapturePoint first, CapturePoint second);

// What the capture window shows over the still picture: nothing, the
// crosshair through one point, or the rubber band between two corners.
struct CaptureFigure {
    enum class Kind { none, crosshair, band };
    Kind kind = Kind::none;
    CapturePoint a;
    CapturePoint b;
    friend bool operator==(const CaptureFigure&, const CaptureFigure&) = default;
};

// The one-pixel strips, clipped to the picture, whose pixels the figure
// inverts. No pixel lies in two strips, so each is inverted exactly once.
std::vector<CaptureRect> figure_strips(const CaptureFigure& figure, int picture_width,
                                       int picture_height);

// Where a capture stands: the crosshair follows the mouse until the first
// click, the rubber band follows it until the second; the second click
// answers the chosen area.
class CaptureTracker {
public:
    // A new capture: nothing drawn yet, the crosshair waits for the mouse.
    void begin();
    void mouse_move(CapturePoint at);
    // Answers the chosen area on the second click, nothing on the first.
    std::optional<CaptureRect> mouse_down(CapturePoint at);

    bool selecting() const { return selecting_; }
    bool finished() const { return finished_; }
    CaptureFigure figure() const;

private:
    std::optional<CapturePoint> cross_;  // none before the first move
    CapturePoint start_;
    CapturePoint cur_;
    bool crossing_ = false;
    bool selecting_ = false;
    bool finished_ = false;
};

// The save dialog's two file types, in the order of its filter.
enum class PictureFormat { jpeg, bitmap };

// In Chinese like the rest of the dialog.
inline constexpr const char* jpeg_filter_name = "JPEG 图片 (*.jpg)";
inline constexpr const char* bitmap_filter_name = "位图 (*.bmp)";

// The save dialog's settings, kept for the whole run: once a picture has
// been saved as a bitmap, later captures offer bitmaps first.
class SaveFilterMemory {
public:
    int filter_index() const { return filter_index_; }  // 1 JPEG, 2 bitmap
    const char* default_extension() const { return default_extension_; }
    // The format of the filter the user chose (1-based, as the dialog
    // counts); any filter but the first saves a bitmap and is remembered.
    PictureFormat choose(int chosen_filter);

private:
    int filter_index_ = 1;
    const char* default_extension_ = "*.jpg";
};

}  // namespace velmora::tools
