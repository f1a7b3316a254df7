#include "engine/ScreenGeometry.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using fakes::FakePlatform;

namespace {

class ScreenGeometryTest : public ::testing::Test {
protected:
    FakePlatform platform;
    std::vector<ScreenGeometry> screens() {
        return ScreenGeometry::currentScreens(platform.displays);
    }
};

TEST_F(ScreenGeometryTest, ConvertsTheExampleDisplaysIntoTopLeftSpace) {
    platform.useExampleDisplays();
    const auto result = screens();
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0].frame, Rect(0, 0, 1920, 1080));
    EXPECT_EQ(result[0].visibleFrame, Rect(0, 25, 1920, 985));
    EXPECT_EQ(result[0].name, "Primary");
    EXPECT_EQ(result[1].frame, Rect(1920, -160, 2560, 1440));
    EXPECT_EQ(result[1].visibleFrame, Rect(1920, -135, 2560, 1415));
}

TEST_F(ScreenGeometryTest, ReferenceIsThePrimaryFullFrameEvenAboveIt) {
    // A display above the primary gets a negative y; one to its left a negative x.
    platform.displays.displays = {
        {Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 760), "P"},
        {Rect(0, 800, 1200, 900), Rect(0, 800, 1200, 900), "Above"},
        {Rect(-1280, 0, 1280, 1024), Rect(-1280, 0, 1280, 1024), "Left"},
    };
    const auto result = screens();
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].visibleFrame, Rect(0, 40, 1000, 760));
    EXPECT_EQ(result[1].frame, Rect(0, -900, 1200, 900));
    EXPECT_EQ(result[2].frame, Rect(-1280, -224, 1280, 1024));
}

TEST_F(ScreenGeometryTest, NoDisplaysGiveNothing) {
    EXPECT_TRUE(screens().empty());
    EXPECT_FALSE(ScreenGeometry::screenContainingAXPoint({0, 0}, {}).has_value());
}

TEST_F(ScreenGeometryTest, ContainmentIsHalfOpenAndFirstListedWins) {
    platform.useExampleDisplays();
    const auto list = screens();
    auto nameAt = [&](double x, double y) -> std::string {
        auto s = ScreenGeometry::screenContainingAXPoint({x, y}, list);
        return s ? s->name : "none";
    };
    EXPECT_EQ(nameAt(1920, 0), "Second");
    EXPECT_EQ(nameAt(1919.5, 0), "Primary");
    EXPECT_EQ(nameAt(100, 1080), "none");
    EXPECT_EQ(nameAt(0, 0), "Primary");
    EXPECT_EQ(nameAt(10, 5), "Primary"); // the menu-bar strip, outside the visible frame
    EXPECT_EQ(nameAt(1920, -160), "Second");
    EXPECT_EQ(nameAt(4480, 0), "none");

    std::vector<ScreenGeometry> mirrored = {list[0], list[0]};
    mirrored[1].name = "Mirror";
    EXPECT_EQ(ScreenGeometry::screenContainingAXPoint({5, 5}, mirrored)->name, "Primary");
}

TEST_F(ScreenGeometryTest, ZeroSizedFramesContainNothing) {
    const std::vector<ScreenGeometry> list = {{Rect(0, 0, 0, 100), Rect(0, 0, 0, 100), "thin"},
                                              {Rect(0, 0, 100, 0), Rect(0, 0, 100, 0), "flat"}};
    EXPECT_FALSE(ScreenGeometry::screenContainingAXPoint({0, 0}, list).has_value());
}

TEST_F(ScreenGeometryTest, EqualityComparesFrameVisibleFrameAndName) {
    const ScreenGeometry a{Rect(0, 0, 10, 10), Rect(0, 1, 10, 9), "A"};
    ScreenGeometry b = a;
    EXPECT_EQ(a, b);
    b.visibleFrame = Rect(0, 0, 10, 10);
    EXPECT_NE(a, b);
    EXPECT_NE(a, (ScreenGeometry{a.frame, a.visibleFrame, "B"}));
    b = a;
    b.frame = Rect(10, 10, -10, -10); // the same rectangle, not standardized
    EXPECT_EQ(a, b);
}

} // namespace
