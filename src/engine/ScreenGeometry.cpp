#include "engine/ScreenGeometry.h"

#include "engine/ports/Displays.h"

namespace tarnwick {

namespace {
// Bottom-left, y-up to top-left, y-down: only y changes, measured down from ref.
Rect toAXSpace(const Rect& r, double ref) {
    return Rect(rectGetMinX(r), ref - rectGetMaxY(r), rectGetWidth(r), rectGetHeight(r));
}
} // namespace

DisplaySnapshot DisplaySnapshot::take(Displays& displays) {
    const std::vector<Display> list = displays.screens();
    if (list.empty()) {
        return {};
    }
    // One list gives both the reference and the screens, so they always agree.
    const double ref = rectGetMaxY(list.front().frame);
    DisplaySnapshot snapshot;
    snapshot.screens.reserve(list.size());
    for (const Display& display : list) {
        snapshot.screens.push_back({toAXSpace(display.frame, ref),
                                    toAXSpace(display.visibleFrame, ref), display.localizedName});
    }
    const Point pointer = displays.mouseLocation();
    snapshot.pointer = {pointer.x, ref - pointer.y};
    return snapshot;
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
