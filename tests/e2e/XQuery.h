#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace e2e {

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    bool contains(double px, double py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
    bool operator==(const Rect&) const = default;
};

// The test's own view of the X server, independent of the code under test.
class XQuery {
public:
    explicit XQuery(const std::string& display);
    ~XQuery() { xcb_disconnect(c_); }
    XQuery(const XQuery&) = delete;
    XQuery& operator=(const XQuery&) = delete;

    bool ok() const { return !xcb_connection_has_error(c_); }
    xcb_window_t root() const { return root_; }

    std::vector<xcb_window_t> clientList() { return cardinals(root_, "_NET_CLIENT_LIST"); }
    // A managed client of that class; without a window manager, a mapped child of the root.
    std::optional<xcb_window_t> clientWithClass(const std::string& wmClass);
    bool viewable(xcb_window_t w);
    // The mapped children of the root, as their outer rectangles.
    std::vector<Rect> mappedRootChildren();
    // The frame the user sees, in root coordinates: the client widened by
    // _NET_FRAME_EXTENTS and narrowed by its own shadow, _GTK_FRAME_EXTENTS.
    std::optional<Rect> frame(xcb_window_t w);
    std::vector<uint32_t> cardinals(xcb_window_t w, const char* property);
    bool hasState(xcb_window_t w, const char* state);
    std::optional<std::pair<int, int>> pointer();
    // Moves the pointer; where it is then.
    std::optional<std::pair<int, int>> warpPointer(int x, int y);
    std::pair<int, int> rootSize();
    // _NET_WM_NAME of the window named by _NET_SUPPORTING_WM_CHECK, or nothing.
    std::optional<std::string> windowManagerName();

private:
    xcb_atom_t atom(const char* name);
    // The property's bytes when its items have that many bits.
    std::string property(xcb_window_t w, xcb_atom_t property, int format);
    std::vector<xcb_window_t> rootChildren();

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
};

} // namespace e2e
