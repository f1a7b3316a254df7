#include "platform/x11/X11Displays.h"

#include "app/Logging.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnwick {

void X11Displays::attach() {
    names_.clear();
    snapshotTurn_ = 0;
    if (x_.hasRandr15()) {
        xcb_randr_select_input(
            x_.xcb(), x_.root(),
            XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE |
                XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    }
}

void X11Displays::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t base = x_.randrEventBase();
    const std::uint8_t type = event.response_type & 0x7F;
    if (base != 0 &&
        (type == base + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == base + XCB_RANDR_NOTIFY)) {
        names_.clear();
    }
}

X11Displays::MonitorRequest X11Displays::sendMonitorRequest() {
    MonitorRequest r;
    xcb_connection_t* c = x_.xcb();
    if (c == nullptr) {
        return r;
    }
    r.sent = true;
    r.rootGeometry = xcb_get_geometry(c, x_.root());
    if (x_.hasRandr15()) {
        r.monitors = xcb_randr_get_monitors(c, x_.root(), 1);
        r.randr = true;
    }
    if (x_.hasXinerama()) {
        r.heads = xcb_xinerama_query_screens(c);
        r.xinerama = true;
    }
    r.pointer = xcb_query_pointer(c, x_.root());
    r.workArea = x_.requestProperty(x_.root(), x_.atoms().netWorkarea, 4 * 64);
    r.desktop = x_.requestProperty(x_.root(), x_.atoms().netCurrentDesktop, 1);
    return r;
}

void X11Displays::takeSnapshot(const MonitorRequest& request) {
    const std::uint64_t turn = x_.turn();
    snapshot_ = Snapshot{};
    snapshot_.list = collectMonitors(request);
    if (request.sent) {
        auto p = x_.reply<xcb_query_pointer_reply_t>(xcb_query_pointer_reply, request.pointer);
        // A pointer on another X screen has no place in this one.
        if (p && p->same_screen != 0) {
            snapshot_.pointer =
                Point{static_cast<double>(p->root_x), static_cast<double>(p->root_y)};
        }
    }
    snapshotTurn_ = turn;
}

X11Displays::Snapshot& X11Displays::snapshot() {
    if (needsSnapshot()) {
        const MonitorRequest request = sendMonitorRequest();
        takeSnapshot(request);
    }
    return snapshot_;
}

std::optional<Monitor> X11Displays::primaryMonitor() {
    const Snapshot& s = snapshot();
    if (!s.list) {
        return std::nullopt;
    }
    return s.list->monitors.front();
}

std::optional<Monitor> X11Displays::monitorAt(const Point& root) {
    const Snapshot& s = snapshot();
    if (s.list) {
        for (const Monitor& m : s.list->monitors) {
            if (rectContainsPoint(ScreenLayout::monitorRect(m), root)) {
                return m;
            }
        }
    }
    return std::nullopt;
}

std::optional<X11Displays::MonitorList>
X11Displays::collectMonitors(const MonitorRequest& request) {
    if (!request.sent) {
        return std::nullopt;
    }
    auto geometry =
        x_.reply<xcb_get_geometry_reply_t>(xcb_get_geometry_reply, request.rootGeometry);
    XcbPtr<xcb_randr_get_monitors_reply_t> randr;
    if (request.randr) {
        randr = x_.reply<xcb_randr_get_monitors_reply_t>(xcb_randr_get_monitors_reply,
                                                         request.monitors);
    }
    XcbPtr<xcb_xinerama_query_screens_reply_t> heads;
    if (request.xinerama) {
        heads = x_.reply<xcb_xinerama_query_screens_reply_t>(xcb_xinerama_query_screens_reply,
                                                             request.heads);
    }
    const auto workArea = x_.takeProperty(request.workArea);
    const auto desktop = x_.takeProperty(request.desktop);
    if (!geometry) {
        return std::nullopt;
    }
    MonitorList list;
    if (workArea) {
        const auto current = desktop ? X11Properties::cardinal(*desktop) : std::nullopt;
        list.workArea = X11Properties::workArea(*workArea, current.value_or(0));
    }
    list.rootWidth = geometry->width;
    list.rootHeight = geometry->height;

    struct Candidate {
        Monitor monitor;
        xcb_randr_output_t output = 0;
        xcb_atom_t name = 0;
    };
    std::vector<Candidate> candidates;
    if (randr) {
        for (auto it = xcb_randr_get_monitors_monitors_iterator(randr.get()); it.rem > 0;
             xcb_randr_monitor_info_next(&it)) {
            const xcb_randr_monitor_info_t* m = it.data;
            Candidate cand;
            cand.monitor = {std::string(), m->x, m->y, m->width, m->height, m->primary != 0};
            cand.name = m->name;
            if (xcb_randr_monitor_info_outputs_length(m) > 0) {
                cand.output = xcb_randr_monitor_info_outputs(m)[0];
            }
            candidates.push_back(cand);
        }
    }
    const int headCount = heads ? xcb_xinerama_query_screens_screen_info_length(heads.get()) : 0;
    if (candidates.size() <= 1 && headCount > 1) {
        candidates.clear();
        const xcb_xinerama_screen_info_t* info =
            xcb_xinerama_query_screens_screen_info(heads.get());
        for (int i = 0; i < headCount; ++i) {
            candidates.push_back({{"Xinerama " + std::to_string(i), info[i].x_org, info[i].y_org,
                                   info[i].width, info[i].height, i == 0},
                                  0,
                                  0});
        }
    }
    if (candidates.empty()) {
        candidates.push_back({{"Screen", 0, 0, geometry->width, geometry->height, true}, 0, 0});
    }
    // Primary first, then the server's order; without a marked primary the first
    // monitor takes its place.
    std::erase_if(candidates,
                  [](const Candidate& c) { return c.monitor.width <= 0 || c.monitor.height <= 0; });
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const Candidate& c) { return c.monitor.primary; });
    for (const Candidate& c : candidates) {
        list.monitors.push_back(c.monitor);
        list.firstOutput.push_back(c.output);
        list.nameAtom.push_back(c.name);
    }
    if (list.monitors.empty()) {
        return std::nullopt;
    }
    return list;
}

std::vector<Display> X11Displays::screens() {
    if (x_.xcb() == nullptr) {
        return {};
    }
    Snapshot& snap = snapshot();
    if (!snap.list) {
        return {};
    }
    if (!snap.displays) {
        MonitorList& list = *snap.list;
        names_.name(list.monitors, list.firstOutput, list.nameAtom);
        std::vector<X11Properties::Strut> dockStruts =
            docks_.struts(list.rootWidth, list.rootHeight);
        if (list.workArea) {
            const X11Properties::Area& a = *list.workArea;
            for (const auto& s :
                 ScreenLayout::unexplainedWorkArea(Rect(a.x, a.y, a.width, a.height), list.monitors,
                                                   dockStruts, list.rootWidth, list.rootHeight)) {
                qCDebug(lcX11) << "work area reserves room no strut explains:" << s.left << s.right
                               << s.top << s.bottom;
                dockStruts.push_back(s);
            }
        }
        const Monitor& primary = list.monitors.front();
        std::vector<Display> displays;
        displays.reserve(list.monitors.size());
        for (const Monitor& m : list.monitors) {
            const Rect visible =
                ScreenLayout::visibleArea(m, dockStruts, list.rootWidth, list.rootHeight);
            displays.push_back({ScreenLayout::globalFromRoot(ScreenLayout::monitorRect(m), primary),
                                ScreenLayout::globalFromRoot(visible, primary), m.name});
        }
        snap.displays = std::move(displays);
    }
    return *snap.displays;
}

Point X11Displays::mouseLocation() {
    constexpr double kNowhere = std::numeric_limits<double>::quiet_NaN();
    if (x_.xcb() == nullptr) {
        return {kNowhere, kNowhere};
    }
    const Snapshot& snap = snapshot();
    if (!snap.list || !snap.pointer) {
        return {kNowhere, kNowhere};
    }
    return ScreenLayout::globalFromRoot(*snap.pointer, snap.list->monitors.front());
}

} // namespace tarnwick
