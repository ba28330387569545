// The main window's docking, between the window system and the geometry of
// docking.h: it tells the user's drags from the program's own moves, keeps
// the watch timer running while the window touches an edge, and steps the
// slides. The two timers are the window's; this class only drives them.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <cstddef>

#include "app/docking.h"

namespace velmora::app {

class DockingGlue {
public:
    DockingGlue(QWidget& window, QTimer& watch, QTimer& slide);

    // The window moved, by the user or by the program.
    void moved();
    // A drag proposes this frame rectangle: kept on the screen, then docked
    // at the edges it touches.
    void formmoving(Rect proposed);
    // The watch, every 10 ms while docked.
    void Timer1Timer();
    void formhide(SlideMode mode);
    // One slide step, every 5 ms while a slide runs.
    void Timer_formhideTimer();

    // A move of the program's own, never taken for a drag.
    void move_to(Point position);
    // Docked and slid (partly) out of sight.
    bool slid_away() const;
    // Slides a window docked out of sight back onto the screen, where it
    // stays until the pointer has passed over it.
    void reveal();
    // The window manager has placed the window: later moves are drags.
    void start_tracking() { tracking_ = true; }
    // Embedded in the desktop, the window never docks.
    void never_dock() { embedded_ = true; }
    DockEdges docked_at() const { return edges_; }
    // The user has moved the window since it was placed.
    bool dragged() const { return dragged_; }

private:
    Size screen_size() const;
    bool placed_by_program(Point position) const;

    QWidget& window_;
    QTimer& watch_;
    QTimer& slide_;
    DockEdges edges_ = 0;
    SlideMode mode_ = no_slide;
    bool embedded_ = false;
    bool tracking_ = false;
    bool dragged_ = false;
    bool held_out_ = false;
    // Where the program itself last put the window: the window system reports
    // those moves back, late and sometimes many at once. A slide is up to a
    // dozen steps, so the last few slides are remembered whole: a late report
    // of a slide's step taken for a drag would clamp the window back onto the
    // screen and start the slide again.
    std::array<Point, 32> placed_at_{};
    std::size_t placed_next_ = 0;
};

}  // namespace velmora::app
