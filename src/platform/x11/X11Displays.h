#pragma once

#include "engine/ports/Displays.h"
#include "platform/x11/ScreenLayout.h"
#include "platform/x11/X11Connection.h"

#include <optional>
#include <vector>
#include <xcb/randr.h>
#include <xcb/xinerama.h>

namespace tarnwick {

// The display list from RandR 1.5 monitors, else Xinerama heads, else the root
// window, with visible frames from the dock windows' struts.
class X11Displays : public Displays {
public:
    explicit X11Displays(X11Connection& connection) : x_(connection) {}

    std::vector<Display> screens() override;
    Point mouseLocation() override;

    // The monitor query in two halves, so that callers can pipeline it with
    // their own requests.
    struct MonitorRequest {
        bool sent = false;
        xcb_randr_get_monitors_cookie_t monitors{};
        bool randr = false;
        xcb_xinerama_query_screens_cookie_t heads{};
        bool xinerama = false;
        xcb_get_geometry_cookie_t rootGeometry{};
    };
    struct MonitorList {
        std::vector<Monitor> monitors;               // primary first
        std::vector<xcb_randr_output_t> firstOutput; // per monitor; 0 when none
        std::vector<xcb_atom_t> nameAtom;            // per monitor; 0 when none
        std::uint32_t rootWidth = 0, rootHeight = 0;
    };
    MonitorRequest sendMonitorRequest();
    std::optional<MonitorList> collectMonitors(const MonitorRequest& request);

private:
    X11Connection& x_;
};

} // namespace tarnwick
