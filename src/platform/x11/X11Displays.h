#pragma once

#include "engine/ports/Displays.h"
#include "platform/x11/DockStruts.h"
#include "platform/x11/MonitorNames.h"
#include "platform/x11/ScreenLayout.h"
#include "platform/x11/X11Connection.h"

#include <functional>
#include <optional>
#include <vector>
#include <xcb/randr.h>
#include <xcb/xinerama.h>

namespace tarnwick {

// The display list from RandR 1.5 monitors, else Xinerama heads, else the root
// window, with visible frames from the dock windows' struts and the work area.
class X11Displays : public Displays {
public:
    explicit X11Displays(X11Connection& connection)
        : x_(connection), names_(connection), docks_(connection) {}

    // Asks for RandR's change events on a new connection.
    void attach();
    void handleEvent(const xcb_generic_event_t& event);

    std::vector<Display> screens() override;
    Point mouseLocation() override;

    // The docks whose struts shrink the visible frames; fed with the windows shown.
    DockStruts& docks() { return docks_; }

    // The monitors and the pointer are read once per turn of the connection.
    // A caller may pipeline that reading with its own requests: send when a
    // snapshot is needed, and take it after its round trip.
    struct MonitorRequest {
        bool sent = false;
        xcb_randr_get_monitors_cookie_t monitors{};
        bool randr = false;
        xcb_xinerama_query_screens_cookie_t heads{};
        bool xinerama = false;
        xcb_get_geometry_cookie_t rootGeometry{};
        xcb_query_pointer_cookie_t pointer{};
        xcb_get_property_cookie_t workArea{}, desktop{};
    };
    bool needsSnapshot() { return snapshotTurn_ != x_.turn(); }
    MonitorRequest sendMonitorRequest();
    void takeSnapshot(const MonitorRequest& request);
    // The primary monitor of this turn; none when the server lists none.
    std::optional<Monitor> primaryMonitor();
    // The first monitor of this turn that holds the point (root coordinates).
    std::optional<Monitor> monitorAt(const Point& root);

private:
    struct MonitorList {
        std::vector<Monitor> monitors;               // primary first
        std::vector<xcb_randr_output_t> firstOutput; // per monitor; 0 when none
        std::vector<xcb_atom_t> nameAtom;            // per monitor; 0 when none
        std::uint32_t rootWidth = 0, rootHeight = 0;
        std::optional<X11Properties::Area> workArea;
    };
    struct Snapshot {
        std::optional<MonitorList> list;
        std::optional<Point> pointer; // root coordinates; none on another X screen
        std::optional<std::vector<Display>> displays;
    };
    Snapshot& snapshot();
    std::optional<MonitorList> collectMonitors(const MonitorRequest& request);

    X11Connection& x_;
    MonitorNames names_; // emptied by any RandR event
    DockStruts docks_;
    Snapshot snapshot_;
    std::uint64_t snapshotTurn_ = 0;
};

} // namespace tarnwick
