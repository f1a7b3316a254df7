#pragma once

#include "platform/x11/StrutTable.h"
#include "platform/x11/X11Connection.h"

#include <unordered_set>
#include <vector>

namespace tarnwick {

// The struts of the docks. Only windows found to be of the dock type or with a
// strut are watched for property changes, so that what other windows do (a
// title that changes ten times a second) does not wake the program.
class DockStruts {
public:
    explicit DockStruts(X11Connection& connection) : x_(connection) {}

    // A window was shown that may be a dock: its type and struts are read.
    void consider(xcb_window_t window);
    void handleEvent(const xcb_generic_event_t& event);
    // Sends the reads the events asked for; their replies are taken later.
    void eventsProcessed();
    void clear();

    // The struts of the shown docks, for a screen of the given size.
    std::vector<X11Properties::Strut> struts(std::uint32_t screenWidth, std::uint32_t screenHeight);

private:
    void collect();
    void watch(xcb_window_t window);

    struct Reading {
        xcb_window_t window;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t type, partial, plain;
    };
    X11Connection& x_;
    StrutTable table_;
    std::unordered_set<xcb_window_t> watched_;  // docks, and windows being read
    std::unordered_set<xcb_window_t> rejected_; // read: neither a dock nor a strut
    std::vector<xcb_window_t> toRead_;
    std::vector<Reading> reading_; // sent, replies not yet taken
};

} // namespace tarnwick
