#include "platform/x11/X11Accessibility.h"

#include "app/Logging.h"
#include "platform/x11/Ewmh.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

class X11Observer : public AXObserver {
public:
    struct Registration {
        std::string notification;
        void* refcon;
    };
    X11Observer(Pid p, AXObserverCallback cb) : pid(p), callback(cb) {}
    const Pid pid;
    const AXObserverCallback callback;
    std::vector<Registration> registrations;
    const RunLoopSourceRef source = std::make_shared<RunLoopSource>();
};

constexpr std::uint32_t kWmStateIconic = 3;
constexpr int kMaxFrameDepth = 8;

bool contains(const std::optional<std::vector<std::uint32_t>>& list, std::uint32_t atom) {
    return list && atom != 0 && std::find(list->begin(), list->end(), atom) != list->end();
}

std::int32_t toCoordinate(double v) {
    return static_cast<std::int32_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

} // namespace

X11Accessibility::X11Accessibility(X11Connection& connection, X11Workspace& workspace,
                                   X11Displays& displays, X11RunLoop& runLoop,
                                   std::function<bool()> trustTest,
                                   std::function<bool()> trustPrompt, QObject* parent)
    : QObject(parent), x_(connection), workspace_(workspace), displays_(displays),
      runLoop_(runLoop), trustTest_(std::move(trustTest)), trustPrompt_(std::move(trustPrompt)) {}

bool X11Accessibility::isProcessTrusted() {
    return trustTest_ && trustTest_();
}

bool X11Accessibility::isProcessTrustedWithPrompt() {
    return trustPrompt_ && trustPrompt_();
}

AXElementRef X11Accessibility::createApplication(Pid pid) {
    return std::make_shared<X11Element>(X11Element::Kind::Application, pid, 0, 0);
}

AXError X11Accessibility::observerCreate(Pid pid, AXObserverCallback callback,
                                         AXObserverRef& observer) {
    if (callback == nullptr || pid <= 0) {
        return kAXErrorIllegalArgument;
    }
    if (!x_.isConnected()) {
        return kAXErrorCannotComplete;
    }
    std::erase_if(observers_, [](const auto& o) { return o.expired(); });
    auto created = std::make_shared<X11Observer>(pid, callback);
    observers_.push_back(created);
    observer = created;
    return kAXErrorSuccess;
}

AXError X11Accessibility::observerAddNotification(const AXObserverRef& observer,
                                                  const AXElementRef& element,
                                                  const std::string& notification, void* refcon) {
    auto* o = dynamic_cast<X11Observer*>(observer.get());
    const auto* e = dynamic_cast<const X11Element*>(element.get());
    if (o == nullptr || e == nullptr || e->kind != X11Element::Kind::Application ||
        e->pid != o->pid) {
        return kAXErrorIllegalArgument;
    }
    if (notification != kAXWindowCreatedNotification) {
        return kAXErrorFailure;
    }
    const bool known = std::any_of(o->registrations.begin(), o->registrations.end(),
                                   [&](const auto& r) { return r.notification == notification; });
    if (!known) {
        o->registrations.push_back({notification, refcon});
    }
    return kAXErrorSuccess;
}

RunLoopSourceRef X11Accessibility::observerGetRunLoopSource(const AXObserverRef& observer) {
    auto* o = dynamic_cast<X11Observer*>(observer.get());
    return o != nullptr ? o->source : nullptr;
}

void X11Accessibility::deliverWindowCreated(Pid pid, xcb_window_t window, std::uint64_t instance,
                                            xcb_window_t frame) {
    std::vector<AXObserverRef> targets;
    for (const auto& weak : observers_) {
        if (auto o = weak.lock()) {
            const auto* x11 = static_cast<const X11Observer*>(o.get());
            if (x11->pid == pid && runLoop_.contains(x11->source)) {
                targets.push_back(std::move(o));
            }
        }
    }
    if (targets.empty()) {
        return;
    }
    // The frame is found now, well before the window is handled, so that
    // handling it costs no further wait.
    const AXElementRef element =
        std::make_shared<X11Element>(X11Element::Kind::Window, pid, window, x_.generation(),
                                     frame != 0 ? frame : topLevel(window), instance);
    for (const AXObserverRef& o : targets) {
        const auto* x11 = static_cast<const X11Observer*>(o.get());
        // A callback may remove its own source; it then hears nothing more.
        if (!runLoop_.contains(x11->source)) {
            continue;
        }
        const auto registrations = x11->registrations;
        for (const auto& r : registrations) {
            x11->callback(o, element, r.notification, r.refcon);
        }
    }
}

xcb_window_t X11Accessibility::topLevel(xcb_window_t window) {
    xcb_connection_t* c = x_.xcb();
    xcb_window_t w = window;
    for (int depth = 0; c != nullptr && depth < kMaxFrameDepth; ++depth) {
        auto tree = x_.reply<xcb_query_tree_reply_t>(xcb_query_tree_reply, xcb_query_tree(c, w));
        if (!tree || tree->parent == 0) {
            return window;
        }
        if (tree->parent == tree->root) {
            return w;
        }
        w = tree->parent;
    }
    return window;
}

void X11Accessibility::connectionLost() {
    moves_.clear();
    cachedTurn_ = 0;
}

const X11Element* X11Accessibility::liveElement(const AXElementRef& element) const {
    const auto* e = dynamic_cast<const X11Element*>(element.get());
    if (e == nullptr) {
        return nullptr;
    }
    // A window destroyed since is dead, even when its id is already another's.
    if (e->kind == X11Element::Kind::Window &&
        (!x_.isConnected() || e->generation != x_.generation() || e->window == 0 ||
         !workspace_.isCurrent(e->window, e->instance))) {
        return nullptr;
    }
    return e;
}

std::optional<X11Accessibility::WindowFacts> X11Accessibility::facts(const X11Element& window) {
    if (cachedTurn_ == x_.turn() && cachedWindow_ == window.window &&
        cachedGeneration_ == window.generation) {
        return cachedFacts_;
    }
    xcb_connection_t* c = x_.xcb();
    if (c == nullptr) {
        return std::nullopt;
    }
    // Another window's handling, even in the same turn, sees the displays afresh.
    x_.endTurn();
    const X11Connection::Atoms& a = x_.atoms();
    const xcb_window_t w = window.window;
    const auto geometry = xcb_get_geometry(c, w);
    const auto translate = xcb_translate_coordinates(c, w, x_.root(), 0, 0);
    const auto type = x_.requestProperty(w, a.netWmWindowType, 64);
    const auto transient = x_.requestProperty(w, XCB_ATOM_WM_TRANSIENT_FOR, 1);
    const auto state = x_.requestProperty(w, a.netWmState, 64);
    const auto wmState = x_.requestProperty(w, a.wmState, 2);
    const auto extents = x_.requestProperty(w, a.netFrameExtents, 4);
    const auto shadow = x_.requestProperty(w, a.gtkFrameExtents, 4);
    const auto actions = x_.requestProperty(w, a.netWmAllowedActions, 64);
    const auto monitors = displays_.sendMonitorRequest();
    auto g = x_.reply<xcb_get_geometry_reply_t>(xcb_get_geometry_reply, geometry);
    displays_.takeSnapshot(monitors);
    auto t =
        x_.reply<xcb_translate_coordinates_reply_t>(xcb_translate_coordinates_reply, translate);
    const auto typeP = x_.takeProperty(type);
    const auto transientP = x_.takeProperty(transient);
    const auto stateP = x_.takeProperty(state);
    const auto wmStateP = x_.takeProperty(wmState);
    const auto extentsP = x_.takeProperty(extents);
    const auto shadowP = x_.takeProperty(shadow);
    const auto actionsP = x_.takeProperty(actions);

    std::optional<WindowFacts> result;
    if (g && t && typeP && transientP && stateP && wmStateP && extentsP && actionsP) {
        WindowFacts f;
        const X11Properties::TypeAtoms typeAtoms{a.typeNormal,  a.typeDialog, a.typeUtility,
                                                 a.typeToolbar, a.typeMenu,   a.typeSplash};
        f.kind =
            X11Properties::windowKind(X11Properties::atoms(*typeP),
                                      X11Properties::window(*transientP).has_value(), typeAtoms);
        const auto states = X11Properties::atoms(*stateP);
        f.minimized = contains(states, a.stateHidden) ||
                      X11Properties::wmState(*wmStateP, a.wmState) == kWmStateIconic;
        f.fullScreen = contains(states, a.stateFullscreen);
        int held = 0;
        for (xcb_atom_t m : {a.stateMaximizedVert, a.stateMaximizedHorz}) {
            if (contains(states, m)) {
                f.maximized[held++] = m;
            }
        }
        const auto allowed = X11Properties::atoms(*actionsP);
        f.movable = allowed ? contains(allowed, a.actionMove)
                            : !workspace_.windowManagerPublishesAllowedActions();
        // _NET_FRAME_EXTENTS may not be set yet; the frame then counts as none.
        const auto frame =
            X11Properties::frameExtents(*extentsP).value_or(X11Properties::FrameExtents{});
        if (shadowP) {
            f.shadow =
                X11Properties::frameExtents(*shadowP).value_or(X11Properties::FrameExtents{});
        }
        f.visibleFrame =
            ScreenLayout::visibleFrame(Point{double(t->dst_x), double(t->dst_y)}, g->width,
                                       g->height, g->border_width, frame, f.shadow);
        f.primary = displays_.primaryMonitor();
        result = f;
    }
    cachedWindow_ = w;
    cachedGeneration_ = window.generation;
    cachedFacts_ = result;
    cachedTurn_ = x_.turn();
    return result;
}

AXError X11Accessibility::copyAttributeValue(const AXElementRef& element,
                                             const std::string& attribute,
                                             AXAttributeValue& value) {
    const X11Element* e = liveElement(element);
    if (e == nullptr) {
        return kAXErrorInvalidUIElement;
    }
    if (e->kind == X11Element::Kind::Application) {
        if (attribute == kAXRoleAttribute) {
            value = std::string("AXApplication");
            return kAXErrorSuccess;
        }
        return kAXErrorAttributeUnsupported;
    }
    const bool known = attribute == kAXRoleAttribute || attribute == kAXSubroleAttribute ||
                       attribute == kAXMinimizedAttribute || attribute == kAXFullScreenAttribute ||
                       attribute == kAXPositionAttribute || attribute == kAXSizeAttribute;
    if (!known) {
        return kAXErrorAttributeUnsupported;
    }
    const auto f = facts(*e);
    if (!f) {
        return kAXErrorInvalidUIElement;
    }
    if (attribute == kAXRoleAttribute) {
        value = std::string(kAXWindowRole);
    } else if (attribute == kAXSubroleAttribute) {
        switch (f->kind) {
        case X11Properties::WindowKind::Standard:
            value = std::string(kAXStandardWindowSubrole);
            break;
        case X11Properties::WindowKind::Dialog:
            value = std::string(kAXDialogSubrole);
            break;
        case X11Properties::WindowKind::Floating:
            value = std::string(kAXFloatingWindowSubrole);
            break;
        case X11Properties::WindowKind::Other:
            return kAXErrorNoValue;
        }
    } else if (attribute == kAXMinimizedAttribute) {
        value = f->minimized;
    } else if (attribute == kAXFullScreenAttribute) {
        value = f->fullScreen;
    } else if (attribute == kAXPositionAttribute) {
        if (!f->primary) {
            return kAXErrorCannotComplete;
        }
        value = AXValue::point(ScreenLayout::axFromRoot(f->visibleFrame.origin, *f->primary));
    } else {
        value = AXValue::size(f->visibleFrame.size);
    }
    return kAXErrorSuccess;
}

AXError X11Accessibility::isAttributeSettable(const AXElementRef& element,
                                              const std::string& attribute, bool& settable) {
    const X11Element* e = liveElement(element);
    if (e == nullptr) {
        return kAXErrorInvalidUIElement;
    }
    if (e->kind == X11Element::Kind::Application || attribute != kAXPositionAttribute) {
        settable = false;
        return kAXErrorSuccess;
    }
    const auto f = facts(*e);
    if (!f) {
        return kAXErrorInvalidUIElement;
    }
    settable = f->movable;
    return kAXErrorSuccess;
}

AXError X11Accessibility::setAttributeValue(const AXElementRef& element,
                                            const std::string& attribute, const AXValue& value) {
    const X11Element* e = liveElement(element);
    if (e == nullptr) {
        return kAXErrorInvalidUIElement;
    }
    if (e->kind != X11Element::Kind::Window || attribute != kAXPositionAttribute) {
        return kAXErrorAttributeUnsupported;
    }
    const Point* target = std::get_if<Point>(&value.payload);
    if (value.type != AXValueType::CGPoint || target == nullptr || !std::isfinite(target->x) ||
        !std::isfinite(target->y)) {
        return kAXErrorIllegalArgument;
    }
    // The reads of this handling saw the window and the primary monitor's corner.
    const auto f = facts(*e);
    if (!f) {
        return kAXErrorInvalidUIElement;
    }
    if (!f->primary) {
        return kAXErrorCannotComplete;
    }
    const Point root = ScreenLayout::rootFromAX(*target, *f->primary);
    const auto monitor = displays_.monitorAt(root);
    if (!monitor) {
        qCWarning(lcX11) << "no monitor at" << root.x << root.y << "for window" << Qt::hex
                         << e->window;
        return kAXErrorIllegalArgument;
    }
    // The request places the frame's corner; the visible frame starts inside
    // the client's own shadow.
    const std::int32_t x = toCoordinate(root.x - f->shadow.left);
    const std::int32_t y = toCoordinate(root.y - f->shadow.top);
    const xcb_window_t window = e->window;
    const WindowFacts sent = *f;
    const std::uint64_t generation = x_.generation();
    auto send = [this, window, x, y, sent, generation] {
        if (x_.xcb() != nullptr && x_.generation() == generation) {
            sendMove(window, x, y, sent);
        }
    };
    send();
    const auto& sh = f->shadow;
    moves_.track(e->frame, ScreenLayout::monitorRect(*monitor),
                 Rect(sh.left, sh.top, sh.right, sh.bottom), send);
    cachedTurn_ = 0; // the frame is moving
    return kAXErrorSuccess;
}

void X11Accessibility::sendMove(xcb_window_t window, std::int32_t x, std::int32_t y,
                                const WindowFacts& f) {
    xcb_connection_t* c = x_.xcb();
    const X11Connection::Atoms& a = x_.atoms();
    if (!workspace_.hasWindowManager()) {
        const std::uint32_t values[] = {static_cast<std::uint32_t>(x),
                                        static_cast<std::uint32_t>(y)};
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
        xcb_flush(c);
        return;
    }
    // Managers drop or distort moves of a maximized window: it is restored,
    // moved, and maximized again where it now is.
    const bool maximized = f.maximized[0] != 0;
    if (maximized) {
        Ewmh::send(c, x_.root(),
                   Ewmh::changeState(window, a.netWmState, Ewmh::StateAction::Remove,
                                     f.maximized[0], f.maximized[1]));
    }
    Ewmh::send(c, x_.root(), Ewmh::moveWindow(window, a.netMoveresizeWindow, x, y));
    if (maximized) {
        Ewmh::send(c, x_.root(),
                   Ewmh::changeState(window, a.netWmState, Ewmh::StateAction::Add, f.maximized[0],
                                     f.maximized[1]));
    }
    xcb_flush(c);
    qCDebug(lcX11) << "asked the window manager to move window" << Qt::hex << window << Qt::dec
                   << "to" << x << y << (maximized ? "(maximized)" : "");
}

void X11Accessibility::whenAttributeApplied(const AXElementRef& element,
                                            const std::string& attribute,
                                            std::function<void(bool applied)> done) {
    const X11Element* e = liveElement(element);
    if (e == nullptr || e->kind != X11Element::Kind::Window || attribute != kAXPositionAttribute) {
        done(false);
        return;
    }
    moves_.whenSettled(e->frame, std::move(done));
}

AXError X11Accessibility::getPid(const AXElementRef& element, Pid& pid) {
    const X11Element* e = liveElement(element);
    if (e == nullptr) {
        return kAXErrorInvalidUIElement;
    }
    pid = e->pid;
    return kAXErrorSuccess;
}

std::optional<AXValue> X11Accessibility::valueCreate(const Point& point) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
        return std::nullopt;
    }
    return AXValue::point(point);
}

} // namespace tarnwick
