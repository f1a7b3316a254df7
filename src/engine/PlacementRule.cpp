#include "engine/PlacementRule.h"

namespace tarnwick {

namespace {

// Also turns a not-a-number into the floor.
double atLeast(double value, double floor) {
    return value > floor ? value : floor;
}

// Also turns a not-a-number into 0.
double clampUnit(double value) {
    if (!(value > 0)) {
        return 0;
    }
    return value < 1 ? value : 1;
}

} // namespace

Point relativePlacement(const Point& position, const Size& size, const Rect& fromVisible,
                        const Rect& toVisible) {
    // A floor of 1 keeps the division finite for a window as large as the frame.
    const double fromX = atLeast(rectGetWidth(fromVisible) - size.width, 1);
    const double fromY = atLeast(rectGetHeight(fromVisible) - size.height, 1);
    const double rx = clampUnit((position.x - rectGetMinX(fromVisible)) / fromX);
    const double ry = clampUnit((position.y - rectGetMinY(fromVisible)) / fromY);
    const double toX = atLeast(rectGetWidth(toVisible) - size.width, 0);
    const double toY = atLeast(rectGetHeight(toVisible) - size.height, 0);
    return {rectGetMinX(toVisible) + toX * rx, rectGetMinY(toVisible) + toY * ry};
}

} // namespace tarnwick
