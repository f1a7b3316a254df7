#include "platform/x11/X11WindowReader.h"

#include <algorithm>

namespace tarnwick {

namespace {

constexpr std::uint32_t kWmStateIconic = 3;
constexpr int kMaxFrameDepth = 8;

bool contains(const std::optional<std::vector<std::uint32_t>>& list, std::uint32_t atom) {
    return list && atom != 0 && std::find(list->begin(), list->end(), atom) != list->end();
}

} // namespace

AXError WindowFacts::attribute(const std::string& attribute, AXAttributeValue& value) const {
    if (attribute == kAXRoleAttribute) {
        value = std::string(kAXWindowRole);
    } else if (attribute == kAXSubroleAttribute) {
        switch (kind) {
        case X11Properties::WindowKind::Standard:
            value = std::string(kAXStandardWindowSubrole);
            break;
        case X11Properties::WindowKind::Dialog:
            value = std::string(kAXDialogSubrole);
            break;
        case X11Properties::WindowKind::Floating:
            value = std::string(kAXFloatingWindowSubrole);
            break;
        case X11Properties::WindowKind::Other:
            return kAXErrorNoValue;
        }
    } else if (attribute == kAXMinimizedAttribute) {
        value = minimized;
    } else if (attribute == kAXFullScreenAttribute) {
        value = fullScreen;
    } else if (attribute == kAXPositionAttribute) {
        if (!primary) {
            return kAXErrorCannotComplete;
        }
        value = AXValue::point(ScreenLayout::axFromRoot(visibleFrame.origin, *primary));
    } else if (attribute == kAXSizeAttribute) {
        value = AXValue::size(visibleFrame.size);
    } else {
        return kAXErrorAttributeUnsupported;
    }
    return kAXErrorSuccess;
}

xcb_window_t X11WindowReader::topLevel(xcb_window_t window) {
    xcb_connection_t* c = x_.xcb();
    xcb_window_t w = window;
    for (int depth = 0; c != nullptr && depth < kMaxFrameDepth; ++depth) {
        auto tree = x_.reply<xcb_query_tree_reply_t>(xcb_query_tree_reply, xcb_query_tree(c, w));
        if (!tree || tree->parent == 0) {
            return window;
        }
        if (tree->parent == tree->root) {
            return w;
        }
        w = tree->parent;
    }
    return window;
}

std::optional<WindowFacts> X11WindowReader::read(xcb_window_t window, xcb_window_t frame,
                                                 std::uint64_t generation) {
    if (cachedTurn_ == x_.turn() && cachedWindow_ == window && cachedGeneration_ == generation) {
        return cachedFacts_;
    }
    xcb_connection_t* c = x_.xcb();
    if (c == nullptr) {
        return std::nullopt;
    }
    // Another window's handling, even in the same turn, sees the displays afresh.
    x_.endTurn();
    const X11Connection::Atoms& a = x_.atoms();
    const xcb_window_t w = window;
    const auto geometry = xcb_get_geometry(c, w);
    const auto translate = xcb_translate_coordinates(c, w, x_.root(), 0, 0);
    const auto type = x_.requestProperty(w, a.netWmWindowType, 64);
    const auto transient = x_.requestProperty(w, XCB_ATOM_WM_TRANSIENT_FOR, 1);
    const auto state = x_.requestProperty(w, a.netWmState, 64);
    const auto wmState = x_.requestProperty(w, a.wmState, 2);
    const auto extents = x_.requestProperty(w, a.netFrameExtents, 4);
    const auto shadow = x_.requestProperty(w, a.gtkFrameExtents, 4);
    const auto actions = x_.requestProperty(w, a.netWmAllowedActions, 64);
    const auto frameGeometry = frame != w ? xcb_get_geometry(c, frame) : geometry;
    const auto monitors = displays_.sendMonitorRequest();
    auto g = x_.reply<xcb_get_geometry_reply_t>(xcb_get_geometry_reply, geometry);
    auto fg = frame != w ? x_.reply<xcb_get_geometry_reply_t>(xcb_get_geometry_reply, frameGeometry)
                         : nullptr;
    displays_.takeSnapshot(monitors);
    auto t =
        x_.reply<xcb_translate_coordinates_reply_t>(xcb_translate_coordinates_reply, translate);
    const auto typeP = x_.takeProperty(type);
    const auto transientP = x_.takeProperty(transient);
    const auto stateP = x_.takeProperty(state);
    const auto wmStateP = x_.takeProperty(wmState);
    const auto extentsP = x_.takeProperty(extents);
    const auto shadowP = x_.takeProperty(shadow);
    const auto actionsP = x_.takeProperty(actions);

    std::optional<WindowFacts> result;
    if (g && t && typeP && transientP && stateP && wmStateP && extentsP && actionsP) {
        WindowFacts f;
        const X11Properties::TypeAtoms typeAtoms{a.typeNormal,  a.typeDialog, a.typeUtility,
                                                 a.typeToolbar, a.typeMenu,   a.typeSplash};
        f.kind =
            X11Properties::windowKind(X11Properties::atoms(*typeP),
                                      X11Properties::window(*transientP).has_value(), typeAtoms);
        const auto states = X11Properties::atoms(*stateP);
        f.minimized = contains(states, a.stateHidden) ||
                      X11Properties::wmState(*wmStateP, a.wmState) == kWmStateIconic;
        f.fullScreen = contains(states, a.stateFullscreen);
        int held = 0;
        for (xcb_atom_t m : {a.stateMaximizedVert, a.stateMaximizedHorz}) {
            if (contains(states, m)) {
                f.maximized[held++] = m;
            }
        }
        const auto allowed = X11Properties::atoms(*actionsP);
        f.movable = allowed ? contains(allowed, a.actionMove) : !manager_.publishesAllowedActions();
        // _NET_FRAME_EXTENTS may not be set yet; the frame then counts as none.
        const auto decorations =
            X11Properties::frameExtents(*extentsP).value_or(X11Properties::FrameExtents{});
        if (shadowP) {
            f.shadow =
                X11Properties::frameExtents(*shadowP).value_or(X11Properties::FrameExtents{});
        }
        f.visibleFrame =
            ScreenLayout::visibleFrame(Point{double(t->dst_x), double(t->dst_y)}, g->width,
                                       g->height, g->border_width, decorations, f.shadow);
        const double b = g->border_width;
        const Rect outer =
            fg ? Rect(fg->x, fg->y, fg->width + 2.0 * fg->border_width,
                      fg->height + 2.0 * fg->border_width)
               : Rect(t->dst_x - b, t->dst_y - b, g->width + 2 * b, g->height + 2 * b);
        f.hidden = ScreenLayout::margins(outer, f.visibleFrame).value_or(f.shadow);
        f.primary = displays_.primaryMonitor();
        result = f;
    }
    cachedWindow_ = w;
    cachedGeneration_ = generation;
    cachedFacts_ = result;
    cachedTurn_ = x_.turn();
    return result;
}

} // namespace tarnwick
