#pragma once

#include "platform/x11/X11ClientReader.h"
#include "platform/x11/X11Connection.h"

#include <optional>
#include <utility>

namespace tarnwick {

// The running window manager, known by the check window it names on the root;
// it is gone when that window ends or stops naming itself.
class X11WindowManager {
public:
    X11WindowManager(X11Connection& connection, X11ClientReader& reader)
        : x_(connection), reader_(reader) {}

    // Reads who runs now; the manager's process, when one runs and tells it.
    std::optional<Pid> detect();
    // Notes a sign that the manager may have changed.
    void handleEvent(const xcb_generic_event_t& event);
    // True once after a sign that the manager may have changed.
    bool takeChange() { return std::exchange(changed_, false); }
    void clear();

    bool running() const { return checkWindow_ != 0; }
    // True when it lists _NET_WM_ALLOWED_ACTIONS as supported.
    bool publishesAllowedActions() const { return allowedActions_; }

private:
    X11Connection& x_;
    X11ClientReader& reader_;
    xcb_window_t checkWindow_ = 0;
    bool allowedActions_ = false;
    bool changed_ = false;
};

} // namespace tarnwick
