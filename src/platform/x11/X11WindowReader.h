#pragma once

#include "engine/ports/Accessibility.h"
#include "platform/x11/X11Displays.h"
#include "platform/x11/X11WindowManager.h"

#include <optional>

namespace tarnwick {

// Everything the placement asks about one window, read in one pipelined batch
// with the monitors and the pointer.
struct WindowFacts {
    X11Properties::WindowKind kind = X11Properties::WindowKind::Other;
    bool minimized = false;
    bool fullScreen = false;
    bool movable = false;
    xcb_atom_t maximized[2] = {0, 0};   // the _NET_WM_STATE_MAXIMIZED_* it holds
    Rect visibleFrame;                  // root coordinates
    X11Properties::FrameExtents shadow; // drawn by the client inside its window
    // What of the frame window is not the window: the client's shadow, or a
    // manager's invisible borders (metacity's are 23 to 29 pixels wide).
    X11Properties::FrameExtents hidden;
    std::optional<Monitor> primary;

    // The window's role, subrole, minimized and full-screen state, position
    // (in the engine's accessibility space) or size.
    AXError attribute(const std::string& attribute, AXAttributeValue& value) const;
};

class X11WindowReader {
public:
    X11WindowReader(X11Connection& connection, X11Displays& displays,
                    const X11WindowManager& manager)
        : x_(connection), displays_(displays), manager_(manager) {}

    // Kept for the connection's turn, so that the reads of one handling cost
    // one wait; none when the window is gone.
    // The frame is the root's child that holds the window.
    std::optional<WindowFacts> read(xcb_window_t window, xcb_window_t frame,
                                    std::uint64_t generation);
    // The facts read are stale (the window was moved, the connection lost).
    void forget() { cachedTurn_ = 0; }
    // The child of the root that holds the window.
    xcb_window_t topLevel(xcb_window_t window);

private:
    X11Connection& x_;
    X11Displays& displays_;
    const X11WindowManager& manager_;
    xcb_window_t cachedWindow_ = 0;
    std::uint64_t cachedGeneration_ = 0;
    std::optional<WindowFacts> cachedFacts_;
    std::uint64_t cachedTurn_ = 0;
};

} // namespace tarnwick
