#include "platform/x11/X11MoveTracker.h"

#include "app/Logging.h"

#include <QTimer>
#include <algorithm>

namespace tarnwick {

namespace {
// On the monitor: on each axis the frame lies within it, or covers it when
// larger; two pixels of slack for rounding.
bool onMonitor(const Rect& frame, const Rect& monitor) {
    constexpr double kSlack = 2;
    const auto fits = [](double start, double length, double mStart, double mLength) {
        const double shared = std::min(start + length, mStart + mLength) - std::max(start, mStart);
        return shared >= std::min(length, mLength) - kSlack;
    };
    return fits(frame.origin.x, frame.size.width, monitor.origin.x, monitor.size.width) &&
           fits(frame.origin.y, frame.size.height, monitor.origin.y, monitor.size.height);
}
} // namespace

void X11MoveTracker::track(xcb_window_t frame, const Rect& targetMonitor, const Rect& hidden,
                           std::function<void()> send) {
    if (moves_.count(frame) != 0) {
        settle(frame, false); // superseded
    }
    const std::uint64_t id = nextId_++;
    moves_[frame] = Move{targetMonitor, hidden, std::move(send), nullptr, id, 1, false};
    arm(frame, id);
}

void X11MoveTracker::whenSettled(xcb_window_t frame, std::function<void(bool)> done) {
    const auto it = moves_.find(frame);
    if (it == moves_.end()) {
        done(false);
        return;
    }
    it->second.done = std::move(done);
    if (it->second.arrived) {
        settle(frame, true);
    }
}

void X11MoveTracker::arm(xcb_window_t frame, std::uint64_t id) {
    QTimer::singleShot(kAttemptTimeoutMs, this, [this, frame, id] {
        const auto it = moves_.find(frame);
        if (it == moves_.end() || it->second.id != id) {
            return;
        }
        Move& m = it->second;
        if (m.arrived) {
            settle(frame, true);
            return;
        }
        if (m.attempts >= 2) {
            qCWarning(lcX11) << "window frame" << Qt::hex << frame
                             << "was not seen on its target monitor; not reported as moved";
            settle(frame, false);
            return;
        }
        ++m.attempts;
        qCDebug(lcX11) << "window frame" << Qt::hex << frame
                       << "did not arrive; sending the request once more";
        m.send();
        arm(frame, id);
    });
}

void X11MoveTracker::handleEvent(const xcb_generic_event_t& event) {
    if (moves_.empty()) {
        return;
    }
    switch (event.response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        const auto it = moves_.find(e.window);
        if (it == moves_.end() || it->second.arrived) {
            return;
        }
        const double border = e.border_width;
        const Rect& s = it->second.hidden;
        const Rect seen(e.x + s.origin.x, e.y + s.origin.y,
                        e.width + 2 * border - s.origin.x - s.size.width,
                        e.height + 2 * border - s.origin.y - s.size.height);
        if (onMonitor(seen, it->second.target)) {
            it->second.arrived = true;
            if (it->second.done) {
                settle(e.window, true);
            }
        }
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (moves_.count(e.window) != 0) {
            settle(e.window, false);
        }
        break;
    }
    default:
        break;
    }
}

void X11MoveTracker::settle(xcb_window_t frame, bool arrived) {
    const auto it = moves_.find(frame);
    if (it == moves_.end()) {
        return;
    }
    auto done = std::move(it->second.done);
    moves_.erase(it);
    if (done) {
        done(arrived);
    }
}

void X11MoveTracker::clear() {
    while (!moves_.empty()) {
        settle(moves_.begin()->first, false);
    }
}

} // namespace tarnwick
