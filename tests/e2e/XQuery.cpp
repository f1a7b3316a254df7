#include "XQuery.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace e2e {

namespace {
template <typename T> std::unique_ptr<T, decltype(&std::free)> reply(T* r) {
    return {r, &std::free};
}
} // namespace

XQuery::XQuery(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
    if (ok())
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

xcb_atom_t XQuery::atom(const char* name) {
    auto r = reply(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string XQuery::property(xcb_window_t w, xcb_atom_t property, int format) {
    auto r = reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    if (!r || r->format != format)
        return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return {data, size_t(xcb_get_property_value_length(r.get()))};
}

std::vector<uint32_t> XQuery::cardinals(xcb_window_t w, const char* name) {
    const std::string bytes = property(w, atom(name), 32);
    std::vector<uint32_t> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

std::vector<xcb_window_t> XQuery::rootChildren() {
    auto tree = reply(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
    if (!tree)
        return {};
    auto* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

std::optional<xcb_window_t> XQuery::clientWithClass(const std::string& wmClass) {
    std::vector<xcb_window_t> candidates = clientList();
    const bool unmanaged =
        candidates.empty() && cardinals(root_, "_NET_SUPPORTING_WM_CHECK").empty();
    if (unmanaged)
        candidates = rootChildren();
    for (xcb_window_t w : candidates) {
        // Instance and class, each ending in a NUL.
        const std::string both = property(w, XCB_ATOM_WM_CLASS, 8);
        if (both.ends_with('\0' + wmClass + '\0') && (!unmanaged || viewable(w)))
            return w;
    }
    return std::nullopt;
}

bool XQuery::viewable(xcb_window_t w) {
    auto a = reply(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<Rect> XQuery::mappedRootChildren() {
    std::vector<Rect> result;
    for (xcb_window_t w : rootChildren()) {
        auto g = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr));
        if (g && viewable(w))
            result.push_back({double(g->x), double(g->y), double(g->width + 2 * g->border_width),
                              double(g->height + 2 * g->border_width)});
    }
    return result;
}

bool XQuery::hasState(xcb_window_t w, const char* state) {
    const auto states = cardinals(w, "_NET_WM_STATE");
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
}

std::optional<Rect> XQuery::frame(xcb_window_t w) {
    auto geometry = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr));
    auto origin = reply(xcb_translate_coordinates_reply(
        c_, xcb_translate_coordinates(c_, w, root_, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    auto extents = [&](const char* name) {
        auto e = cardinals(w, name);
        return e.size() == 4 ? e : std::vector<uint32_t>{0, 0, 0, 0};
    };
    const auto e = extents("_NET_FRAME_EXTENTS");
    const auto shadow = extents("_GTK_FRAME_EXTENTS");
    const double border = geometry->border_width;
    return Rect{double(origin->dst_x) - border - e[0] + shadow[0],
                double(origin->dst_y) - border - e[2] + shadow[2],
                double(geometry->width) + 2 * border + e[0] + e[1] - shadow[0] - shadow[1],
                double(geometry->height) + 2 * border + e[2] + e[3] - shadow[2] - shadow[3]};
}

std::optional<std::pair<int, int>> XQuery::pointer() {
    auto r = reply(xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root_), nullptr));
    if (!r)
        return std::nullopt;
    return std::pair{int(r->root_x), int(r->root_y)};
}

std::optional<std::pair<int, int>> XQuery::warpPointer(int x, int y) {
    xcb_warp_pointer(c_, XCB_NONE, root_, 0, 0, 0, 0, int16_t(x), int16_t(y));
    return pointer();
}

std::pair<int, int> XQuery::rootSize() {
    auto r = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, root_), nullptr));
    return r ? std::pair{int(r->width), int(r->height)} : std::pair{0, 0};
}

std::optional<std::string> XQuery::windowManagerName() {
    std::vector<uint32_t> check = cardinals(root_, "_NET_SUPPORTING_WM_CHECK");
    if (check.size() != 1)
        return std::nullopt;
    std::string name = property(check[0], atom("_NET_WM_NAME"), 8);
    return name.empty() ? "(unnamed)" : name;
}

} // namespace e2e
