#include "platform/x11/WindowRegistry.h"

#include "app/Logging.h"

#include <utility>

namespace tarnwick {

WindowRegistry::Entry& WindowRegistry::entry(Window window, bool fresh) {
    auto [it, isNew] = windows_.try_emplace(window);
    if (isNew) {
        it->second.instance = nextInstance_++;
        it->second.fresh = fresh;
    }
    return it->second;
}

void WindowRegistry::rootChild(Window window, bool mapped) {
    rootChildren_[window] = mapped;
}

void WindowRegistry::existingClient(Window window) {
    entry(window, false);
    manage(window);
}

void WindowRegistry::created(Window window) {
    // An id still known belongs to a window whose end was missed: this one is new.
    if (windows_.count(window) != 0) {
        destroyed(window);
    }
    entry(window, true);
    rootChildren_[window] = false;
}

void WindowRegistry::destroyed(Window window) {
    rootChildren_.erase(window);
    if (auto f = frames_.find(window); f != frames_.end()) {
        if (auto c = windows_.find(f->second); c != windows_.end() && c->second.frame == window) {
            c->second.frame = 0;
        }
        frames_.erase(f);
    }
    const auto it = windows_.find(window);
    if (it == windows_.end()) {
        return;
    }
    if (it->second.frame != 0) {
        if (auto f = frames_.find(it->second.frame); f != frames_.end() && f->second == window) {
            frames_.erase(f);
        }
    }
    if (it->second.client) {
        if (auto ended = applications_.leave(window, it->second.client->pid)) {
            events_.push_back({Event::Kind::Terminated, std::move(ended)});
        }
    } else if (it->second.fresh && it->second.reading) {
        qCDebug(lcX11) << "window" << Qt::hex << window << "ended before its owner was read";
    }
    windows_.erase(it);
}

void WindowRegistry::reparented(Window window, Window parent, bool toRoot) {
    Entry& e = entry(window, false);
    if (e.frame != 0) {
        if (auto f = frames_.find(e.frame); f != frames_.end() && f->second == window) {
            frames_.erase(f);
        }
    }
    e.frame = 0;
    e.nestedIn = 0;
    if (toRoot) {
        rootChildren_[window] = false; // a map follows when it is shown
        return;
    }
    rootChildren_.erase(window);
    if (rootChildren_.count(parent) == 0) {
        // Inside a frame's inner window, whose own events are not seen: the
        // client's map may have gone before its events were selected, so the
        // frame that holds it is found and its map taken as the sign.
        e.nestedIn = parent;
        lookups_.emplace_back(window, parent);
        return;
    }
    attach(window, parent);
}

void WindowRegistry::frameFound(Window window, Window parent, Window frame, bool mapped) {
    const auto it = windows_.find(window);
    if (it == windows_.end() || it->second.nestedIn != parent) {
        return; // gone or moved meanwhile
    }
    it->second.nestedIn = 0;
    if (rootChildren_.count(frame) != 0) {
        attach(window, frame);
        return;
    }
    // An override-redirect frame (IceWM's), whose map is not followed, or none
    // found: the client's own map is the sign.
    if (frame != 0) {
        it->second.frame = frame;
        frames_[frame] = window;
    }
    if (mapped) {
        manage(window);
    }
}

void WindowRegistry::attach(Window window, Window frame) {
    windows_.at(window).frame = frame;
    frames_[frame] = window;
    if (rootChildren_.at(frame)) {
        manage(window);
    }
}

void WindowRegistry::mapped(Window window) {
    if (auto r = rootChildren_.find(window); r != rootChildren_.end()) {
        r->second = true;
        const auto f = frames_.find(window);
        manage(f != frames_.end() ? f->second : window);
        return;
    }
    // A client's own map inside a frame: the frame's map is the moment it is
    // managed, unless the frame is not a child of the root that is seen.
    const auto it = windows_.find(window);
    if (it == windows_.end() || it->second.nestedIn != 0) {
        return; // unknown, or its frame's answer tells
    }
    const auto frame = rootChildren_.find(it->second.frame);
    if (frame == rootChildren_.end() || frame->second) {
        manage(window);
    }
}

void WindowRegistry::unmapped(Window window) {
    if (auto r = rootChildren_.find(window); r != rootChildren_.end()) {
        r->second = false;
    }
}

void WindowRegistry::manage(Window window) {
    Entry& e = entry(window, false);
    if (e.client) {
        qCDebug(lcX11) << "window" << Qt::hex << window << "shown, already known: not new";
    }
    if (!e.read && !e.reading) {
        e.reading = true;
        reads_.push_back({window, e.frame == 0 && rootChildren_.count(window) != 0});
    }
    shown_.push_back(window);
}

std::vector<WindowRegistry::Read> WindowRegistry::takeReads() {
    return std::exchange(reads_, {});
}

std::vector<std::pair<WindowRegistry::Window, WindowRegistry::Window>>
WindowRegistry::takeFrameLookups() {
    return std::exchange(lookups_, {});
}

std::vector<WindowRegistry::Window> WindowRegistry::takeShown() {
    return std::exchange(shown_, {});
}

std::vector<WindowRegistry::Event> WindowRegistry::takeEvents() {
    return std::exchange(events_, {});
}

void WindowRegistry::factsRead(Window window, const std::optional<ClientFacts>& facts) {
    const auto it = windows_.find(window);
    if (it == windows_.end() || !it->second.reading) {
        return; // destroyed meanwhile
    }
    Entry& e = it->second;
    e.reading = false;
    e.read = true;
    e.client = facts;
    if (!facts) {
        if (e.fresh) {
            qCDebug(lcX11) << "window" << Qt::hex << window
                           << "is nobody's client (gone, no owner, or a frame): not new";
        }
        return;
    }
    // A launch goes first, so that the new window finds its observer.
    if (auto launched = applications_.join(window, *facts)) {
        events_.push_back({Event::Kind::Launched, std::move(launched)});
    }
    if (!e.fresh) {
        qCDebug(lcX11) << "window" << Qt::hex << window
                       << "existed before or is taken again by a manager: not new";
    } else if (managerPid_ && facts->pid == *managerPid_) {
        e.fresh = false;
        qCDebug(lcX11) << "window" << Qt::hex << window << "is the window manager's own: not new";
    } else {
        e.fresh = false;
        const Window frame = e.frame != 0 ? e.frame : rootChildren_.count(window) != 0 ? window : 0;
        qCDebug(lcX11) << "window" << Qt::hex << window << "in frame" << frame << "is new";
        events_.push_back(
            {Event::Kind::WindowCreated, nullptr, facts->pid, window, e.instance, frame});
    }
}

bool WindowRegistry::isCurrent(Window window, std::uint64_t instance) const {
    const auto it = windows_.find(window);
    return it != windows_.end() && it->second.instance == instance;
}

void WindowRegistry::clear() {
    for (auto& ended : applications_.clear()) {
        events_.push_back({Event::Kind::Terminated, std::move(ended)});
    }
    windows_.clear();
    rootChildren_.clear();
    frames_.clear();
    reads_.clear();
    lookups_.clear();
    shown_.clear();
}

} // namespace tarnwick
