#pragma once

#include "engine/ports/Accessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Displays.h"
#include "platform/x11/X11MoveTracker.h"
#include "platform/x11/X11RunLoop.h"
#include "platform/x11/X11WindowReader.h"
#include "platform/x11/X11Workspace.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarnwick {

// Elements of this layer: a process, or one of its top-level client windows.
class X11Element : public AXElement {
public:
    enum class Kind { Application, Window };
    X11Element(Kind k, Pid p, xcb_window_t w, std::uint64_t g, xcb_window_t f = 0,
               std::uint64_t i = 0)
        : kind(k), pid(p), window(w), generation(g), frame(f != 0 ? f : w), instance(i) {}
    const Kind kind;
    const Pid pid;
    const xcb_window_t window;
    const std::uint64_t generation; // of the connection the window id belongs to
    const xcb_window_t frame;       // the root's child that holds the window
    const std::uint64_t instance;   // the window's life under that id
};

// Accessibility on X: windows are read through their EWMH/ICCCM properties and
// moved through the window manager.
class X11Accessibility : public QObject, public Accessibility {
    Q_OBJECT
public:
    X11Accessibility(X11Connection& connection, X11Workspace& workspace, X11Displays& displays,
                     X11RunLoop& runLoop, std::function<bool()> trustTest,
                     std::function<bool()> trustPrompt, QObject* parent = nullptr);

    // Hands a new window to every observer of its process whose source is added.
    // The frame, when known, spares looking it up.
    void deliverWindowCreated(Pid pid, xcb_window_t window, std::uint64_t instance,
                              xcb_window_t frame = 0);
    void handleEvent(const xcb_generic_event_t& event) { moves_.handleEvent(event); }
    void connectionLost();

    bool isProcessTrusted() override;
    bool isProcessTrustedWithPrompt() override;
    AXElementRef createApplication(Pid pid) override;
    AXError observerCreate(Pid pid, AXObserverCallback callback, AXObserverRef& observer) override;
    AXError observerAddNotification(const AXObserverRef& observer, const AXElementRef& element,
                                    const std::string& notification, void* refcon) override;
    RunLoopSourceRef observerGetRunLoopSource(const AXObserverRef& observer) override;
    AXError copyAttributeValue(const AXElementRef& element, const std::string& attribute,
                               AXAttributeValue& value) override;
    AXError isAttributeSettable(const AXElementRef& element, const std::string& attribute,
                                bool& settable) override;
    AXError setAttributeValue(const AXElementRef& element, const std::string& attribute,
                              const AXValue& value) override;
    AXError getPid(const AXElementRef& element, Pid& pid) override;
    // True once the window's frame was seen on the monitor it was sent to.
    void whenAttributeApplied(const AXElementRef& element, const std::string& attribute,
                              std::function<void(bool applied)> done) override;
    std::optional<AXValue> valueCreate(const Point& point) override;

private:
    const X11Element* liveElement(const AXElementRef& element) const;
    void sendMove(xcb_window_t window, std::int32_t x, std::int32_t y, const WindowFacts& f);

    X11Connection& x_;
    X11Workspace& workspace_;
    X11Displays& displays_;
    X11RunLoop& runLoop_;
    std::function<bool()> trustTest_, trustPrompt_;
    std::vector<std::weak_ptr<AXObserver>> observers_;
    X11WindowReader reader_;
    X11MoveTracker moves_;
};

} // namespace tarnwick
