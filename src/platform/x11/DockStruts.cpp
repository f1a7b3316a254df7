#include "platform/x11/DockStruts.h"

#include <algorithm>

namespace tarnwick {

void DockStruts::consider(xcb_window_t window) {
    if (window == 0 || watched_.count(window) != 0 || rejected_.count(window) != 0) {
        return;
    }
    watched_.insert(window);
    toRead_.push_back(window);
}

void DockStruts::watch(xcb_window_t window) {
    if (x_.xcb() == nullptr) {
        return;
    }
    // Structure events are wanted on every client, for its end and its maps.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x_.xcb(), window, XCB_CW_EVENT_MASK, &mask);
}

void DockStruts::handleEvent(const xcb_generic_event_t& event) {
    const X11Connection::Atoms& a = x_.atoms();
    switch (event.response_type & 0x7F) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if ((e.atom == a.netWmStrutPartial || e.atom == a.netWmStrut) &&
            watched_.count(e.window) != 0) {
            toRead_.push_back(e.window);
        }
        break;
    }
    case XCB_MAP_NOTIFY:
        table_.setShown(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, true);
        break;
    case XCB_UNMAP_NOTIFY:
        table_.setShown(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window, false);
        break;
    case XCB_DESTROY_NOTIFY: {
        const xcb_window_t w = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        table_.remove(w);
        watched_.erase(w);
        rejected_.erase(w);
        std::erase(toRead_, w);
        break;
    }
    default:
        break;
    }
}

void DockStruts::eventsProcessed() {
    if (x_.xcb() == nullptr) {
        return;
    }
    // The replies of the last batch are in by now: a window that is no dock
    // stops waking the program.
    collect();
    if (toRead_.empty()) {
        return;
    }
    std::sort(toRead_.begin(), toRead_.end());
    toRead_.erase(std::unique(toRead_.begin(), toRead_.end()), toRead_.end());
    const X11Connection::Atoms& a = x_.atoms();
    for (xcb_window_t w : toRead_) {
        reading_.push_back({w, xcb_get_window_attributes(x_.xcb(), w),
                            x_.requestProperty(w, a.netWmWindowType, 64),
                            x_.requestProperty(w, a.netWmStrutPartial, 12),
                            x_.requestProperty(w, a.netWmStrut, 4)});
    }
    toRead_.clear();
    xcb_flush(x_.xcb());
}

void DockStruts::collect() {
    if (reading_.empty()) {
        return;
    }
    for (const Reading& r : reading_) {
        auto attributes = x_.reply<xcb_get_window_attributes_reply_t>(
            xcb_get_window_attributes_reply, r.attributes);
        const auto type = x_.takeProperty(r.type);
        const auto partial = x_.takeProperty(r.partial);
        const auto plain = x_.takeProperty(r.plain);
        if (!attributes || !type || watched_.count(r.window) == 0) {
            continue; // gone
        }
        const auto types = X11Properties::atoms(*type);
        const bool dock =
            types && x_.atoms().typeDock != 0 &&
            std::find(types->begin(), types->end(), x_.atoms().typeDock) != types->end();
        const bool strut = (partial && partial->type != 0) || (plain && plain->type != 0);
        if (!table_.tracks(r.window)) {
            if (!dock && !strut) {
                watched_.erase(r.window);
                rejected_.insert(r.window);
                continue;
            }
            // Watched from now on, and read once more for a change made meanwhile.
            watch(r.window);
            toRead_.push_back(r.window);
        }
        table_.update(r.window, partial, plain);
        table_.setShown(r.window, attributes->map_state != XCB_MAP_STATE_UNMAPPED);
    }
    reading_.clear();
}

std::vector<X11Properties::Strut> DockStruts::struts(std::uint32_t screenWidth,
                                                     std::uint32_t screenHeight) {
    collect();
    return table_.struts(screenWidth, screenHeight);
}

void DockStruts::clear() {
    table_.clear();
    watched_.clear();
    rejected_.clear();
    toRead_.clear();
    reading_.clear(); // their cookies died with the connection
}

} // namespace tarnwick
