#include "engine/ScreenGeometry.h"

#include "engine/ports/Displays.h"

namespace tarnwick {

namespace {
// Bottom-left, y-up to top-left, y-down: only y changes, measured down from ref.
Rect toAXSpace(const Rect& r, double ref) {
    return Rect(rectGetMinX(r), ref - rectGetMaxY(r), rectGetWidth(r), rectGetHeight(r));
}
} // namespace

std::vector<ScreenGeometry> ScreenGeometry::currentScreens(Displays& displays) {
    const std::vector<Display> first = displays.screens();
    if (first.empty()) {
        return {};
    }
    const double ref = rectGetMaxY(first.front().frame);

    // The list is read again, as the platform's list may have changed in between;
    // the reference stays the one taken from the first read.
    const std::vector<Display> list = displays.screens();
    std::vector<ScreenGeometry> screens;
    screens.reserve(list.size());
    for (const Display& display : list) {
        screens.push_back({toAXSpace(display.frame, ref), toAXSpace(display.visibleFrame, ref),
                           display.localizedName});
    }
    return screens;
}

std::optional<ScreenGeometry>
ScreenGeometry::screenContainingAXPoint(const Point& point,
                                        const std::vector<ScreenGeometry>& screens) {
    for (const ScreenGeometry& screen : screens) {
        if (rectContainsPoint(screen.frame, point)) {
            return screen;
        }
    }
    return std::nullopt;
}

bool operator==(const ScreenGeometry& a, const ScreenGeometry& b) {
    return rectEqualToRect(a.frame, b.frame) && rectEqualToRect(a.visibleFrame, b.visibleFrame) &&
           a.name == b.name;
}

} // namespace tarnwick
