#pragma once

#include "platform/x11/X11Properties.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

class QSocketNotifier;

namespace tarnwick {

// Frees an xcb reply or event.
struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbPtr = std::unique_ptr<T, XcbFree>;

// The layer's own connection to the X server of $DISPLAY, separate from any
// toolkit's. Its socket is served by the Qt event loop; a broken connection is
// torn down, and reconnecting is up to the owner.
class X11Connection : public QObject {
    Q_OBJECT
public:
    struct Atoms {
        xcb_atom_t netSupportingWmCheck = 0, netSupported = 0, netClientList = 0, netWmPid = 0,
                   netWmWindowType = 0, typeNormal = 0, typeDialog = 0, typeUtility = 0,
                   typeToolbar = 0, typeMenu = 0, typeSplash = 0, typeDock = 0, netWmState = 0,
                   stateHidden = 0, stateFullscreen = 0, stateSkipTaskbar = 0,
                   stateMaximizedVert = 0, stateMaximizedHorz = 0, netFrameExtents = 0,
                   gtkFrameExtents = 0, netWorkarea = 0, netCurrentDesktop = 0,
                   netWmAllowedActions = 0, actionMove = 0, netMoveresizeWindow = 0, netWmStrut = 0,
                   netWmStrutPartial = 0, utf8String = 0, gtkApplicationId = 0, kdeDesktopFile = 0,
                   wmState = 0, edid = 0, edidData = 0, edidDdc = 0;
    };

    explicit X11Connection(QObject* parent = nullptr);
    ~X11Connection() override;

    // One connection attempt; true when connected afterwards.
    bool connectToServer();
    bool isConnected() const { return c_ != nullptr; }
    // False, after tearing the connection down, when it has broken.
    bool checkHealth();

    xcb_connection_t* xcb() const { return c_; }
    xcb_window_t root() const { return root_; }
    const Atoms& atoms() const { return atoms_; }
    // Changes with every connection, so that old window ids are never reused.
    std::uint64_t generation() const { return generation_; }
    bool hasRandr15() const { return randr15_; }
    bool hasXinerama() const { return xinerama_; }
    bool hasRes() const { return res_; }
    // The first event code of RandR; 0 without it.
    std::uint8_t randrEventBase() const { return randrEventBase_; }

    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              std::uint32_t maxItems = 1024);
    // Nothing when the request failed (the window is gone); a property of type 0
    // when it is not set.
    std::optional<X11Properties::RawProperty> takeProperty(xcb_get_property_cookie_t cookie);

    // Waits for a reply; null on any error.
    template <typename Reply, typename Cookie, typename Fn>
    XcbPtr<Reply> reply(Fn fn, Cookie cookie) {
        if (c_ == nullptr) {
            return nullptr;
        }
        xcb_generic_error_t* error = nullptr;
        XcbPtr<Reply> r(fn(c_, cookie, &error));
        std::free(error);
        afterWait();
        return error == nullptr ? std::move(r) : nullptr;
    }

    // Replies may be reused while the turn they were read in lasts: until control
    // returns to the event loop, events arrive, or a reader starts anew.
    std::uint64_t turn();
    void endTurn() { ++turn_; }

    std::function<void(const xcb_generic_event_t& event)> onEvent;
    std::function<void()> onEventsProcessed;
    std::function<void()> onConnected;
    std::function<void()> onDisconnected;

    // Handles every event that has arrived, and notices a lost connection.
    void processEvents();

private:
    void internAtoms();
    void queryExtensions();
    void afterWait();
    void teardown();

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    Atoms atoms_;
    std::uint64_t generation_ = 0;
    bool randr15_ = false, xinerama_ = false, res_ = false;
    std::uint8_t randrEventBase_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    bool processing_ = false;
    bool drainPosted_ = false;
    std::uint64_t turn_ = 1;
    bool turnEndPosted_ = false;
};

} // namespace tarnwick
