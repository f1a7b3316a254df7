#pragma once

#include "engine/ports/Displays.h"
#include "platform/x11/ScreenLayout.h"
#include "platform/x11/X11Connection.h"

#include <functional>
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

    // The struts of the docks in root coordinates, for a screen of the given size.
    std::function<std::vector<X11Properties::Strut>(std::uint32_t, std::uint32_t)> struts;

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
    };
    bool needsSnapshot() { return snapshotTurn_ != x_.turn(); }
    MonitorRequest sendMonitorRequest();
    void takeSnapshot(const MonitorRequest& request);
    // The primary monitor of this turn; none when the server lists none.
    std::optional<Monitor> primaryMonitor();

private:
    struct MonitorList {
        std::vector<Monitor> monitors;               // primary first
        std::vector<xcb_randr_output_t> firstOutput; // per monitor; 0 when none
        std::vector<xcb_atom_t> nameAtom;            // per monitor; 0 when none
        std::uint32_t rootWidth = 0, rootHeight = 0;
    };
    struct Snapshot {
        std::optional<MonitorList> list;
        std::optional<Point> pointer; // root coordinates; none on another X screen
        std::optional<std::vector<Display>> displays;
    };
    Snapshot& snapshot();
    std::optional<MonitorList> collectMonitors(const MonitorRequest& request);
    void nameMonitors(MonitorList& list);

    X11Connection& x_;
    Snapshot snapshot_;
    std::uint64_t snapshotTurn_ = 0;
};

} // namespace tarnwick
