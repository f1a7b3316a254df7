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

    // The first screen whose frame contains the point.
    static std::optional<ScreenGeometry>
    screenContainingAXPoint(const Point& point, const std::vector<ScreenGeometry>& screens);

    friend bool operator==(const ScreenGeometry& a, const ScreenGeometry& b);
};

// The displays and the pointer as one reading, both in the accessibility space.
struct DisplaySnapshot {
    std::vector<ScreenGeometry> screens; // primary first; empty when there is none
    Point pointer;

    static DisplaySnapshot take(Displays& displays);
};

} // namespace tarnwick
