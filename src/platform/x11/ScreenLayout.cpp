#include "platform/x11/ScreenLayout.h"

#include <algorithm>

namespace tarnwick::ScreenLayout {

Rect visibleArea(const Monitor& m, std::span<const X11Properties::Strut> struts,
                 std::uint32_t screenWidth, std::uint32_t screenHeight) {
    const std::int64_t mx = m.x, my = m.y, mRight = mx + m.width, mBottom = my + m.height;
    std::int64_t minX = mx, minY = my, maxX = mRight, maxY = mBottom;
    // Inclusive range [start, end] against the half-open [lo, hi).
    const auto crosses = [](std::int64_t start, std::int64_t end, std::int64_t lo,
                            std::int64_t hi) { return start < hi && end >= lo; };
    const std::int64_t sw = screenWidth, sh = screenHeight;
    for (const auto& s : struts) {
        if (s.left > 0 && crosses(s.leftStartY, s.leftEndY, my, mBottom) && s.left > mx) {
            minX = std::max(minX, std::min<std::int64_t>(s.left, mRight));
        }
        if (s.right > 0 && crosses(s.rightStartY, s.rightEndY, my, mBottom) &&
            sw - s.right < mRight) {
            maxX = std::min(maxX, std::max<std::int64_t>(sw - s.right, mx));
        }
        if (s.top > 0 && crosses(s.topStartX, s.topEndX, mx, mRight) && s.top > my) {
            minY = std::max(minY, std::min<std::int64_t>(s.top, mBottom));
        }
        if (s.bottom > 0 && crosses(s.bottomStartX, s.bottomEndX, mx, mRight) &&
            sh - s.bottom < mBottom) {
            maxY = std::min(maxY, std::max<std::int64_t>(sh - s.bottom, my));
        }
    }
    // Struts from opposite sides may overlap; the visible area then has no extent.
    return Rect(static_cast<double>(minX), static_cast<double>(minY),
                static_cast<double>(std::max<std::int64_t>(maxX - minX, 0)),
                static_cast<double>(std::max<std::int64_t>(maxY - minY, 0)));
}

Rect monitorRect(const Monitor& m) {
    return Rect(m.x, m.y, m.width, m.height);
}

Rect globalFromRoot(const Rect& root, const Monitor& primary) {
    const Rect r = rectStandardize(root);
    const double primaryBottom = static_cast<double>(primary.y) + primary.height;
    return Rect(r.origin.x - primary.x, primaryBottom - (r.origin.y + r.size.height), r.size.width,
                r.size.height);
}

Point globalFromRoot(const Point& root, const Monitor& primary) {
    return {root.x - primary.x, static_cast<double>(primary.y) + primary.height - root.y};
}

Point axFromRoot(const Point& root, const Monitor& primary) {
    return {root.x - primary.x, root.y - primary.y};
}

Point rootFromAX(const Point& ax, const Monitor& primary) {
    return {ax.x + primary.x, ax.y + primary.y};
}

} // namespace tarnwick::ScreenLayout
