#pragma once

#include "engine/Geometry.h"

#include <QObject>
#include <functional>
#include <map>
#include <xcb/xcb.h>

namespace tarnwick {

// Follows each move request until the window's frame is seen on the monitor it
// was sent to, from the ConfigureNotify events of the root's children. A
// request whose outcome is not seen in time is sent once more (some managers
// drop a request that comes too early); after that it has failed.
class X11MoveTracker : public QObject {
    Q_OBJECT
public:
    explicit X11MoveTracker(QObject* parent = nullptr) : QObject(parent) {}

    // Starts following a request that has just been sent; send repeats it. The
    // frame's edges as far in as hidden (a shadow, invisible borders) are not
    // the window's.
    void track(xcb_window_t frame, const Rect& targetMonitor, const Rect& hidden,
               std::function<void()> send);
    // Calls done once with the outcome of the last request for the frame.
    void whenSettled(xcb_window_t frame, std::function<void(bool arrived)> done);

    void handleEvent(const xcb_generic_event_t& event);
    // Every request in flight has failed.
    void clear();

    static constexpr int kAttemptTimeoutMs = 1000;

private:
    struct Move {
        Rect target;
        Rect hidden; // left, top as origin; right, bottom as size
        std::function<void()> send;
        std::function<void(bool)> done;
        std::uint64_t id = 0;
        int attempts = 1;
        bool arrived = false;
    };
    void arm(xcb_window_t frame, std::uint64_t id);
    void settle(xcb_window_t frame, bool arrived);

    std::map<xcb_window_t, Move> moves_;
    std::uint64_t nextId_ = 1;
};

} // namespace tarnwick
