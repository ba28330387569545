#include "app/widgets/docking_glue.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace velmora::app {

namespace {

Point top_left(const QRect& frame) {
    return {frame.left(), frame.top()};
}

Size size_of(const QRect& frame) {
    return {frame.width(), frame.height()};
}

}  // namespace

DockingGlue::DockingGlue(QWidget& window, QTimer& watch, QTimer& slide)
    : window_(window), watch_(watch), slide_(slide) {
    watch_.setInterval(10);
    slide_.setInterval(5);
    QObject::connect(&watch_, &QTimer::timeout, &window_, [this] { Timer1Timer(); });
    QObject::connect(&slide_, &QTimer::timeout, &window_, [this] { Timer_formhideTimer(); });
}

Size DockingGlue::screen_size() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize(1024, 768);
    return {size.width(), size.height()};
}

void DockingGlue::move_to(Point position) {
    placed_at_[placed_next_] = position;
    placed_next_ = (placed_next_ + 1) % placed_at_.size();
    window_.move(position.x, position.y);
}

bool DockingGlue::placed_by_program(Point position) const {
    return std::find(placed_at_.begin(), placed_at_.end(), position) != placed_at_.end();
}

// Any other move, once the window has settled at its first place, is the
// user dragging it: the nearest thing X11 has to a drag notification.
void DockingGlue::moved() {
    const QRect frame = window_.frameGeometry();
    if (embedded_ || !tracking_ || slide_.isActive()) return;
    if (placed_by_program(top_left(frame))) return;
    dragged_ = true;
    formmoving({frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1});
}

void DockingGlue::formmoving(Rect proposed) {
    const Size window = size_of(window_.frameGeometry());
    const Rect clamped = clamp_drag(proposed, window, screen_size());
    if (clamped.left != proposed.left || clamped.top != proposed.top) {
        move_to({clamped.left, clamped.top});
    }
    edges_ = docked_edges(clamped, screen_size());
    if (edges_ != 0) {
        watch_.start();
    } else {
        watch_.stop();
    }
}

// A cursor query and a few comparisons. A slide that would end where the
// window already is starts no timer, so the steady state allocates nothing.
void DockingGlue::Timer1Timer() {
    if (slide_.isActive()) return;  // a slide runs to its end first
    const QRect frame = window_.frameGeometry();
    const QPoint cursor = QCursor::pos();
    // A held button is a drag or a click in progress: the window stays.
    const bool held = QGuiApplication::mouseButtons() != Qt::NoButton;
    const bool inside = held || window_.underMouse() ||
                        cursor_inside({cursor.x(), cursor.y()}, top_left(frame), size_of(frame));
    // Brought out on request, the window stays out until the pointer has
    // been over it and left, as if the user had brought it out by hand.
    if (inside) held_out_ = false;
    if (held_out_) return;
    const SlideMode mode = watch_slide(edges_, inside);
    if (mode == no_slide) return;
    const SlideStep first = slide_tick(mode, top_left(frame), size_of(frame), screen_size());
    if (first.finished && first.position == top_left(frame)) return;
    formhide(mode);
}

bool DockingGlue::slid_away() const {
    const SlideMode mode = watch_slide(edges_, true);
    if (mode == no_slide) return false;
    const QRect frame = window_.frameGeometry();
    const SlideStep step = slide_tick(mode, top_left(frame), size_of(frame), screen_size());
    return !step.finished || step.position != top_left(frame);
}

void DockingGlue::reveal() {
    if (!slid_away()) return;
    held_out_ = true;
    formhide(watch_slide(edges_, true));
}

void DockingGlue::formhide(SlideMode mode) {
    mode_ = mode;
    if (!slide_.isActive()) slide_.start();
}

void DockingGlue::Timer_formhideTimer() {
    const QRect frame = window_.frameGeometry();
    const SlideStep step = slide_tick(mode_, top_left(frame), size_of(frame), screen_size());
    move_to(step.position);
    if (step.finished) slide_.stop();
}

}  // namespace velmora::app
