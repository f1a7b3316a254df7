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

std::int32_t toCoordinate(double v) {
    return static_cast<std::int32_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

} // namespace

X11Accessibility::X11Accessibility(X11Connection& connection, X11Workspace& workspace,
                                   X11Displays& displays, X11RunLoop& runLoop,
                                   std::function<bool()> trustTest,
                                   std::function<bool()> trustPrompt, QObject* parent)
    : QObject(parent), x_(connection), workspace_(workspace), displays_(displays),
      runLoop_(runLoop), trustTest_(std::move(trustTest)), trustPrompt_(std::move(trustPrompt)),
      reader_(connection, displays, workspace.windowManager()) {}

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
                                     frame != 0 ? frame : reader_.topLevel(window), instance);
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

void X11Accessibility::connectionLost() {
    moves_.clear();
    reader_.forget();
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
    const auto f = reader_.read(e->window, e->frame, e->generation);
    return f ? f->attribute(attribute, value) : kAXErrorInvalidUIElement;
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
    const auto f = reader_.read(e->window, e->frame, e->generation);
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
    const auto f = reader_.read(e->window, e->frame, e->generation);
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
    const auto& h = f->hidden;
    moves_.track(e->frame, ScreenLayout::monitorRect(*monitor),
                 Rect(h.left, h.top, h.right, h.bottom), send);
    reader_.forget(); // the frame is moving
    return kAXErrorSuccess;
}

void X11Accessibility::sendMove(xcb_window_t window, std::int32_t x, std::int32_t y,
                                const WindowFacts& f) {
    xcb_connection_t* c = x_.xcb();
    const X11Connection::Atoms& a = x_.atoms();
    if (!workspace_.windowManager().running()) {
        const std::uint32_t values[] = {static_cast<std::uint32_t>(x),
                                        static_cast<std::uint32_t>(y)};
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
        xcb_flush(c);
        return;
    }
    for (const auto& m : Ewmh::moveRequests(window, a.netWmState, a.netMoveresizeWindow, x, y,
                                            f.maximized[0], f.maximized[1])) {
        Ewmh::send(c, x_.root(), m);
    }
    xcb_flush(c);
    qCDebug(lcX11) << "asked the window manager to move window" << Qt::hex << window << Qt::dec
                   << "to" << x << y << (f.maximized[0] != 0 ? "(maximized)" : "");
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
