#pragma once

// The placement rule, written independently of the engine so that the real
// program is checked against the rule and not against itself. Root
// coordinates serve directly: the rule only uses differences and offsets, so
// the shift to the primary monitor's corner cancels out.

#include "XQuery.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Strut {
    enum Side { Left, Right, Top, Bottom } side;
    double size, start, end; // as in _NET_WM_STRUT_PARTIAL: from the root's edge, inclusive range
};

struct Screen {
    Rect frame, visible;
    std::string name;
};

// A monitor less the struts that lie on it, each measured from the root's edge and
// counted only where its start-end range crosses the monitor. Struts that leave
// nothing are a broken panel, and leave the whole monitor.
inline Rect visibleFrame(const Rect& m, const std::vector<Strut>& struts, double rootWidth,
                         double rootHeight) {
    double left = m.x, top = m.y, right = m.x + m.width, bottom = m.y + m.height;
    for (const Strut& s : struts) {
        const bool horizontal = s.side == Strut::Top || s.side == Strut::Bottom;
        const double lo = horizontal ? m.x : m.y, hi = horizontal ? m.x + m.width : m.y + m.height;
        if (s.size <= 0 || s.end < lo || s.start >= hi)
            continue;
        switch (s.side) {
        case Strut::Left:
            left = std::max(left, s.size);
            break;
        case Strut::Right:
            right = std::min(right, rootWidth - s.size);
            break;
        case Strut::Top:
            top = std::max(top, s.size);
            break;
        case Strut::Bottom:
            bottom = std::min(bottom, rootHeight - s.size);
            break;
        }
    }
    if (right <= left || bottom <= top)
        return m;
    return {left, top, right - left, bottom - top};
}

// Where a window with the outer frame w ends up when the pointer is at (px, py);
// nothing when it stays where it is.
inline std::optional<std::pair<double, double>>
expectedPosition(const Rect& w, double px, double py, const std::vector<Screen>& screens,
                 std::string* targetName = nullptr) {
    if (screens.size() < 2)
        return std::nullopt;
    auto under = [&](double x, double y) -> const Screen* {
        for (const Screen& s : screens)
            if (s.frame.contains(x, y))
                return &s;
        return nullptr;
    };
    const Screen* target = under(px, py);
    const Screen* source = under(w.x + w.width * 0.5, w.y + w.height * 0.5);
    if (!target || !source || target == source)
        return std::nullopt;
    const Rect& sv = source->visible;
    const Rect& tv = target->visible;
    const double fromX = std::max(sv.width - w.width, 1.0);
    const double fromY = std::max(sv.height - w.height, 1.0);
    const double rx = std::clamp((w.x - sv.x) / fromX, 0.0, 1.0);
    const double ry = std::clamp((w.y - sv.y) / fromY, 0.0, 1.0);
    const double toX = std::max(tv.width - w.width, 0.0);
    const double toY = std::max(tv.height - w.height, 0.0);
    if (targetName)
        *targetName = target->name;
    return std::pair{tv.x + toX * rx, tv.y + toY * ry};
}

} // namespace e2e
