#pragma once

// The EWMH requests this layer sends to the window manager, encoded in one
// place. Each is a client message for the root window.

#include <cstdint>
#include <vector>
#include <xcb/xcb.h>

namespace tarnwick::Ewmh {

// _NET_MOVERESIZE_WINDOW: the frame's north-west corner to (x, y), size kept,
// from a pager-like tool (the user's intent, which managers honour).
xcb_client_message_event_t moveWindow(xcb_window_t window, xcb_atom_t moveResizeAtom,
                                      std::int32_t x, std::int32_t y);

// _NET_WM_STATE: adds or removes up to two states at once.
enum class StateAction : std::uint32_t { Remove = 0, Add = 1 };
xcb_client_message_event_t changeState(xcb_window_t window, xcb_atom_t wmStateAtom,
                                       StateAction action, xcb_atom_t first, xcb_atom_t second);

// What moves a window: managers drop or distort moves of a maximized window,
// so one is restored, moved and maximized again (the states given, 0 for none).
std::vector<xcb_client_message_event_t> moveRequests(xcb_window_t window, xcb_atom_t wmStateAtom,
                                                     xcb_atom_t moveResizeAtom, std::int32_t x,
                                                     std::int32_t y, xcb_atom_t maximized,
                                                     xcb_atom_t alsoMaximized);

// Sends the message to the root, where the window manager listens.
void send(xcb_connection_t* c, xcb_window_t root, const xcb_client_message_event_t& message);

} // namespace tarnwick::Ewmh
