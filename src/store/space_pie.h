// Where the parts of the data management's tilted pie go: the two slices
// (live data and fragment space), their side walls and the two marks with
// their leader lines, worked out in plain numbers so that the drawing only
// paints what is decided here.
//
// The pie is turned so that the fragment slice always faces the viewer at
// the front right and the live slice's middle lies opposite, at the back
// left. The two marks then sit on either side of the pie whatever the
// shares are: they can never cover each other, nor a slice.
#pragma once

#include <string>

namespace velmora::store {

struct PiePoint {
    double x = 0;
    double y = 0;
};

struct PieRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
};

struct PieSliceLayout {
    double start_degrees = 0;  // counter-clockwise from three o'clock
    double span_degrees = 0;
    PiePoint shift;      // how far the slice stands out of the pie
    PiePoint rim;        // the leader line's start, on the slice's edge
    PieRect mark;        // the mark's two lines of text
    PiePoint mark_edge;  // the leader line's end, on the mark's near side
    std::string share;   // "67%", "<1%", ">99%"
};

struct SpacePieLayout {
    PieRect top;   // the ellipse of the pie's upper face (before any shift)
    double depth;  // how far the side walls reach down
    PieSliceLayout live;
    PieSliceLayout fragment;
};

// `mark_width` and `mark_height` are what each mark's text needs; the
// pie takes the room between the marks, at most `max_pie_width` wide.
SpacePieLayout lay_out_space_pie(double live, double fragment, double width, double height,
                                 double mark_width, double mark_height, double max_pie_width = 170);

// A share in whole percent; a share that rounds to 0 or 100 but is not
// says so ("<1%", ">99%"), so a small fragment space never reads "0%".
std::string share_text(double part, double total);

// The point at `degrees` on the rim of the ellipse inside `box`.
PiePoint point_on_ellipse(const PieRect& box, double degrees);

}  // namespace velmora::store
