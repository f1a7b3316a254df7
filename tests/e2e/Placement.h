#pragma once

// The placement rule, written independently of the engine so that the real
// program is checked against the rule and not against itself. Root
// coordinates serve directly: the rule only uses differences and offsets, so
// the shift to the primary monitor's corner cancels out.

#include "VirtualDesktop.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Strut {
    enum Side { Top, Bottom } side;
    double size, start, end; // as in _NET_WM_STRUT_PARTIAL: from the root's edge, inclusive x range
};

struct Screen {
    Rect frame, visible;
    std::string name;
};

// The monitors as the program should see them: primary first, each less the
// struts that lie on it, measured from the root's edge and counted only where
// their x range crosses the monitor. Struts that leave nothing are a broken
// panel, and leave the whole monitor.
inline std::vector<Screen> screensOf(const std::vector<Monitor>& monitors,
                                     const std::vector<Strut>& struts, double rootHeight) {
    std::vector<Screen> result;
    for (const Monitor& m : monitors) {
        const Rect& f = m.frame;
        double top = f.y, bottom = f.y + f.height;
        for (const Strut& s : struts) {
            if (s.size <= 0 || s.end < f.x || s.start >= f.x + f.width)
                continue;
            if (s.side == Strut::Top)
                top = std::max(top, s.size);
            else
                bottom = std::min(bottom, rootHeight - s.size);
        }
        const Screen screen{f, bottom > top ? Rect{f.x, top, f.width, bottom - top} : f, m.output};
        result.insert(m.primary ? result.begin() : result.end(), screen);
    }
    return result;
}

// Where a window with the outer frame w ends up when the pointer is at (px, py);
// nothing when it stays where it is.
inline std::optional<std::pair<double, double>>
expectedPosition(const Rect& w, double px, double py, const std::vector<Screen>& screens,
                 std::string* targetName = nullptr) {
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
