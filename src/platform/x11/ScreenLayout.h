#pragma once

#include "engine/Geometry.h"
#include "platform/x11/X11Properties.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick {

// One monitor in root-window coordinates (origin top-left, y down).
struct Monitor {
    std::string name;
    std::int32_t x = 0, y = 0;
    std::int32_t width = 0, height = 0;
    bool primary = false;
};

// The arithmetic between X's root space and the engine's spaces. The engine's
// global space is bottom-left, y-up with its origin at the primary monitor's
// bottom-left corner, so its accessibility space is the root space shifted by
// the primary monitor's top-left corner.
namespace ScreenLayout {

// The monitor's rectangle less the struts that reach into it, in root coordinates.
// Struts are measured from the X screen's edges; a partial strut counts only
// where its range crosses the monitor. Struts that would leave nothing (a broken
// panel) leave the whole monitor.
Rect visibleArea(const Monitor& monitor, std::span<const X11Properties::Strut> struts,
                 std::uint32_t screenWidth, std::uint32_t screenHeight);

// The room _NET_WORKAREA reserves at the X screen's edges that no strut
// explains (a panel that publishes none), as struts spanning those edges. A
// work area that leaves out a whole monitor describes something else (some
// managers publish the primary monitor's) and reserves nothing.
std::vector<X11Properties::Strut> unexplainedWorkArea(const Rect& workArea,
                                                      std::span<const Monitor> monitors,
                                                      std::span<const X11Properties::Strut> struts,
                                                      std::uint32_t screenWidth,
                                                      std::uint32_t screenHeight);

// What the user sees as a window, in root coordinates: the client window (its
// inside's root origin, size and border) widened by the manager's frame and
// narrowed by the shadow margins a client draws itself (_GTK_FRAME_EXTENTS),
// which count only when they leave some window.
Rect visibleFrame(const Point& clientOrigin, double width, double height, double border,
                  const X11Properties::FrameExtents& managerFrame,
                  const X11Properties::FrameExtents& clientShadow);

// The widths of outer's edges around inner, when inner lies within it.
std::optional<X11Properties::FrameExtents> margins(const Rect& outer, const Rect& inner);

Rect monitorRect(const Monitor& monitor);
Rect globalFromRoot(const Rect& root, const Monitor& primary);
Point globalFromRoot(const Point& root, const Monitor& primary);
Point axFromRoot(const Point& root, const Monitor& primary);
Point rootFromAX(const Point& ax, const Monitor& primary);

} // namespace ScreenLayout
} // namespace tarnwick
