#include "engine/ScreenGeometry.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using fakes::FakePlatform;

namespace {

TEST(ScreenGeometry, ContainmentIsHalfOpenAndFirstListedWins) {
    FakePlatform platform;
    EXPECT_TRUE(DisplaySnapshot::take(platform.displays).screens.empty());
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
