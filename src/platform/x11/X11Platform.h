#pragma once

#include "engine/WindowPlacementController.h"

#include <QObject>
#include <chrono>
#include <memory>

namespace tarnwick {

class DesktopEntries;
class Scheduler;
class X11Accessibility;
class X11Connection;
class X11Displays;
class X11RunLoop;
class X11Workspace;

// Every port of the placement engine on an X11 display, over its own xcb
// connection to $DISPLAY. Without an answering display it reports no trust,
// no screens and no applications, and it reconnects when asked for trust.
class X11Platform : public QObject {
    Q_OBJECT
public:
    explicit X11Platform(QObject* parent = nullptr);
    ~X11Platform() override;

    EnginePorts enginePorts(Scheduler& scheduler);

    // The layer's connection, for measurements.
    const X11Connection& connection() const { return *connection_; }

private:
    class OwnProcess;

    // The trust test: a working connection, made again when it was lost.
    bool checkOrReconnect();
    bool trustPrompt();

    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<DesktopEntries> desktopEntries_;
    std::unique_ptr<X11Displays> displays_;
    std::unique_ptr<X11Workspace> workspace_;
    std::unique_ptr<X11RunLoop> runLoop_;
    std::unique_ptr<X11Accessibility> accessibility_;
    std::unique_ptr<OwnProcess> processInfo_;
    std::chrono::steady_clock::time_point reconnectNotBefore_{};
};

} // namespace tarnwick
