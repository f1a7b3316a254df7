#include "XQuery.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace e2e {

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* r) {
    return Reply<T>(r, &std::free);
}
} // namespace

XQuery::XQuery(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (!xcb_connection_has_error(c_))
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

XQuery::~XQuery() {
    xcb_disconnect(c_);
}

bool XQuery::ok() const {
    return !xcb_connection_has_error(c_);
}

xcb_atom_t XQuery::atom(const char* name) {
    auto r = reply(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<uint32_t> XQuery::cardinals(xcb_window_t w, const char* property) {
    auto r = reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
        nullptr));
    if (!r || r->format != 32)
        return {};
    auto* data = static_cast<uint32_t*>(xcb_get_property_value(r.get()));
    return {data, data + xcb_get_property_value_length(r.get()) / 4};
}

std::string XQuery::stringProperty(xcb_window_t w, xcb_atom_t property) {
    auto r = reply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    if (!r || r->format != 8)
        return {};
    auto* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return {data, static_cast<size_t>(xcb_get_property_value_length(r.get()))};
}

std::vector<xcb_window_t> XQuery::clientList() {
    return cardinals(root_, "_NET_CLIENT_LIST");
}

std::string XQuery::wmClass(xcb_window_t w) {
    std::string both = stringProperty(w, XCB_ATOM_WM_CLASS);
    auto nul = both.find('\0');
    if (nul == std::string::npos)
        return {};
    std::string cls = both.substr(nul + 1);
    if (auto end = cls.find('\0'); end != std::string::npos)
        cls.resize(end);
    return cls;
}

std::optional<xcb_window_t> XQuery::clientWithClass(const std::string& wmClassName) {
    std::vector<xcb_window_t> candidates = clientList();
    if (candidates.empty() && cardinals(root_, "_NET_SUPPORTING_WM_CHECK").empty()) {
        auto tree = reply(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
        if (tree) {
            auto* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
                if (viewable(children[i]))
                    candidates.push_back(children[i]);
        }
    }
    for (xcb_window_t w : candidates)
        if (wmClass(w) == wmClassName)
            return w;
    return std::nullopt;
}

bool XQuery::viewable(xcb_window_t w) {
    auto a = reply(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<Rect> XQuery::mappedRootChildren() {
    std::vector<Rect> result;
    auto tree = reply(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
    if (!tree)
        return result;
    auto* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (!viewable(children[i]))
            continue;
        auto g = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, children[i]), nullptr));
        if (g)
            result.push_back({double(g->x), double(g->y), double(g->width + 2 * g->border_width),
                              double(g->height + 2 * g->border_width)});
    }
    return result;
}

bool XQuery::hasState(xcb_window_t w, const char* state) {
    const xcb_atom_t wanted = atom(state);
    for (uint32_t a : cardinals(w, "_NET_WM_STATE"))
        if (a == wanted)
            return true;
    return false;
}

std::optional<Rect> XQuery::frame(xcb_window_t w) {
    auto geometry = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr));
    auto origin = reply(xcb_translate_coordinates_reply(
        c_, xcb_translate_coordinates(c_, w, root_, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    std::vector<uint32_t> e = cardinals(w, "_NET_FRAME_EXTENTS");
    if (e.size() != 4)
        e = {0, 0, 0, 0};
    std::vector<uint32_t> shadow = cardinals(w, "_GTK_FRAME_EXTENTS");
    if (shadow.size() != 4)
        shadow = {0, 0, 0, 0};
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

std::pair<int, int> XQuery::rootSize() {
    auto r = reply(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, root_), nullptr));
    return r ? std::pair{int(r->width), int(r->height)} : std::pair{0, 0};
}

std::optional<std::string> XQuery::windowManagerName() {
    std::vector<uint32_t> check = cardinals(root_, "_NET_SUPPORTING_WM_CHECK");
    if (check.size() != 1)
        return std::nullopt;
    std::string name = stringProperty(check[0], atom("_NET_WM_NAME"));
    return name.empty() ? std::optional<std::string>("(unnamed)") : name;
}

} // namespace e2e
