#include "platform/x11/WindowRegistry.h"

#include "app/Logging.h"

#include <algorithm>
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
        leave(window, *it->second.client);
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
    join(window, *facts);
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

void WindowRegistry::join(Window window, const ClientFacts& facts) {
    auto [it, isNew] = applications_.try_emplace(facts.pid);
    Application& app = it->second;
    const bool wasRegular = app.regular > 0;
    app.windows.insert(window);
    app.regular += facts.regular ? 1 : 0;
    const Entry* source = app.source != 0 ? &windows_.at(app.source) : nullptr;
    if (betterSource(facts, source != nullptr ? &*source->client : nullptr)) {
        app.source = window;
        snapshot(facts.pid, app);
    } else if (wasRegular != (app.regular > 0)) {
        snapshot(facts.pid, app);
    }
    if (isNew) {
        order_.push_back(facts.pid);
    }
    // A launch goes first, so that the new window finds its observer.
    if (isNew || (!wasRegular && app.regular > 0)) {
        events_.push_back({Event::Kind::Launched, app.snapshot});
    }
}

void WindowRegistry::leave(Window window, const ClientFacts& facts) {
    const auto it = applications_.find(facts.pid);
    if (it == applications_.end() || it->second.windows.erase(window) == 0) {
        return;
    }
    Application& app = it->second;
    if (app.windows.empty()) {
        events_.push_back({Event::Kind::Terminated, app.snapshot});
        std::erase(order_, facts.pid);
        applications_.erase(it);
        return;
    }
    const bool wasRegular = app.regular > 0;
    app.regular -= facts.regular ? 1 : 0;
    if (app.source == window) {
        app.source = 0;
        for (Window w : app.windows) {
            const ClientFacts& candidate = *windows_.at(w).client;
            if (betterSource(candidate,
                             app.source != 0 ? &*windows_.at(app.source).client : nullptr)) {
                app.source = w;
            }
        }
        snapshot(facts.pid, app);
    } else if (wasRegular != (app.regular > 0)) {
        snapshot(facts.pid, app);
    }
}

// The application is named after its ordinary windows where it has some.
bool WindowRegistry::betterSource(const ClientFacts& candidate, const ClientFacts* current) const {
    return current == nullptr || (candidate.regular && !current->regular) ||
           (!current->applicationId && candidate.applicationId &&
            candidate.regular == current->regular);
}

void WindowRegistry::snapshot(Pid pid, Application& app) {
    auto s = std::make_shared<RunningApplication>();
    s->processIdentifier = pid;
    s->activationPolicy = app.regular > 0 ? ActivationPolicy::Regular : ActivationPolicy::Accessory;
    if (app.source != 0) {
        const ClientFacts& source = *windows_.at(app.source).client;
        s->bundleIdentifier = source.applicationId;
        std::optional<std::string> name;
        if (nameFor_ && source.applicationId) {
            name = nameFor_(*source.applicationId);
        }
        if (nameFor_ && !name && source.className) {
            name = nameFor_(*source.className);
        }
        s->localizedName = name ? name : source.className;
    }
    app.snapshot = std::move(s);
}

std::vector<RunningApplicationRef> WindowRegistry::applications() const {
    std::vector<RunningApplicationRef> list;
    list.reserve(order_.size());
    for (Pid pid : order_) {
        list.push_back(applications_.at(pid).snapshot);
    }
    return list;
}

bool WindowRegistry::isCurrent(Window window, std::uint64_t instance) const {
    const auto it = windows_.find(window);
    return it != windows_.end() && it->second.instance == instance;
}

void WindowRegistry::clear() {
    for (Pid pid : order_) {
        events_.push_back({Event::Kind::Terminated, applications_.at(pid).snapshot});
    }
    windows_.clear();
    rootChildren_.clear();
    frames_.clear();
    applications_.clear();
    order_.clear();
    reads_.clear();
    lookups_.clear();
    shown_.clear();
}

} // namespace tarnwick
