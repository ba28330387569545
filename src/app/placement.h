// Whether the window stands where the program asked it to at its first
// show. Some compositors (weston, sway, GNOME's) place every new window
// themselves; saving that place at the exit would lose the user's stored
// one. So the stored place is kept unless the window stood where it was
// asked to be, or the user has dragged it since. Plain C++.
#pragma once

#include <optional>

#include "app/docking.h"

namespace velmora::app {

class Placement {
public:
    // The first show asked for `place` (nothing: the program chose none).
    void asked(std::optional<Point> place) { asked_ = place; }
    // Where the window stood once the window manager had placed it.
    void settled(Point actual);

    // The desktop put the window elsewhere than asked.
    bool refused() const { return refused_; }
    // The place to store at the exit, for a window standing at `actual`
    // that the user has (`dragged`) or has not moved since it was placed.
    Point to_save(Point actual, bool dragged) const;

private:
    std::optional<Point> asked_;
    bool refused_ = false;
};

}  // namespace velmora::app
