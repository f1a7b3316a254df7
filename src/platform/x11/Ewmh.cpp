#include "platform/x11/Ewmh.h"

namespace tarnwick::Ewmh {

namespace {
constexpr std::uint32_t kGravityNorthWest = 1;
constexpr std::uint32_t kMoveX = 1u << 8, kMoveY = 1u << 9;
constexpr std::uint32_t kSourcePager = 2;

xcb_client_message_event_t message(xcb_window_t window, xcb_atom_t type) {
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = window;
    m.type = type;
    return m;
}
} // namespace

xcb_client_message_event_t moveWindow(xcb_window_t window, xcb_atom_t moveResizeAtom,
                                      std::int32_t x, std::int32_t y) {
    xcb_client_message_event_t m = message(window, moveResizeAtom);
    m.data.data32[0] = kGravityNorthWest | kMoveX | kMoveY | (kSourcePager << 12);
    m.data.data32[1] = static_cast<std::uint32_t>(x);
    m.data.data32[2] = static_cast<std::uint32_t>(y);
    return m;
}

xcb_client_message_event_t changeState(xcb_window_t window, xcb_atom_t wmStateAtom,
                                       StateAction action, xcb_atom_t first, xcb_atom_t second) {
    xcb_client_message_event_t m = message(window, wmStateAtom);
    m.data.data32[0] = static_cast<std::uint32_t>(action);
    m.data.data32[1] = first;
    m.data.data32[2] = second;
    m.data.data32[3] = kSourcePager;
    return m;
}

std::vector<xcb_client_message_event_t> moveRequests(xcb_window_t window, xcb_atom_t wmStateAtom,
                                                     xcb_atom_t moveResizeAtom, std::int32_t x,
                                                     std::int32_t y, xcb_atom_t maximized,
                                                     xcb_atom_t alsoMaximized) {
    if (maximized == 0) {
        return {moveWindow(window, moveResizeAtom, x, y)};
    }
    return {changeState(window, wmStateAtom, StateAction::Remove, maximized, alsoMaximized),
            moveWindow(window, moveResizeAtom, x, y),
            changeState(window, wmStateAtom, StateAction::Add, maximized, alsoMaximized)};
}

void send(xcb_connection_t* c, xcb_window_t root, const xcb_client_message_event_t& message) {
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

} // namespace tarnwick::Ewmh
