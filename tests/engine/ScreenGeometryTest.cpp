#include "engine/ScreenGeometry.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using fakes::FakePlatform;

namespace {

TEST(DisplaySnapshot, ConvertsDisplaysAndPointerIntoTopLeftSpace) {
    FakePlatform platform;
    EXPECT_TRUE(DisplaySnapshot::take(platform.displays).screens.empty());

    // The reference is the primary's full frame, also for displays above and below it
    // and for the pointer; visible frames convert like frames.
    platform.displays.displays = {
        {Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 760), "P"},
        {Rect(0, 800, 1200, 900), Rect(0, 800, 1200, 900), "Above"},
        {Rect(100, -1500, 1600, 1500), Rect(100, -1450, 1600, 1450), "Below"},
    };
    platform.displays.mouse = {700, -1000};
    const DisplaySnapshot stacked = DisplaySnapshot::take(platform.displays);
    ASSERT_EQ(stacked.screens.size(), 3u);
    EXPECT_EQ(stacked.screens[0].visibleFrame, Rect(0, 40, 1000, 760));
    EXPECT_EQ(stacked.screens[1].frame, Rect(0, -900, 1200, 900));
    EXPECT_EQ(stacked.screens[2].frame, Rect(100, 800, 1600, 1500));
    EXPECT_EQ(stacked.screens[2].visibleFrame, Rect(100, 800, 1600, 1450));
    EXPECT_EQ(stacked.pointer, (Point{700, 1800}));
}

TEST(ScreenGeometry, ContainmentIsHalfOpenAndFirstListedWins) {
    FakePlatform platform;
    platform.useExampleDisplays();
    auto list = DisplaySnapshot::take(platform.displays).screens;
    auto nameAt = [&list](double x, double y) {
        const auto s = ScreenGeometry::screenContainingAXPoint({x, y}, list);
        return s ? s->name : "none";
    };
    EXPECT_EQ(nameAt(1920, 0), "Second");
    EXPECT_EQ(nameAt(1919.5, 0), "Primary");
    EXPECT_EQ(nameAt(100, 1080), "none");
    EXPECT_EQ(nameAt(10, 5), "Primary"); // the panel strip, outside the visible frame
    EXPECT_EQ(nameAt(1920, -160.5), "none");

    list[1] = list[0];
    list[1].name = "Mirror";
    EXPECT_EQ(nameAt(5, 5), "Primary");
    EXPECT_NE(list[0], list[1]);
    list[1] = list[0];
    list[1].visibleFrame = list[1].frame;
    EXPECT_NE(list[0], list[1]);
}

} // namespace
