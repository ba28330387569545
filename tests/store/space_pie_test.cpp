// The tilted pie's layout: both marks readable beside the pie whatever the
// shares, the slices making up the whole pie, and the shares as read.
#include <gtest/gtest.h>

#include <cmath>

#include "store/space_pie.h"

namespace {

using velmora::store::lay_out_space_pie;
using velmora::store::PieRect;
using velmora::store::share_text;

bool inside(const PieRect& inner, double width, double height) {
    return inner.x >= 0 && inner.y >= 0 && inner.right() <= width && inner.bottom() <= height;
}

bool apart(const PieRect& a, const PieRect& b) {
    return a.right() <= b.x || b.right() <= a.x || a.bottom() <= b.y || b.bottom() <= a.y;
}

TEST(SpacePie, BothMarksLieInsideBesideThePieAndApartForEveryShare) {
    const double width = 288, height = 151, mark_width = 62, mark_height = 30;
    for (const auto& [live, fragment] : {std::pair{1.0, 0.0},
                                         {1.0, 0.0001},
                                         {1.0, 0.5},
                                         {1.0, 1.0},
                                         {0.01, 5.0},
                                         {0.0, 2.0},
                                         {0.0, 0.0}}) {
        SCOPED_TRACE(testing::Message() << live << " / " << fragment);
        const auto pie = lay_out_space_pie(live, fragment, width, height, mark_width, mark_height);
        // The pie with its walls and the slice that stands out of it.
        const PieRect body{pie.top.x - 6, pie.top.y - 6, pie.top.width + 12,
                           pie.top.height + pie.depth + 12};
        EXPECT_TRUE(inside(body, width, height));
        for (const auto* slice : {&pie.live, &pie.fragment}) {
            EXPECT_TRUE(inside(slice->mark, width, height));
            EXPECT_TRUE(apart(slice->mark, body));
            EXPECT_GE(slice->span_degrees, 0);
        }
        EXPECT_TRUE(apart(pie.live.mark, pie.fragment.mark));
        EXPECT_LT(pie.live.mark.right(), pie.fragment.mark.x);
        EXPECT_DOUBLE_EQ(pie.live.span_degrees + pie.fragment.span_degrees, 360);
        // The fragment slice faces the viewer, at the front right.
        const double middle =
            (pie.fragment.start_degrees + pie.fragment.span_degrees / 2) * M_PI / 180;
        EXPECT_GT(std::cos(middle), 0);
        EXPECT_LT(std::sin(middle), 0);
    }
}

TEST(SpacePie, ThePieTakesTheRoomBetweenTheMarksAndNoMore) {
    const auto narrow = lay_out_space_pie(1, 1, 200, 151, 62, 30);
    EXPECT_DOUBLE_EQ(narrow.top.width, 200 - 2 * (62 + 10));
    EXPECT_DOUBLE_EQ(narrow.top.height, narrow.top.width / 2);
    const auto wide = lay_out_space_pie(1, 1, 600, 151, 62, 30);
    EXPECT_DOUBLE_EQ(wide.top.width, 170);
    // A whole pie does not stand out of itself.
    const auto whole = lay_out_space_pie(0, 3, 288, 151, 62, 30);
    EXPECT_DOUBLE_EQ(whole.fragment.shift.x, 0);
    EXPECT_DOUBLE_EQ(whole.fragment.shift.y, 0);
}

TEST(SpacePie, SharesNeverReadZeroOrWholeWhenTheyAreNot) {
    EXPECT_EQ(share_text(1, 3), "33%");
    EXPECT_EQ(share_text(2, 3), "67%");
    EXPECT_EQ(share_text(0.001, 100), "<1%");
    EXPECT_EQ(share_text(99.999, 100), ">99%");
    EXPECT_EQ(share_text(0, 100), "0%");
    EXPECT_EQ(share_text(100, 100), "100%");
    EXPECT_EQ(share_text(0, 0), "0%");
}

}  // namespace
