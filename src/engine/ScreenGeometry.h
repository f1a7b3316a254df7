#pragma once

#include "engine/Geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

class Displays;

// One display in the accessibility space: origin at the primary display's
// top-left corner, x to the right, y downward.
struct ScreenGeometry {
    Rect frame;
    Rect visibleFrame;
    std::string name;

    // A fresh snapshot of the displays, primary first; empty when there is none.
    static std::vector<ScreenGeometry> currentScreens(Displays& displays);
    // The first screen whose frame contains the point.
    static std::optional<ScreenGeometry>
    screenContainingAXPoint(const Point& point, const std::vector<ScreenGeometry>& screens);

    friend bool operator==(const ScreenGeometry& a, const ScreenGeometry& b);
};

} // namespace tarnwick
