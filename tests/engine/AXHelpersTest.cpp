#include "engine/AXHelpers.h"

#include "fakes/FakePlatform.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;

namespace {

TEST(AXHelpers, ReadsTypedValuesAndTurnsEveryFailureIntoAbsence) {
    FakeAccessibility ax;
    auto element = makeStandardWindow(1, {5, 6}, {7, 8});
    EXPECT_EQ(AXHelpers::size(ax, element, "AXSize"), (Size{7, 8}));
    EXPECT_EQ(AXHelpers::copyValue<std::string>(ax, element, "AXRole"), "AXWindow");

    // Values of the wrong kind, a type code that does not match the payload, no value.
    element->attributes["AXTitle"] = 42.0;
    element->attributes["AXValue"] = AXValue{AXValueType::CGSize, Point{1, 1}};
    element->attributes["AXOrigin"] = AXValue{AXValueType::CGPoint, Size{1, 1}};
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXPosition"));
    EXPECT_FALSE(AXHelpers::copyValue<std::string>(ax, element, "AXTitle"));
    EXPECT_FALSE(AXHelpers::copyValue<bool>(ax, element, "AXRole"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXValue"));
    EXPECT_FALSE(AXHelpers::size(ax, element, "AXOrigin"));
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXModal"));

    // An error that comes with a value.
    element->readErrors = {{"AXPosition", kAXErrorCannotComplete}};
    EXPECT_FALSE(AXHelpers::point(ax, element, "AXPosition"));
}

} // namespace
