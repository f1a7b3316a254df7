#include "platform/x11/ScreenLayout.h"

#include <algorithm>
#include <cmath>

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
    if (maxX <= minX || maxY <= minY) {
        return monitorRect(m);
    }
    return Rect(static_cast<double>(minX), static_cast<double>(minY),
                static_cast<double>(maxX - minX), static_cast<double>(maxY - minY));
}

std::vector<X11Properties::Strut> unexplainedWorkArea(const Rect& workArea,
                                                      std::span<const Monitor> monitors,
                                                      std::span<const X11Properties::Strut> struts,
                                                      std::uint32_t screenWidth,
                                                      std::uint32_t screenHeight) {
    const double sw = screenWidth, sh = screenHeight;
    const Rect wa = rectStandardize(workArea);
    if (wa.size.width <= 0 || wa.size.height <= 0 || wa.origin.x < 0 || wa.origin.y < 0 ||
        wa.origin.x + wa.size.width > sw || wa.origin.y + wa.size.height > sh) {
        return {};
    }
    for (const Monitor& m : monitors) {
        const bool overlaps = m.x < wa.origin.x + wa.size.width && wa.origin.x < m.x + m.width &&
                              m.y < wa.origin.y + wa.size.height && wa.origin.y < m.y + m.height;
        if (!overlaps) {
            return {};
        }
    }
    const auto inset = [](double v) { return static_cast<std::uint32_t>(std::lround(v)); };
    const std::uint32_t left = inset(wa.origin.x), top = inset(wa.origin.y);
    const std::uint32_t right = inset(sw - wa.origin.x - wa.size.width);
    const std::uint32_t bottom = inset(sh - wa.origin.y - wa.size.height);
    std::uint32_t maxLeft = 0, maxRight = 0, maxTop = 0, maxBottom = 0;
    for (const auto& s : struts) {
        maxLeft = std::max(maxLeft, s.left);
        maxRight = std::max(maxRight, s.right);
        maxTop = std::max(maxTop, s.top);
        maxBottom = std::max(maxBottom, s.bottom);
    }
    // An edge on a monitor's edge follows the layout (some managers cut the
    // work area to the smallest monitor), not a panel.
    const auto onMonitorEdge = [&](std::int64_t edge, auto monitorEdge) {
        return std::any_of(monitors.begin(), monitors.end(),
                           [&](const Monitor& m) { return monitorEdge(m) == edge; });
    };
    const std::int64_t waRight = screenWidth - std::int64_t{right};
    const std::int64_t waBottom = screenHeight - std::int64_t{bottom};
    const std::uint32_t lastX = screenWidth - 1, lastY = screenHeight - 1;
    std::vector<X11Properties::Strut> result;
    if (left > maxLeft && !onMonitorEdge(left, [](const Monitor& m) { return m.x; })) {
        result.push_back({.left = left, .leftEndY = lastY});
    }
    if (right > maxRight &&
        !onMonitorEdge(waRight, [](const Monitor& m) { return std::int64_t{m.x} + m.width; })) {
        result.push_back({.right = right, .rightEndY = lastY});
    }
    if (top > maxTop && !onMonitorEdge(top, [](const Monitor& m) { return m.y; })) {
        result.push_back({.top = top, .topEndX = lastX});
    }
    if (bottom > maxBottom &&
        !onMonitorEdge(waBottom, [](const Monitor& m) { return std::int64_t{m.y} + m.height; })) {
        result.push_back({.bottom = bottom, .bottomEndX = lastX});
    }
    return result;
}

Rect visibleFrame(const Point& clientOrigin, double width, double height, double border,
                  const X11Properties::FrameExtents& managerFrame,
                  const X11Properties::FrameExtents& clientShadow) {
    const auto& f = managerFrame;
    Rect outer(clientOrigin.x - border - f.left, clientOrigin.y - border - f.top,
               width + 2 * border + f.left + f.right, height + 2 * border + f.top + f.bottom);
    const auto& s = clientShadow;
    if (double(s.left) + s.right >= width || double(s.top) + s.bottom >= height) {
        return outer;
    }
    return Rect(outer.origin.x + s.left, outer.origin.y + s.top,
                outer.size.width - s.left - s.right, outer.size.height - s.top - s.bottom);
}

std::optional<X11Properties::FrameExtents> margins(const Rect& outer, const Rect& inner) {
    const double left = inner.origin.x - outer.origin.x;
    const double right = outer.origin.x + outer.size.width - inner.origin.x - inner.size.width;
    const double top = inner.origin.y - outer.origin.y;
    const double bottom = outer.origin.y + outer.size.height - inner.origin.y - inner.size.height;
    if (std::min({left, right, top, bottom}) < 0) {
        return std::nullopt;
    }
    const auto width = [](double d) { return static_cast<std::uint32_t>(d); };
    return X11Properties::FrameExtents{width(left), width(right), width(top), width(bottom)};
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
