#include "platform/x11/X11Workspace.h"

#include <QProcess>
#include <QUrl>
#include <algorithm>
#include <xcb/res.h>

namespace tarnwick {

namespace {
constexpr std::uint32_t kMaxTextLongs = X11Properties::kMaxTextBytes / 4;
} // namespace

X11Workspace::X11Workspace(X11Connection& connection, DesktopEntries& desktopEntries,
                           QObject* parent)
    : QObject(parent), x_(connection), desktopEntries_(desktopEntries) {}

std::vector<RunningApplicationRef> X11Workspace::runningApplications() {
    std::vector<RunningApplicationRef> list;
    list.reserve(applicationOrder_.size());
    for (Pid pid : applicationOrder_) {
        list.push_back(applications_.at(pid).snapshot);
    }
    return list;
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

std::optional<Pid> X11Workspace::pidOf(xcb_window_t window) const {
    const auto it = clients_.find(window);
    if (it == clients_.end()) {
        return std::nullopt;
    }
    return it->second.pid;
}

void X11Workspace::attach() {
    detectWindowManager();
    selectRootEvents();
    rootChildrenDirty_ = true;
    updateClients(currentTopLevels(), false);
    requestStruts();
}

void X11Workspace::detach() {
    for (Pid pid : applicationOrder_) {
        RunningApplicationRef app = applications_.at(pid).snapshot;
        post([this, app] { notify(WorkspaceNotification::DidTerminateApplication, app); });
    }
    applicationOrder_.clear();
    applications_.clear();
    clients_.clear();
    unowned_.clear();
    pendingMapped_.clear();
    pendingUnmapped_.clear();
    strutTable_.clear();
    strutsToRead_.clear();
    strutReads_.clear(); // their cookies died with the connection
    rootChildrenDirty_ = false;
    wmWindow_ = 0;
    wmAllowedActions_ = false;
    clientListDirty_ = wmDirty_ = false;
}

void X11Workspace::detectWindowManager() {
    wmWindow_ = 0;
    wmAllowedActions_ = false;
    const X11Connection::Atoms& a = x_.atoms();
    const auto check = x_.requestProperty(x_.root(), a.netSupportingWmCheck, 1);
    const auto rootCheck = x_.takeProperty(check);
    const auto candidate = rootCheck ? X11Properties::window(*rootCheck) : std::nullopt;
    if (!candidate) {
        return;
    }
    // The check window names itself when the manager that set it still runs.
    const auto own = x_.requestProperty(*candidate, a.netSupportingWmCheck, 1);
    const auto supported = x_.requestProperty(x_.root(), a.netSupported, 1024);
    const auto ownCheck = x_.takeProperty(own);
    const auto supportedList = x_.takeProperty(supported);
    if (!ownCheck || X11Properties::window(*ownCheck) != candidate) {
        return;
    }
    wmWindow_ = *candidate;
    selectWindowEvents(wmWindow_);
    if (supportedList) {
        if (auto list = X11Properties::atoms(*supportedList)) {
            wmAllowedActions_ =
                std::find(list->begin(), list->end(), a.netWmAllowedActions) != list->end();
        }
    }
}

void X11Workspace::selectRootEvents() {
    if (x_.xcb() == nullptr) {
        return;
    }
    // Mapping on the root is followed even under a window manager, for the
    // struts of the docks it does not list.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_.xcb(), x_.root(), XCB_CW_EVENT_MASK, &mask);
}

std::vector<xcb_window_t> X11Workspace::currentTopLevels() {
    xcb_connection_t* c = x_.xcb();
    if (c == nullptr) {
        return {};
    }
    if (hasWindowManager()) {
        const auto cookie = x_.requestProperty(x_.root(), x_.atoms().netClientList, 65536);
        const auto p = x_.takeProperty(cookie);
        auto list = p ? X11Properties::windows(*p) : std::nullopt;
        return list ? *list : std::vector<xcb_window_t>{};
    }
    return mappedRootChildren();
}

std::vector<xcb_window_t> X11Workspace::mappedRootChildren() {
    xcb_connection_t* c = x_.xcb();
    if (c == nullptr) {
        return {};
    }
    auto tree =
        x_.reply<xcb_query_tree_reply_t>(xcb_query_tree_reply, xcb_query_tree(c, x_.root()));
    if (!tree) {
        return {};
    }
    const xcb_window_t* kids = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> children(kids,
                                             kids + xcb_query_tree_children_length(tree.get()));
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (xcb_window_t w : children) {
        cookies.push_back(xcb_get_window_attributes(c, w));
    }
    std::vector<xcb_window_t> mapped;
    for (std::size_t i = 0; i < children.size(); ++i) {
        auto r = x_.reply<xcb_get_window_attributes_reply_t>(xcb_get_window_attributes_reply,
                                                             cookies[i]);
        if (r && r->map_state == XCB_MAP_STATE_VIEWABLE && r->override_redirect == 0) {
            mapped.push_back(children[i]);
        }
    }
    return mapped;
}

std::vector<std::optional<X11Workspace::Client>>
X11Workspace::fetchClients(const std::vector<xcb_window_t>& windows) {
    const X11Connection::Atoms& a = x_.atoms();
    struct Cookies {
        xcb_get_property_cookie_t pid, type, state, transient, gtk, kde, wmClass;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t w : windows) {
        cookies.push_back({x_.requestProperty(w, a.netWmPid, 1),
                           x_.requestProperty(w, a.netWmWindowType, 64),
                           x_.requestProperty(w, a.netWmState, 64),
                           x_.requestProperty(w, XCB_ATOM_WM_TRANSIENT_FOR, 1),
                           x_.requestProperty(w, a.gtkApplicationId, kMaxTextLongs),
                           x_.requestProperty(w, a.kdeDesktopFile, kMaxTextLongs),
                           x_.requestProperty(w, XCB_ATOM_WM_CLASS, kMaxTextLongs)});
    }
    const X11Properties::TypeAtoms typeAtoms{a.typeNormal,  a.typeDialog, a.typeUtility,
                                             a.typeToolbar, a.typeMenu,   a.typeSplash};
    std::vector<std::optional<Client>> clients(windows.size());
    std::vector<std::optional<Pid>> pids(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const Cookies& k = cookies[i];
        const auto pid = x_.takeProperty(k.pid);
        const auto type = x_.takeProperty(k.type);
        const auto state = x_.takeProperty(k.state);
        const auto transient = x_.takeProperty(k.transient);
        const auto gtk = x_.takeProperty(k.gtk);
        const auto kde = x_.takeProperty(k.kde);
        const auto wmClass = x_.takeProperty(k.wmClass);
        if (!pid || !type || !state || !transient || !gtk || !kde || !wmClass) {
            continue; // the window is gone
        }
        Client client;
        client.window = windows[i];
        pids[i] = X11Properties::pid(*pid);
        const auto kind = X11Properties::windowKind(
            X11Properties::atoms(*type), X11Properties::window(*transient).has_value(), typeAtoms);
        const auto states = X11Properties::atoms(*state);
        const bool skipTaskbar = states && std::find(states->begin(), states->end(),
                                                     a.stateSkipTaskbar) != states->end();
        client.regular = kind == X11Properties::WindowKind::Standard && !skipTaskbar;
        const auto cls = X11Properties::wmClass(*wmClass);
        if (cls) {
            client.className = cls->className;
        }
        client.bundleIdentifier = X11Properties::utf8Text(*gtk, a.utf8String);
        if (!client.bundleIdentifier) {
            client.bundleIdentifier = X11Properties::utf8Text(*kde, a.utf8String);
        }
        if (!client.bundleIdentifier) {
            client.bundleIdentifier = client.className;
        }
        clients[i] = std::move(client);
    }

    // Windows without _NET_WM_PID: ask X-Resource which local process owns them.
    if (x_.hasRes() && x_.xcb() != nullptr) {
        std::vector<std::pair<std::size_t, xcb_res_query_client_ids_cookie_t>> queries;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (clients[i] && !pids[i] && windows[i] != 0) {
                const xcb_res_client_id_spec_t query{windows[i],
                                                     XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
                queries.emplace_back(i, xcb_res_query_client_ids(x_.xcb(), 1, &query));
            }
        }
        if (!queries.empty()) {
        }
        for (auto& [i, cookie] : queries) {
            auto r =
                x_.reply<xcb_res_query_client_ids_reply_t>(xcb_res_query_client_ids_reply, cookie);
            if (!r) {
                continue;
            }
            std::vector<X11Properties::ClientIdValue> ids;
            for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem > 0;
                 xcb_res_client_id_value_next(&it)) {
                const std::uint32_t* v = xcb_res_client_id_value_value(it.data);
                const int n = xcb_res_client_id_value_value_length(it.data);
                // The value begins with its client and mask (standard layout, first member).
                const auto* id = reinterpret_cast<const xcb_res_client_id_spec_t*>(it.data);
                ids.push_back(
                    {id->client, id->mask, std::vector<std::uint32_t>(v, v + std::max(n, 0))});
            }
            pids[i] = X11Properties::pidFromClientIds(windows[i], ids);
        }
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (clients[i] && pids[i]) {
            clients[i]->pid = *pids[i];
            // Our toolkit labels our windows with a bare class name only; the
            // program knows its own identifier better.
            if (ownIdentity_ && *pids[i] == ownIdentity_->first) {
                clients[i]->bundleIdentifier = ownIdentity_->second;
            }
        } else {
            clients[i].reset(); // a window no process owns is nobody's to move
        }
    }
    return clients;
}

void X11Workspace::updateClients(const std::vector<xcb_window_t>& current, bool reportNewWindows) {
    std::vector<xcb_window_t> added, dropped;
    strutTable_.replace(StrutTable::Listed,
                        hasWindowManager() ? current : std::vector<xcb_window_t>{}, added, dropped);
    trackStruts(added, dropped);
    const std::set<xcb_window_t> present(current.begin(), current.end());
    std::set<Pid> touched;
    std::vector<xcb_window_t> gone;
    for (const auto& [window, client] : clients_) {
        if (present.count(window) == 0) {
            gone.push_back(window);
        }
    }
    for (xcb_window_t w : gone) {
        removeClient(w, touched);
    }
    std::vector<xcb_window_t> newWindows;
    std::erase_if(unowned_, [&](xcb_window_t w) { return present.count(w) == 0; });
    for (xcb_window_t w : current) {
        if (clients_.count(w) == 0 && unowned_.count(w) == 0) {
            newWindows.push_back(w);
        }
    }
    if (!newWindows.empty()) {
        addClients(newWindows, reportNewWindows);
    }
    for (Pid pid : touched) {
        auto it = applications_.find(pid);
        if (it == applications_.end()) {
            continue;
        }
        if (it->second.windows.empty()) {
            RunningApplicationRef app = it->second.snapshot;
            applications_.erase(it);
            std::erase(applicationOrder_, pid);
            if (reportNewWindows) {
                post([this, app] { notify(WorkspaceNotification::DidTerminateApplication, app); });
            }
        } else {
            it->second.snapshot = makeSnapshot(pid);
        }
    }
}

void X11Workspace::addClients(const std::vector<xcb_window_t>& windows, bool reportNewWindows) {
    const auto fetched = fetchClients(windows);
    const std::uint64_t generation = x_.generation();
    for (std::size_t i = 0; i < fetched.size(); ++i) {
        const auto& client = fetched[i];
        if (!client) {
            unowned_.insert(windows[i]);
            continue;
        }
        if (clients_.count(client->window) != 0) {
            continue;
        }
        clients_.emplace(client->window, *client);
        const Pid pid = client->pid;
        auto [it, isNew] = applications_.try_emplace(pid);
        const bool wasRegular = !isNew && it->second.snapshot &&
                                it->second.snapshot->activationPolicy == ActivationPolicy::Regular;
        it->second.windows.push_back(client->window);
        it->second.snapshot = makeSnapshot(pid);
        if (isNew) {
            applicationOrder_.push_back(pid);
        }
        if (!reportNewWindows) {
            continue;
        }
        // A launch goes first, so that the new window finds its observer.
        const bool isRegular = it->second.snapshot->activationPolicy == ActivationPolicy::Regular;
        if (isNew || (isRegular && !wasRegular)) {
            RunningApplicationRef app = it->second.snapshot;
            post([this, app] { notify(WorkspaceNotification::DidLaunchApplication, app); });
        }
        const xcb_window_t window = client->window;
        post([this, pid, window, generation] {
            if (generation == x_.generation() && onWindowCreated) {
                onWindowCreated(pid, window);
            }
        });
    }
}

void X11Workspace::removeClient(xcb_window_t window, std::set<Pid>& touched) {
    const auto it = clients_.find(window);
    if (it == clients_.end()) {
        return;
    }
    const Pid pid = it->second.pid;
    clients_.erase(it);
    touched.insert(pid);
    if (auto app = applications_.find(pid); app != applications_.end()) {
        std::erase(app->second.windows, window);
    }
}

RunningApplicationRef X11Workspace::makeSnapshot(Pid pid) const {
    auto app = std::make_shared<RunningApplication>();
    app->processIdentifier = pid;
    app->activationPolicy = ActivationPolicy::Accessory;
    const Client* source = nullptr;
    for (xcb_window_t w : applications_.at(pid).windows) {
        const Client& c = clients_.at(w);
        if (c.regular) {
            app->activationPolicy = ActivationPolicy::Regular;
        }
        // Identify the application by its ordinary windows where it has some.
        const bool better =
            source == nullptr || (c.regular && !source->regular) ||
            (!source->bundleIdentifier && c.bundleIdentifier && c.regular == source->regular);
        if (better) {
            source = &c;
        }
    }
    if (source != nullptr) {
        app->bundleIdentifier = source->bundleIdentifier;
        std::optional<std::string> name;
        if (source->bundleIdentifier) {
            name = desktopEntries_.nameFor(*source->bundleIdentifier);
        }
        if (!name && source->className) {
            name = desktopEntries_.nameFor(*source->className);
        }
        app->localizedName = name ? name : source->className;
    }
    return app;
}

void X11Workspace::handleEvent(const xcb_generic_event_t& event) {
    const X11Connection::Atoms& a = x_.atoms();
    switch (event.response_type & 0x7F) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window != x_.root()) {
            if ((e.atom == a.netWmStrutPartial || e.atom == a.netWmStrut) &&
                strutTable_.tracks(e.window)) {
                strutsToRead_.insert(e.window);
            }
            break;
        }
        if (e.atom == a.netClientList) {
            clientListDirty_ = true;
        } else if (e.atom == a.netSupportingWmCheck || e.atom == a.netSupported) {
            wmDirty_ = true;
        }
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (e.event == x_.root()) {
            strutTable_.remove(e.window, StrutTable::Mapped);
            strutsToRead_.erase(e.window);
        }
        if (e.window != 0 && e.window == wmWindow_) {
            wmDirty_ = true;
        } else if (!hasWindowManager() && e.event == x_.root()) {
            std::erase(pendingMapped_, e.window);
            pendingUnmapped_.push_back(e.window);
        }
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (e.event == x_.root() && strutTable_.remove(e.window, StrutTable::Mapped)) {
            selectWindowEvents(e.window);
        }
        if (!hasWindowManager() && e.event == x_.root()) {
            std::erase(pendingMapped_, e.window);
            pendingUnmapped_.push_back(e.window);
        }
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (e.event == x_.root() && e.override_redirect == 0 &&
            strutTable_.add(e.window, StrutTable::Mapped)) {
            selectWindowEvents(e.window);
            strutsToRead_.insert(e.window);
        }
        if (!hasWindowManager() && e.event == x_.root() && e.override_redirect == 0) {
            std::erase(pendingUnmapped_, e.window);
            pendingMapped_.push_back(e.window);
        }
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (e.event != x_.root()) {
            break;
        }
        if (e.parent == x_.root()) {
            rootChildrenDirty_ = true; // it may arrive mapped
        } else if (strutTable_.remove(e.window, StrutTable::Mapped)) {
            selectWindowEvents(e.window);
        }
        break;
    }
    default:
        break;
    }
}

void X11Workspace::eventsProcessed() {
    if (x_.xcb() == nullptr) {
        return;
    }
    updateTopLevels();
    requestStruts();
}

void X11Workspace::updateTopLevels() {
    if (wmDirty_) {
        wmDirty_ = false;
        const xcb_window_t before = wmWindow_;
        detectWindowManager();
        if (wmWindow_ != before) {
            // A window manager came or went: take its view of the clients as it is.
            selectRootEvents();
            pendingMapped_.clear();
            pendingUnmapped_.clear();
            clientListDirty_ = false;
            rootChildrenDirty_ = true;
            updateClients(currentTopLevels(), false);
            return;
        }
    }
    if (hasWindowManager()) {
        if (clientListDirty_) {
            clientListDirty_ = false;
            updateClients(currentTopLevels(), true);
        }
        return;
    }
    if (pendingMapped_.empty() && pendingUnmapped_.empty()) {
        return;
    }
    std::vector<xcb_window_t> current;
    for (const auto& [window, client] : clients_) {
        if (std::find(pendingUnmapped_.begin(), pendingUnmapped_.end(), window) ==
            pendingUnmapped_.end()) {
            current.push_back(window);
        }
    }
    for (xcb_window_t w : pendingMapped_) {
        if (std::find(current.begin(), current.end(), w) == current.end()) {
            current.push_back(w);
        }
    }
    pendingMapped_.clear();
    pendingUnmapped_.clear();
    updateClients(current, true);
}

std::vector<X11Properties::Strut> X11Workspace::struts(std::uint32_t screenWidth,
                                                       std::uint32_t screenHeight) {
    collectStruts();
    return strutTable_.struts(screenWidth, screenHeight);
}

void X11Workspace::trackStruts(const std::vector<xcb_window_t>& added,
                               const std::vector<xcb_window_t>& dropped) {
    for (xcb_window_t w : added) {
        selectWindowEvents(w);
        strutsToRead_.insert(w);
    }
    for (xcb_window_t w : dropped) {
        selectWindowEvents(w);
        strutsToRead_.erase(w);
    }
}

void X11Workspace::selectWindowEvents(xcb_window_t window) {
    if (x_.xcb() == nullptr || window == 0) {
        return;
    }
    std::uint32_t mask = 0;
    if (strutTable_.tracks(window)) {
        mask |= XCB_EVENT_MASK_PROPERTY_CHANGE;
    }
    if (window == wmWindow_) {
        mask |= XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    }
    // A window already gone answers with an error event, which is ignored.
    xcb_change_window_attributes(x_.xcb(), window, XCB_CW_EVENT_MASK, &mask);
}

void X11Workspace::requestStruts() {
    if (x_.xcb() == nullptr) {
        return;
    }
    if (rootChildrenDirty_) {
        rootChildrenDirty_ = false;
        std::vector<xcb_window_t> added, dropped;
        strutTable_.replace(StrutTable::Mapped, mappedRootChildren(), added, dropped);
        trackStruts(added, dropped);
    }
    if (strutsToRead_.empty()) {
        return;
    }
    // The replies are taken when a snapshot needs them, so handling events
    // never waits for them.
    collectStruts();
    const X11Connection::Atoms& a = x_.atoms();
    for (xcb_window_t w : strutsToRead_) {
        strutReads_.push_back({w, x_.requestProperty(w, a.netWmStrutPartial, 12),
                               x_.requestProperty(w, a.netWmStrut, 4)});
    }
    strutsToRead_.clear();
    xcb_flush(x_.xcb());
}

void X11Workspace::collectStruts() {
    if (strutReads_.empty()) {
        return;
    }
    for (const StrutRead& r : strutReads_) {
        const auto partial = x_.takeProperty(r.partial);
        const auto plain = x_.takeProperty(r.plain);
        strutTable_.update(r.window, partial, plain);
    }
    strutReads_.clear();
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
