#include "engine/PlacementRule.h"

#include <gtest/gtest.h>
#include <limits>

using namespace tarnwick;

namespace {

// The visible frames of the worked example, in the accessibility space.
const Rect kPrimary(0, 25, 1920, 985);
const Rect kSecond(1920, -135, 2560, 1415);
// Two displays stacked vertically, of different sizes on both axes.
const Rect kTop(0, 0, 1000, 800);
const Rect kBelow(200, 800, 1600, 2000);

struct Case {
    const char* name;
    Point position;
    Size size;
    Rect from;
    Rect to;
    Point expected;
};

TEST(RelativePlacement, KeepsTheRelativePlaceInTheFreeRoom) {
    const Case cases[] = {
        {"worked example, centred", {560, 217.5}, {800, 600}, kPrimary, kSecond, {2800, 272.5}},
        {"worked example, larger than both",
         {10, 25},
         {2000, 1200},
         kPrimary,
         kSecond,
         {2480, -135}},
        {"left of the source: the target's left edge",
         {-50, 100},
         {800, 600},
         kPrimary,
         kSecond,
         {1920, -135 + 815 * (75.0 / 385)}},
        {"right edge beyond the source's: the target's right edge",
         {1500, 25},
         {800, 600},
         kPrimary,
         kSecond,
         {3680, -135}},
        {"above the source: the target's top",
         {100, -300},
         {800, 600},
         kPrimary,
         kSecond,
         {1920 + 1760 * (100.0 / 1120), -135}},
        {"below the source: the target's bottom",
         {100, 900},
         {800, 600},
         kPrimary,
         kSecond,
         {1920 + 1760 * (100.0 / 1120), -135 + 815}},
        {"downward, a quarter across and three quarters down",
         {50, 150},
         {800, 600},
         kTop,
         kBelow,
         {200 + 800 * 0.25, 800 + 1400 * 0.75}},
        {"upward", {200 + 400, 800 + 700}, {800, 600}, kBelow, kTop, {100, 100}},
        // Less than a point of room: the floor of 1 on the source, not the room.
        {"narrower room than a point",
         {0.25, 25},
         {1919.5, 600},
         kPrimary,
         kSecond,
         {1920 + 640.5 * 0.25, -135}},
        {"shallower room than a point",
         {300, 25.25},
         {1000, 984.5},
         kPrimary,
         kSecond,
         {1920 + 1560 * (300.0 / 920), -135 + 430.5 * 0.25}},
        // Larger than the target on an axis: that axis starts at the visible minimum.
        {"taller than the target, half way down", {450, 1050}, {600, 1500}, kBelow, kTop, {100, 0}},
        {"wider than the target, most of the way across",
         {600, 1100},
         {1100, 500},
         kBelow,
         kTop,
         {0, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Point moved = relativePlacement(c.position, c.size, c.from, c.to);
        EXPECT_DOUBLE_EQ(moved.x, c.expected.x);
        EXPECT_DOUBLE_EQ(moved.y, c.expected.y);
    }
}

TEST(RelativePlacement, UnknownRoomCountsAsNone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Point moved = relativePlacement({560, 217.5}, {800, 600}, Rect(0, nan, 1920, nan),
                                          Rect(1920, -135, nan, 1415));
    EXPECT_EQ(moved, (Point{1920, -135}));
}

} // namespace
