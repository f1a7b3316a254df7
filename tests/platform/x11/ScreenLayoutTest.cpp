#include "platform/x11/ScreenLayout.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using X11Properties::Strut;

// Two monitors side by side on a 3200 x 1080 root: 1920 x 1080 and 1280 x 1024.
const Monitor kLeft{"L", 0, 0, 1920, 1080, true};
const Monitor kRight{"R", 1920, 0, 1280, 1024, false};

Strut bottom(std::uint32_t h, std::uint32_t from, std::uint32_t to) {
    return {.bottom = h, .bottomStartX = from, .bottomEndX = to};
}
Strut left(std::uint32_t w) {
    return {.left = w, .leftEndY = 1079};
}
Strut top(std::uint32_t h, std::uint32_t from, std::uint32_t to) {
    return {.top = h, .topStartX = from, .topEndX = to};
}

TEST(ScreenLayout, StrutsCountFromTheRootsEdgesOnlyWhereTheyCrossAMonitor) {
    const Strut right{.right = 64, .rightEndY = 1079};
    const struct {
        std::vector<Strut> struts;
        Monitor monitor;
        Rect visible;
    } cases[] = {
        {{bottom(40, 0, 1919)}, kLeft, Rect(0, 0, 1920, 1040)},
        {{bottom(40, 0, 1919)}, kRight, Rect(1920, 0, 1280, 1024)},
        // The right monitor is 56 rows shorter than the root: 44 of 100 rows reach it.
        {{bottom(100, 1920, 3199)}, kRight, Rect(1920, 0, 1280, 980)},
        // A left strut reaches the right monitor only when wider than the one to its left.
        {{left(50)}, kRight, Rect(1920, 0, 1280, 1024)},
        {{left(2000)}, kRight, Rect(2000, 0, 1200, 1024)},
        // A strut that leaves nothing is a broken panel: the whole monitor counts.
        {{left(5000)}, kRight, Rect(1920, 0, 1280, 1024)},
        {{top(30, 1920, 3199), right}, kRight, Rect(1920, 30, 1216, 994)},
        {{top(30, 1920, 3199), right}, kLeft, Rect(0, 0, 1920, 1080)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScreenLayout::visibleArea(c.monitor, c.struts, 3200, 1080), c.visible)
            << c.monitor.name << " " << c.visible.origin.x << "," << c.visible.size.width;
}

TEST(ScreenLayout, WorkAreaCountsWhereNoStrutExplainsIt) {
    // A 30-row top panel with a strut, and a 24-row bottom toolbar without one.
    const std::vector<Strut> struts{top(30, 0, 1919)};
    const std::vector<Monitor> both{kLeft, kRight};
    const auto extra =
        ScreenLayout::unexplainedWorkArea(Rect(0, 30, 3200, 1026), both, struts, 3200, 1080);
    ASSERT_EQ(extra.size(), 1u);
    const std::vector<Strut> all{struts.front(), extra.front()};
    EXPECT_EQ(ScreenLayout::visibleArea(kLeft, all, 3200, 1080), Rect(0, 30, 1920, 1026));
    // The right monitor ends 56 rows above the root's bottom, clear of the toolbar.
    EXPECT_EQ(ScreenLayout::visibleArea(kRight, all, 3200, 1080), Rect(1920, 0, 1280, 1024));
    // Nonsense, the primary monitor's alone, or cut to the shorter monitor's bottom: nothing.
    for (const Rect& area :
         {Rect(0, 0, 4000, 1080), Rect(0, 0, 0, 0), Rect(0, 0, 1920, 1080), Rect(0, 0, 3200, 1024)})
        EXPECT_TRUE(ScreenLayout::unexplainedWorkArea(area, both, {}, 3200, 1080).empty())
            << area.size.width << "x" << area.size.height;
}

TEST(ScreenLayout, MarginsOfAFrameWindowAroundWhatIsSeen) {
    // metacity's invisible borders.
    EXPECT_EQ(ScreenLayout::margins(Rect(24, 557, 652, 489), Rect(50, 580, 600, 437)),
              (X11Properties::FrameExtents{26, 26, 23, 29}));
    EXPECT_FALSE(ScreenLayout::margins(Rect(24, 557, 652, 489), Rect(20, 580, 600, 437)));
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

    // A monitor stacked above the primary has negative accessibility y.
    const Monitor above{"T", 0, 0, 2560, 1440, false};
    const Monitor below{"P", 320, 1440, 1920, 1080, true};
    EXPECT_EQ(ScreenLayout::globalFromRoot(ScreenLayout::monitorRect(above), below),
              Rect(-320, 1080, 2560, 1440));
    EXPECT_EQ(ScreenLayout::axFromRoot(Point{10, 20}, below), (Point{-310, -1420}));
}

} // namespace
} // namespace tarnwick
