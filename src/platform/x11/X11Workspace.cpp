#include "platform/x11/X11Workspace.h"

#include <QProcess>
#include <QUrl>

namespace tarnwick {

X11Workspace::X11Workspace(X11Connection& connection, DesktopEntries& desktopEntries,
                           QObject* parent)
    : QObject(parent), x_(connection), reader_(connection),
      registry_([&desktopEntries](const std::string& id) { return desktopEntries.nameFor(id); }) {}

std::vector<RunningApplicationRef> X11Workspace::runningApplications() {
    return registry_.applications();
}

WorkspaceToken X11Workspace::addObserver(WorkspaceNotification name, Handler handler) {
    handlers_.emplace_back(name, std::move(handler));
    return WorkspaceToken{nextToken_++};
}

bool X11Workspace::openURL(const std::string& url) {
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.scheme().isEmpty()) {
        return false;
    }
    // An argument, never a shell command line.
    return QProcess::startDetached(QStringLiteral("xdg-open"),
                                   {parsed.toString(QUrl::FullyEncoded)});
}

void X11Workspace::attach() {
    if (x_.xcb() == nullptr) {
        return;
    }
    registry_.setManagerPid(manager_.detect());
    // Selected before the windows are read, so that none is created unseen.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_.xcb(), x_.root(), XCB_CW_EVENT_MASK, &mask);
    readTopLevels();
    readOwners();
    registry_.takeEvents(); // what was there at the start is neither launched nor new
    xcb_flush(x_.xcb());
}

void X11Workspace::detach() {
    registry_.clear();
    deliver(registry_.takeEvents());
    manager_.clear();
}

void X11Workspace::selectStructure(xcb_window_t window) {
    // A client inside a frame tells of its end and its maps only to itself. A
    // window already gone answers with an error event, which is ignored.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_.xcb(), window, XCB_CW_EVENT_MASK, &mask);
}

void X11Workspace::readTopLevels() {
    xcb_connection_t* c = x_.xcb();
    const auto listCookie = x_.requestProperty(x_.root(), x_.atoms().netClientList, 65536);
    const auto treeCookie = xcb_query_tree(c, x_.root());
    const auto listProperty = x_.takeProperty(listCookie);
    auto tree = x_.reply<xcb_query_tree_reply_t>(xcb_query_tree_reply, treeCookie);
    std::vector<xcb_window_t> children;
    if (tree) {
        const xcb_window_t* kids = xcb_query_tree_children(tree.get());
        children.assign(kids, kids + xcb_query_tree_children_length(tree.get()));
    }
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(children.size());
    for (xcb_window_t w : children) {
        cookies.push_back(xcb_get_window_attributes(c, w));
    }
    std::vector<xcb_window_t> clients;
    for (std::size_t i = 0; i < children.size(); ++i) {
        auto r = x_.reply<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes_reply,
                                                             cookies[i]);
        if (!r || r->override_redirect != 0) {
            continue;
        }
        const bool mapped = r->map_state != XCB_MAP_STATE_UNMAPPED;
        registry_.rootChild(children[i], mapped);
        // Under a manager these are frames, or docks it does not list.
        if (mapped) {
            clients.push_back(children[i]);
        }
    }
    if (manager_.running() && listProperty) {
        if (auto list = X11Properties::windows(*listProperty)) {
            clients.insert(clients.end(), list->begin(), list->end());
        }
    }
    for (xcb_window_t w : clients) {
        selectStructure(w);
        registry_.existingClient(w);
    }
}

void X11Workspace::findFrames() {
    const auto lookups = registry_.takeFrameLookups();
    if (lookups.empty()) {
        return;
    }
    // Asked after the client's events were selected: a map this misses is
    // still to come as an event.
    std::vector<xcb_get_window_attributes_cookie_t> states;
    std::vector<xcb_window_t> at(lookups.size());
    std::vector<xcb_window_t> frames(lookups.size(), 0);
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        states.push_back(xcb_get_window_attributes(x_.xcb(), lookups[i].first));
        at[i] = lookups[i].second;
    }
    // One batch per level of nesting; managers nest a client two or three deep.
    for (int level = 0; level < 4; ++level) {
        std::vector<std::pair<std::size_t, xcb_query_tree_cookie_t>> asked;
        for (std::size_t i = 0; i < lookups.size(); ++i) {
            if (at[i] != 0) {
                asked.emplace_back(i, xcb_query_tree(x_.xcb(), at[i]));
            }
        }
        for (auto& [i, cookie] : asked) {
            auto tree = x_.reply<xcb_query_tree_reply_t>(xcb_query_tree_reply, cookie);
            if (tree && tree->parent == x_.root()) {
                frames[i] = at[i];
            }
            at[i] = tree && tree->parent != x_.root() ? tree->parent : 0;
        }
    }
    for (std::size_t i = 0; i < lookups.size(); ++i) {
        auto state =
            x_.reply<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes_reply, states[i]);
        registry_.frameFound(lookups[i].first, lookups[i].second, frames[i],
                             state && state->map_state != XCB_MAP_STATE_UNMAPPED);
    }
}

void X11Workspace::readOwners() {
    findFrames();
    const auto reads = registry_.takeReads();
    if (!reads.empty()) {
        std::vector<X11ClientReader::Request> requests;
        requests.reserve(reads.size());
        for (const auto& r : reads) {
            requests.push_back({r.window, r.rootLevel && manager_.running()});
        }
        const auto facts = reader_.read(requests);
        for (std::size_t i = 0; i < reads.size(); ++i) {
            registry_.factsRead(reads[i].window, facts[i]);
        }
    }
    for (xcb_window_t w : registry_.takeShown()) {
        if (onWindowShown) {
            onWindowShown(w);
        }
    }
}

void X11Workspace::handleEvent(const xcb_generic_event_t& event) {
    manager_.handleEvent(event);
    switch (event.response_type & 0x7F) {
    case XCB_CREATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (e.parent == x_.root() && e.override_redirect == 0) {
            registry_.created(e.window);
            selectStructure(e.window);
        }
        break;
    }
    case XCB_DESTROY_NOTIFY:
        registry_.destroyed(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
        break;
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (e.override_redirect != 0) {
            break;
        }
        const bool toRoot = e.parent == x_.root();
        if (!toRoot && e.event == x_.root()) {
            selectStructure(e.window); // leaving the root's sight
        }
        registry_.reparented(e.window, e.parent, toRoot);
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (e.override_redirect == 0) {
            registry_.mapped(e.window);
        }
        break;
    }
    case XCB_UNMAP_NOTIFY:
        registry_.unmapped(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window);
        break;
    default:
        break;
    }
}

void X11Workspace::eventsProcessed() {
    if (x_.xcb() == nullptr) {
        return;
    }
    if (manager_.takeChange()) {
        // A manager that comes or goes changes no window's identity.
        registry_.setManagerPid(manager_.detect());
    }
    readOwners();
    deliver(registry_.takeEvents());
    // The clients' structure events must be asked for now: under some managers
    // a client's own map is the only sign that it was taken.
    xcb_flush(x_.xcb());
}

void X11Workspace::deliver(std::vector<WindowRegistry::Event> events) {
    const std::uint64_t generation = x_.generation();
    for (auto& e : events) {
        switch (e.kind) {
        case WindowRegistry::Event::Kind::Launched:
            post([this, app = e.application] {
                notify(WorkspaceNotification::DidLaunchApplication, app);
            });
            break;
        case WindowRegistry::Event::Kind::Terminated:
            post([this, app = e.application] {
                notify(WorkspaceNotification::DidTerminateApplication, app);
            });
            break;
        case WindowRegistry::Event::Kind::WindowCreated:
            post([this, e, generation] {
                if (generation == x_.generation() && onWindowCreated) {
                    onWindowCreated(e.pid, e.window, e.instance, e.frame);
                }
            });
            break;
        }
    }
}

void X11Workspace::post(std::function<void()> delivery) {
    pending_.push_back(std::move(delivery));
    if (!flushPosted_) {
        flushPosted_ = true;
        QMetaObject::invokeMethod(
            this, [this] { flush(); }, Qt::QueuedConnection);
    }
}

void X11Workspace::flush() {
    flushPosted_ = false;
    while (!pending_.empty()) {
        auto delivery = std::move(pending_.front());
        pending_.pop_front();
        delivery();
    }
}

void X11Workspace::notify(WorkspaceNotification name, const RunningApplicationRef& application) {
    const auto handlers = handlers_; // a handler may register another
    for (const auto& [n, handler] : handlers) {
        if (n == name && handler) {
            handler(application);
        }
    }
}

} // namespace tarnwick
