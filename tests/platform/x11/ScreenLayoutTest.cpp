#include "platform/x11/ScreenLayout.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using X11Properties::Strut;

// Two monitors side by side on a 3200 x 1080 root: 1920 x 1080 and 1280 x 1024.
const Monitor kLeft{"L", 0, 0, 1920, 1080, true};
const Monitor kRight{"R", 1920, 0, 1280, 1024, false};

Strut bottomPanel(std::uint32_t height, std::uint32_t fromX, std::uint32_t toX) {
    Strut s;
    s.bottom = height;
    s.bottomStartX = fromX;
    s.bottomEndX = toX;
    return s;
}

TEST(ScreenLayout, PartialStrutCountsOnlyOnTheMonitorsItCrosses) {
    const std::vector<Strut> struts{bottomPanel(40, 0, 1919)};
    EXPECT_EQ(ScreenLayout::visibleArea(kLeft, struts, 3200, 1080), Rect(0, 0, 1920, 1040));
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, struts, 3200, 1080), Rect(1920, 0, 1280, 1024));
}

TEST(ScreenLayout, StrutsAreMeasuredFromTheScreensEdgesAndClipped) {
    // The right monitor is 56 rows shorter than the root: a 100-row bottom
    // strut reaches only 44 rows into it.
    EXPECT_EQ(
        ScreenLayout::visibleArea(kRight, std::vector{bottomPanel(100, 1920, 3199)}, 3200, 1080),
        Rect(1920, 0, 1280, 980));
    // A left strut of the root does not reach the right monitor at all...
    Strut left;
    left.left = 50;
    left.leftEndY = 1079;
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, std::vector{left}, 3200, 1080),
              Rect(1920, 0, 1280, 1024));
    // ...unless it is wider than the monitor to its left.
    left.left = 2000;
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, std::vector{left}, 3200, 1080),
              Rect(2000, 0, 1200, 1024));
    // A strut that leaves nothing is a broken panel: the whole monitor counts.
    left.left = 5000;
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, std::vector{left}, 3200, 1080),
              Rect(1920, 0, 1280, 1024));
    Strut top;
    top.top = 30;
    top.topStartX = 1920;
    top.topEndX = 3199;
    Strut right;
    right.right = 64;
    right.rightEndY = 1079;
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, std::vector{top, right}, 3200, 1080),
              Rect(1920, 30, 1216, 994));
    EXPECT_EQ(ScreenLayout::visibleArea(kLeft, std::vector{top, right}, 3200, 1080),
              Rect(0, 0, 1920, 1080));
}

TEST(ScreenLayout, WorkAreaCountsWhereNoStrutExplainsIt) {
    // A 30-row top panel with a strut, and a 24-row bottom toolbar without one.
    Strut top;
    top.top = 30;
    top.topEndX = 1919;
    const std::vector<Strut> struts{top};
    const std::vector<Monitor> both{kLeft, kRight};
    const auto extra =
        ScreenLayout::unexplainedWorkArea(Rect(0, 30, 3200, 1026), both, struts, 3200, 1080);
    ASSERT_EQ(extra.size(), 1u);
    std::vector<Strut> all{top, extra.front()};
    EXPECT_EQ(ScreenLayout::visibleArea(kLeft, all, 3200, 1080), Rect(0, 30, 1920, 1026));
    // The right monitor ends 56 rows above the root's bottom, clear of the toolbar.
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, all, 3200, 1080), Rect(1920, 0, 1280, 1024));
    // Nonsense work areas, and one that is only the primary monitor's, count for nothing.
    EXPECT_TRUE(
        ScreenLayout::unexplainedWorkArea(Rect(0, 0, 4000, 1080), both, {}, 3200, 1080).empty());
    EXPECT_TRUE(ScreenLayout::unexplainedWorkArea(Rect(0, 0, 0, 0), both, {}, 3200, 1080).empty());
    EXPECT_TRUE(
        ScreenLayout::unexplainedWorkArea(Rect(0, 0, 1920, 1080), both, {}, 3200, 1080).empty());
    // Nor one cut to the shorter monitor's bottom.
    EXPECT_TRUE(
        ScreenLayout::unexplainedWorkArea(Rect(0, 0, 3200, 1024), both, {}, 3200, 1080).empty());
}

TEST(ScreenLayout, GlobalSpaceHasItsOriginAtThePrimarysBottomLeft) {
    // The primary sits right of another monitor and lower than the root's top.
    const Monitor primary{"P", 1280, 200, 1920, 1080, true};
    const Monitor other{"O", 0, 0, 1280, 1024, false};
    EXPECT_EQ(ScreenLayout::globalFromRoot(ScreenLayout::monitorRect(primary), primary),
              Rect(0, 0, 1920, 1080));
    EXPECT_EQ(ScreenLayout::globalFromRoot(ScreenLayout::monitorRect(other), primary),
              Rect(-1280, 256, 1280, 1024));
    const Point pointer{100, 300};
    EXPECT_EQ(ScreenLayout::globalFromRoot(pointer, primary), (Point{-1180, 980}));
    EXPECT_EQ(ScreenLayout::axFromRoot(pointer, primary), (Point{-1180, 100}));
    EXPECT_EQ(ScreenLayout::rootFromAX(Point{-1180, 100}, primary), pointer);
}

TEST(ScreenLayout, MonitorStackedAbovePrimaryGetsNegativeAccessibilityY) {
    const Monitor top{"T", 0, 0, 2560, 1440, false};
    const Monitor primary{"P", 320, 1440, 1920, 1080, true};
    // The engine turns the global space into accessibility space with the
    // primary's top edge as reference: y_ax = 1080 - maxY.
    const Rect g = ScreenLayout::globalFromRoot(ScreenLayout::monitorRect(top), primary);
    EXPECT_EQ(g, Rect(-320, 1080, 2560, 1440));
    EXPECT_EQ(1080 - (g.origin.y + g.size.height), -1440);
    EXPECT_EQ(ScreenLayout::axFromRoot(Point{10, 20}, primary), (Point{-310, -1420}));
}

} // namespace
} // namespace tarnwick
