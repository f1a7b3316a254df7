#include "platform/x11/X11Connection.h"

#include <QSocketNotifier>
#include <cstring>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/xinerama.h>

namespace tarnwick {

X11Connection::X11Connection(QObject* parent) : QObject(parent) {}

X11Connection::~X11Connection() {
    delete notifier_;
    if (c_ != nullptr) {
        xcb_disconnect(c_);
    }
}

bool X11Connection::connectToServer() {
    if (c_ != nullptr) {
        return true;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) {
        xcb_screen_next(&it);
    }
    if (it.rem == 0) {
        xcb_disconnect(c);
        return false;
    }
    c_ = c;
    root_ = it.data->root;
    ++generation_;
    endTurn();
    internAtoms();
    queryExtensions();
    if (xcb_connection_has_error(c_) != 0) {
        teardown();
        return false;
    }
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { processEvents(); });
    if (onConnected) {
        onConnected();
    }
    // Replies waited for during setup may have queued events already.
    afterWait();
    return c_ != nullptr;
}

void X11Connection::internAtoms() {
    struct Name {
        const char* name;
        xcb_atom_t Atoms::*field;
    };
    static constexpr Name kNames[] = {
        {"_NET_SUPPORTING_WM_CHECK", &Atoms::netSupportingWmCheck},
        {"_NET_SUPPORTED", &Atoms::netSupported},
        {"_NET_CLIENT_LIST", &Atoms::netClientList},
        {"_NET_WM_PID", &Atoms::netWmPid},
        {"_NET_WM_WINDOW_TYPE", &Atoms::netWmWindowType},
        {"_NET_WM_WINDOW_TYPE_NORMAL", &Atoms::typeNormal},
        {"_NET_WM_WINDOW_TYPE_DIALOG", &Atoms::typeDialog},
        {"_NET_WM_WINDOW_TYPE_UTILITY", &Atoms::typeUtility},
        {"_NET_WM_WINDOW_TYPE_TOOLBAR", &Atoms::typeToolbar},
        {"_NET_WM_WINDOW_TYPE_MENU", &Atoms::typeMenu},
        {"_NET_WM_WINDOW_TYPE_SPLASH", &Atoms::typeSplash},
        {"_NET_WM_WINDOW_TYPE_DOCK", &Atoms::typeDock},
        {"_NET_WM_STATE", &Atoms::netWmState},
        {"_NET_WM_STATE_HIDDEN", &Atoms::stateHidden},
        {"_NET_WM_STATE_FULLSCREEN", &Atoms::stateFullscreen},
        {"_NET_WM_STATE_SKIP_TASKBAR", &Atoms::stateSkipTaskbar},
        {"_NET_WM_STATE_MAXIMIZED_VERT", &Atoms::stateMaximizedVert},
        {"_NET_WM_STATE_MAXIMIZED_HORZ", &Atoms::stateMaximizedHorz},
        {"_NET_FRAME_EXTENTS", &Atoms::netFrameExtents},
        {"_GTK_FRAME_EXTENTS", &Atoms::gtkFrameExtents},
        {"_NET_WORKAREA", &Atoms::netWorkarea},
        {"_NET_CURRENT_DESKTOP", &Atoms::netCurrentDesktop},
        {"_NET_WM_ALLOWED_ACTIONS", &Atoms::netWmAllowedActions},
        {"_NET_WM_ACTION_MOVE", &Atoms::actionMove},
        {"_NET_MOVERESIZE_WINDOW", &Atoms::netMoveresizeWindow},
        {"_NET_WM_STRUT", &Atoms::netWmStrut},
        {"_NET_WM_STRUT_PARTIAL", &Atoms::netWmStrutPartial},
        {"UTF8_STRING", &Atoms::utf8String},
        {"_GTK_APPLICATION_ID", &Atoms::gtkApplicationId},
        {"_KDE_NET_WM_DESKTOP_FILE", &Atoms::kdeDesktopFile},
        {"WM_STATE", &Atoms::wmState},
        {"EDID", &Atoms::edid},
        {"EDID_DATA", &Atoms::edidData},
        {"XFree86_DDC_EDID1_RAWDATA", &Atoms::edidDdc},
    };
    xcb_intern_atom_cookie_t cookies[std::size(kNames)];
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        cookies[i] = xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(kNames[i].name)),
                                     kNames[i].name);
    }
    atoms_ = Atoms{};
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (auto r = reply<xcb_intern_atom_reply_t>(xcb_intern_atom_reply, cookies[i])) {
            atoms_.*(kNames[i].field) = r->atom;
        }
    }
}

void X11Connection::queryExtensions() {
    randr15_ = xinerama_ = res_ = false;
    randrEventBase_ = 0;
    const auto present = [this](xcb_extension_t* ext) {
        const xcb_query_extension_reply_t* data = xcb_get_extension_data(c_, ext);
        return data != nullptr && data->present != 0;
    };
    const bool randr = present(&xcb_randr_id);
    if (randr) {
        randrEventBase_ = xcb_get_extension_data(c_, &xcb_randr_id)->first_event;
    }
    const bool res = present(&xcb_res_id);
    xinerama_ = present(&xcb_xinerama_id);
    xcb_randr_query_version_cookie_t rv{};
    xcb_res_query_version_cookie_t sv{};
    if (randr) {
        rv = xcb_randr_query_version(c_, 1, 5);
    }
    if (res) {
        sv = xcb_res_query_version(c_, 1, 2);
    }
    if (randr) {
        if (auto r = reply<xcb_randr_query_version_reply_t>(xcb_randr_query_version_reply, rv)) {
            randr15_ = r->major_version > 1 || (r->major_version == 1 && r->minor_version >= 5);
        }
    }
    if (res) {
        if (auto r = reply<xcb_res_query_version_reply_t>(xcb_res_query_version_reply, sv)) {
            res_ = r->server_major > 1 || (r->server_major == 1 && r->server_minor >= 2);
        }
    }
}

bool X11Connection::checkHealth() {
    if (c_ == nullptr) {
        return false;
    }
    if (xcb_connection_has_error(c_) != 0) {
        teardown();
        return false;
    }
    return true;
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         std::uint32_t maxItems) {
    if (c_ == nullptr || window == 0 || property == 0) {
        return {0};
    }
    return xcb_get_property(c_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, maxItems);
}

std::optional<X11Properties::RawProperty>
X11Connection::takeProperty(xcb_get_property_cookie_t cookie) {
    if (cookie.sequence == 0) {
        return std::nullopt;
    }
    auto r = reply<xcb_get_property_reply_t>(xcb_get_property_reply, cookie);
    if (!r) {
        return std::nullopt;
    }
    X11Properties::RawProperty p;
    p.type = r->type;
    p.format = r->format;
    p.truncated = r->bytes_after != 0;
    const int length = xcb_get_property_value_length(r.get());
    if (length > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(xcb_get_property_value(r.get()));
        p.bytes.assign(bytes, bytes + length);
    }
    return p;
}

std::uint64_t X11Connection::turn() {
    if (!turnEndPosted_) {
        turnEndPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                turnEndPosted_ = false;
                endTurn();
            },
            Qt::QueuedConnection);
    }
    return turn_;
}

void X11Connection::afterWait() {
    // Waiting for a reply outside the event handler may move events into xcb's
    // queue, where the socket notifier no longer sees them.
    if (processing_ || drainPosted_) {
        return;
    }
    drainPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            drainPosted_ = false;
            processEvents();
        },
        Qt::QueuedConnection);
}

void X11Connection::processEvents() {
    if (c_ == nullptr || processing_) {
        return;
    }
    processing_ = true;
    const std::uint64_t generation = generation_;
    while (c_ != nullptr && generation == generation_) {
        XcbPtr<xcb_generic_event_t> event(xcb_poll_for_event(c_));
        if (!event) {
            break;
        }
        endTurn();
        if (onEvent) {
            onEvent(*event);
        }
    }
    if (c_ != nullptr && generation == generation_ && onEventsProcessed) {
        onEventsProcessed();
    }
    // The handlers may have waited for replies and queued further events.
    while (c_ != nullptr && generation == generation_) {
        XcbPtr<xcb_generic_event_t> event(xcb_poll_for_queued_event(c_));
        if (!event) {
            break;
        }
        endTurn();
        if (onEvent) {
            onEvent(*event);
        }
        if (onEventsProcessed) {
            onEventsProcessed();
        }
    }
    processing_ = false;
    if (c_ != nullptr && xcb_connection_has_error(c_) != 0) {
        teardown();
    }
}

void X11Connection::teardown() {
    if (c_ == nullptr) {
        return;
    }
    delete notifier_;
    notifier_ = nullptr;
    xcb_disconnect(c_);
    c_ = nullptr;
    root_ = 0;
    ++generation_;
    endTurn();
    if (onDisconnected) {
        onDisconnected();
    }
}

} // namespace tarnwick
