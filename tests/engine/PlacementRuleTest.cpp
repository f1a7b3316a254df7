#include "engine/PlacementRule.h"

#include <gtest/gtest.h>
#include <limits>

using namespace tarnwick;

namespace {

// The visible frames of the worked example (whose windows the controller's tests
// place), in the accessibility space; their free room for an 800 x 600 window is
// 1120 x 385 and 1760 x 815.
const Rect kPrimary(0, 25, 1920, 985);
const Rect kSecond(1920, -135, 2560, 1415);
// Two displays stacked vertically, of different sizes on both axes.
const Rect kTop(0, 0, 1000, 800);
const Rect kBelow(200, 800, 1600, 2000);

struct Case {
    Point position;
    Size size;
    Point expected;
};

void expectPlacements(const Rect& from, const Rect& to, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.position.x << ", " << c.position.y);
        const Point moved = relativePlacement(c.position, c.size, from, to);
        EXPECT_DOUBLE_EQ(moved.x, c.expected.x);
        EXPECT_DOUBLE_EQ(moved.y, c.expected.y);
    }
}

TEST(RelativePlacement, KeepsTheRelativePlaceInTheFreeRoom) {
    expectPlacements(
        kPrimary, kSecond,
        {
            // Outside the source's room: the target's matching edge.
            {{-50, 100}, {800, 600}, {1920, -135 + 815 * (75.0 / 385)}},
            {{1500, 25}, {800, 600}, {3680, -135}},
            // Less than a point of room: the floor of 1 on the source.
            {{0.25, 25}, {1919.5, 600}, {1920 + 640.5 * 0.25, -135}},
            {{300, 25.25}, {1000, 984.5}, {1920 + 1560 * (300.0 / 920), -135 + 107.625}},
        });
    expectPlacements(kTop, kBelow,
                     {{{50, 150}, {800, 600}, {200 + 800 * 0.25, 800 + 1400 * 0.75}}});
    // Larger than the target on an axis: that axis starts at the visible minimum.
    expectPlacements(kBelow, kTop,
                     {
                         {{600, 1500}, {800, 600}, {100, 100}},
                         {{450, 1050}, {600, 1500}, {100, 0}},
                         {{600, 1100}, {1100, 500}, {0, 60}},
                     });
    // Unknown room counts as none.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    expectPlacements(Rect(0, nan, 1920, nan), Rect(1920, -135, nan, 1415),
                     {{{560, 217.5}, {800, 600}, {1920, -135}}});
}

} // namespace
