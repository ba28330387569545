#include <gtest/gtest.h>

#include <vector>

#include "app/docking.h"

using namespace velmora::app;

namespace {

const Size window{330, 560};
const Size screen{1024, 768};

Rect at(int left, int top) {
    return {left, top, left + window.width, top + window.height};
}

// Runs a slide to its end and answers every position it passed.
std::vector<Point> run_slide(SlideMode mode, Point start) {
    std::vector<Point> positions;
    Point position = start;
    for (int tick = 0; tick < 100; ++tick) {
        SlideStep step = slide_tick(mode, position, window, screen);
        position = step.position;
        positions.push_back(position);
        if (step.finished) return positions;
    }
    ADD_FAILURE() << "slide never finished";
    return positions;
}

TEST(DragClamp, KeepsTheWindowOnTheScreen) {
    EXPECT_EQ(clamp_drag(at(-50, 100), window, screen), (Rect{0, 100, 330, 660}));
    EXPECT_EQ(clamp_drag(at(900, -20), window, screen), (Rect{694, 0, 1024, 560}));
    EXPECT_EQ(clamp_drag(at(300, 400), window, screen), (Rect{300, 208, 630, 768}));
    EXPECT_EQ(clamp_drag(at(100, 100), window, screen), at(100, 100));
}

TEST(DragClamp, EdgesTouchedAfterTheDrag) {
    EXPECT_EQ(docked_edges(clamp_drag(at(-5, 100), window, screen), screen), dock_left);
    EXPECT_EQ(docked_edges(clamp_drag(at(-5, -5), window, screen), screen), dock_left | dock_top);
    EXPECT_EQ(docked_edges(clamp_drag(at(2000, 2000), window, screen), screen),
              dock_right | dock_bottom);
    EXPECT_EQ(docked_edges(at(100, 100), screen), 0);
}

TEST(Watch, LaterEdgesWinAndInsideReveals) {
    EXPECT_EQ(watch_slide(0, true), no_slide);
    EXPECT_EQ(watch_slide(dock_left, false), hide_left);
    EXPECT_EQ(watch_slide(dock_left, true), reveal_left);
    EXPECT_EQ(watch_slide(dock_left | dock_top, false), hide_top);  // top beats left
    EXPECT_EQ(watch_slide(dock_top | dock_right, true), reveal_right);
    EXPECT_EQ(watch_slide(dock_right | dock_bottom, false), hide_bottom);
}

// Every edge pixel of the window counts, so the pointer resting on the
// screen's edge keeps a window docked there shown.
TEST(Watch, InsideIncludesEveryEdgePixel) {
    const Point at{0, 0};
    for (Point edge : {Point{0, 10}, Point{10, 0}, Point{0, 0}, Point{329, 10},
                       Point{10, window.height - 1}, Point{329, window.height - 1}}) {
        EXPECT_TRUE(cursor_inside(edge, at, window)) << edge.x << "," << edge.y;
    }
    for (Point beyond : {Point{-1, 10}, Point{10, -1}, Point{330, 10}, Point{10, window.height}}) {
        EXPECT_FALSE(cursor_inside(beyond, at, window)) << beyond.x << "," << beyond.y;
    }
    EXPECT_TRUE(cursor_inside({0, 10}, {-326, 0}, window));  // on the 4-pixel strip
    EXPECT_TRUE(cursor_inside({3, 10}, {-326, 0}, window));
    EXPECT_FALSE(cursor_inside({4, 10}, {-326, 0}, window));
    const Point top_strip{100, 4 - window.height};
    EXPECT_TRUE(cursor_inside({150, 0}, top_strip, window));
    EXPECT_FALSE(cursor_inside({150, 4}, top_strip, window));
}

TEST(Slides, HideLeftInThirtyPixelStepsLeavingAFourPixelStrip) {
    std::vector<Point> path = run_slide(hide_left, {0, 100});
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path[0], (Point{-30, 100}));
    EXPECT_EQ(path[1], (Point{-60, 100}));
    EXPECT_EQ(path.back(), (Point{4 - 330, 100}));
    EXPECT_EQ(path.size(), 12u);  // 11 steps (overshooting to -330), then the end position
    std::vector<Point> back = run_slide(reveal_left, path.back());
    EXPECT_EQ(back.back(), (Point{0, 100}));
}

TEST(Slides, HideTopInFiftyPixelStepsLeavingTheBottomStrip) {
    std::vector<Point> path = run_slide(hide_top, {200, 0});
    EXPECT_EQ(path[0], (Point{200, -50}));
    EXPECT_EQ(path.back(), (Point{200, 4 - 560}));
    EXPECT_EQ(run_slide(reveal_top, path.back()).back(), (Point{200, 0}));
}

TEST(Slides, RightAndBottomEndPositions) {
    EXPECT_EQ(run_slide(hide_right, {694, 50}).back(), (Point{1020, 50}));
    EXPECT_EQ(run_slide(reveal_right, {1020, 50}).back(), (Point{694, 50}));
    EXPECT_EQ(run_slide(hide_bottom, {10, 208}).back(), (Point{10, 764}));
    EXPECT_EQ(run_slide(reveal_bottom, {10, 764}).back(), (Point{10, 208}));
}

TEST(Slides, ARevealOfAShownWindowEndsAtOnce) {
    SlideStep step = slide_tick(reveal_left, {0, 100}, window, screen);
    EXPECT_TRUE(step.finished);
    EXPECT_EQ(step.position, (Point{0, 100}));
    EXPECT_TRUE(slide_tick(no_slide, {5, 5}, window, screen).finished);
}

}  // namespace
