#include "engine/AXHelpers.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;

namespace {

TEST(AXHelpers, ReadsTypedValuesAndTurnsEveryFailureIntoAbsence) {
    FakeAccessibility ax;
    auto element = makeStandardWindow(1, {5, 6}, {7, 8});
    EXPECT_EQ(AXHelpers::point(ax, element, "AXPosition"), (Point{5, 6}));
    EXPECT_EQ(AXHelpers::size(ax, element, "AXSize"), (Size{7, 8}));
    EXPECT_EQ(AXHelpers::copyValue<std::string>(ax, element, "AXRole"), "AXWindow");
    EXPECT_EQ(AXHelpers::copyValue<bool>(ax, element, "AXMinimized"), false);

    // Values of the wrong kind, or a type code that does not match the payload.
    element->attributes["AXFrame"] = AXValue{};
    element->attributes["AXTitle"] = 42.0;
    element->attributes["AXHidden"] = std::string("false");
    element->attributes["AXValue"] = AXValue{AXValueType::CGSize, Point{1, 1}};
    element->attributes["AXOrigin"] = AXValue{AXValueType::CGPoint, Size{1, 1}};
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXSize"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXPosition"));
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXFrame"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXRole"));
    EXPECT_FALSE(AXHelpers::copyValue<std::string>(ax, element, "AXTitle"));
    EXPECT_FALSE(AXHelpers::copyValue<std::string>(ax, element, "AXMinimized"));
    EXPECT_FALSE(AXHelpers::copyValue<bool>(ax, element, "AXHidden"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXValue"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXOrigin"));

    // Unsupported attributes, errors that come with a value, and no element.
    EXPECT_FALSE(AXHelpers::copyValue<bool>(ax, element, "AXModal"));
    element->readErrors = {{"AXPosition", kAXErrorCannotComplete},
                           {"AXSize", kAXErrorNoValue},
                           {"AXRole", kAXErrorFailure},
                           {"AXMinimized", kAXErrorCannotComplete}};
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXPosition"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXSize"));
    EXPECT_FALSE(AXHelpers::copyValue<std::string>(ax, element, "AXRole"));
    EXPECT_FALSE(AXHelpers::copyValue<bool>(ax, element, "AXMinimized"));
    EXPECT_FALSE(AXHelpers::point(ax, nullptr, "AXPosition"));
}

} // namespace
