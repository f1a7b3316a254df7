#include "engine/AXHelpers.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;

namespace {

TEST(AXHelpersTest, ValuesOfTheWrongKindReadAsAbsent) {
    FakeAccessibility ax;
    auto element = std::make_shared<FakeElement>(1);
    element->attributes["AXPosition"] = AXValue::size({3, 4});
    element->attributes["AXSize"] = AXValue::point({1, 2});
    element->attributes["AXFrame"] = AXValue::rect(Rect(1, 2, 3, 4));
    element->attributes["AXRole"] = 42.0;
    element->attributes["AXTitle"] = true;
    element->attributes["AXMinimized"] = std::string("false");

    EXPECT_FALSE(AXHelpers::point(ax, element, "AXPosition"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXSize"));
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXFrame"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXRole"));
    EXPECT_FALSE(AXHelpers::copyValue<std::string>(ax, element, "AXRole"));
    EXPECT_FALSE(AXHelpers::copyValue<std::string>(ax, element, "AXTitle"));
    EXPECT_FALSE(AXHelpers::copyValue<bool>(ax, element, "AXMinimized"));
}

TEST(AXHelpersTest, ReadsTypedValuesAndTurnsErrorsIntoAbsence) {
    FakeAccessibility ax;
    auto element = makeStandardWindow(1, {5, 6}, {7, 8});
    EXPECT_EQ(AXHelpers::point(ax, element, "AXPosition"), (Point{5, 6}));
    EXPECT_EQ(AXHelpers::size(ax, element, "AXSize"), (Size{7, 8}));
    EXPECT_EQ(AXHelpers::copyValue<std::string>(ax, element, "AXRole"), "AXWindow");
    EXPECT_EQ(AXHelpers::copyValue<bool>(ax, element, "AXMinimized"), false);

    // Unsupported, failing and mistyped payloads are absent, not false.
    EXPECT_FALSE(AXHelpers::copyValue<bool>(ax, element, "AXHidden"));
    element->readErrors["AXPosition"] = kAXErrorCannotComplete;
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXPosition"));
    element->attributes["AXSize"] = AXValue{AXValueType::CGSize, Point{1, 1}};
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXSize"));
    EXPECT_FALSE(AXHelpers::point(ax, nullptr, "AXPosition"));
}

} // namespace
