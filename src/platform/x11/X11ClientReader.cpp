#include "platform/x11/X11ClientReader.h"

#include <algorithm>
#include <xcb/res.h>

namespace tarnwick {

namespace {
constexpr std::uint32_t kMaxTextLongs = X11Properties::kMaxTextBytes / 4;
} // namespace

std::optional<std::string>
X11ClientReader::applicationId(std::optional<std::string> gtk, std::optional<std::string> kde,
                               const std::optional<std::string>& className) {
    if (gtk && !gtk->empty()) {
        return gtk;
    }
    if (kde && !kde->empty()) {
        return kde;
    }
    return className;
}

std::vector<std::optional<ClientFacts>>
X11ClientReader::read(const std::vector<Request>& requests) {
    std::vector<std::optional<ClientFacts>> facts(requests.size());
    if (x_.xcb() == nullptr || requests.empty()) {
        return facts;
    }
    const X11Connection::Atoms& a = x_.atoms();
    struct Cookies {
        xcb_get_property_cookie_t pid, type, state, transient, gtk, kde, wmClass, wmState;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(requests.size());
    for (const Request& r : requests) {
        const xcb_window_t w = r.window;
        cookies.push_back({x_.requestProperty(w, a.netWmPid, 1),
                           x_.requestProperty(w, a.netWmWindowType, 64),
                           x_.requestProperty(w, a.netWmState, 64),
                           x_.requestProperty(w, XCB_ATOM_WM_TRANSIENT_FOR, 1),
                           x_.requestProperty(w, a.gtkApplicationId, kMaxTextLongs),
                           x_.requestProperty(w, a.kdeDesktopFile, kMaxTextLongs),
                           x_.requestProperty(w, XCB_ATOM_WM_CLASS, kMaxTextLongs),
                           x_.requestProperty(w, a.wmState, 2)});
    }
    const X11Properties::TypeAtoms typeAtoms{a.typeNormal,  a.typeDialog, a.typeUtility,
                                             a.typeToolbar, a.typeMenu,   a.typeSplash};
    std::vector<std::optional<Pid>> pids(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const Cookies& k = cookies[i];
        const auto pid = x_.takeProperty(k.pid);
        const auto type = x_.takeProperty(k.type);
        const auto state = x_.takeProperty(k.state);
        const auto transient = x_.takeProperty(k.transient);
        const auto gtk = x_.takeProperty(k.gtk);
        const auto kde = x_.takeProperty(k.kde);
        const auto wmClass = x_.takeProperty(k.wmClass);
        const auto wmState = x_.takeProperty(k.wmState);
        if (!pid || !type || !state || !transient || !gtk || !kde || !wmClass || !wmState) {
            continue; // the window is gone
        }
        // A frame or another window of the window manager's own is no client.
        if (requests[i].mustBeManaged && wmState->type == 0) {
            continue;
        }
        ClientFacts f;
        pids[i] = X11Properties::pid(*pid);
        const auto kind = X11Properties::windowKind(
            X11Properties::atoms(*type), X11Properties::window(*transient).has_value(), typeAtoms);
        const auto states = X11Properties::atoms(*state);
        const bool skipTaskbar = states && std::find(states->begin(), states->end(),
                                                     a.stateSkipTaskbar) != states->end();
        f.regular = kind == X11Properties::WindowKind::Standard && !skipTaskbar;
        if (const auto cls = X11Properties::wmClass(*wmClass)) {
            f.className = cls->className;
        }
        f.applicationId = applicationId(X11Properties::utf8Text(*gtk, a.utf8String),
                                        X11Properties::utf8Text(*kde, a.utf8String), f.className);
        facts[i] = std::move(f);
    }
    readPidsFromServer(requests, facts, pids);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (!facts[i] || !pids[i]) {
            facts[i].reset(); // a window no process owns is nobody's to move
            continue;
        }
        facts[i]->pid = *pids[i];
        // Our toolkit labels our windows with a bare class name only; the
        // program knows its own identifier better.
        if (ownIdentity_ && *pids[i] == ownIdentity_->first) {
            facts[i]->applicationId = ownIdentity_->second;
        }
    }
    return facts;
}

// Windows without _NET_WM_PID: X-Resource tells which local process owns them.
void X11ClientReader::readPidsFromServer(const std::vector<Request>& requests,
                                         std::vector<std::optional<ClientFacts>>& facts,
                                         std::vector<std::optional<Pid>>& pids) {
    if (!x_.hasRes() || x_.xcb() == nullptr) {
        return;
    }
    std::vector<std::pair<std::size_t, xcb_res_query_client_ids_cookie_t>> queries;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (facts[i] && !pids[i] && requests[i].window != 0) {
            const xcb_res_client_id_spec_t query{requests[i].window,
                                                 XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            queries.emplace_back(i, xcb_res_query_client_ids(x_.xcb(), 1, &query));
        }
    }
    if (queries.empty()) {
        return;
    }
    for (auto& [i, cookie] : queries) {
        auto r = x_.reply<xcb_res_query_client_ids_reply_t>(xcb_res_query_client_ids_reply, cookie);
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
        pids[i] = X11Properties::pidFromClientIds(requests[i].window, ids);
    }
}

} // namespace tarnwick
