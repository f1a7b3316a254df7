#include "platform/x11/X11Platform.h"

#include "engine/ports/ProcessInfo.h"
#include "platform/x11/DesktopEntries.h"
#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Displays.h"
#include "platform/x11/X11RunLoop.h"
#include "platform/x11/X11Workspace.h"

#include <csignal>
#include <unistd.h>

namespace tarnwick {

namespace {
// After a loss, trust stays refused long enough for a 2-second poll to see it,
// so that observations are dropped and made afresh for the new server.
constexpr std::chrono::milliseconds kHoldOffAfterLoss{2500};
// Failed attempts are spaced out, however often trust is asked for.
constexpr std::chrono::milliseconds kRetryInterval{1000};
} // namespace

class X11Platform::OwnProcess : public ProcessInfo {
public:
    Pid processIdentifier() override { return static_cast<Pid>(::getpid()); }
    std::optional<std::string> bundleIdentifier() override { return TARNWICK_APP_ID; }
};

X11Platform::X11Platform(QObject* parent)
    : QObject(parent), connection_(std::make_unique<X11Connection>(this)),
      desktopEntries_(std::make_unique<DesktopEntries>()),
      displays_(std::make_unique<X11Displays>(*connection_)),
      workspace_(std::make_unique<X11Workspace>(*connection_, *desktopEntries_, this)),
      runLoop_(std::make_unique<X11RunLoop>()),
      accessibility_(std::make_unique<X11Accessibility>(
          *connection_, *workspace_, *displays_, *runLoop_, [this] { return checkOrReconnect(); },
          [this] { return trustPrompt(); }, this)),
      processInfo_(std::make_unique<OwnProcess>()) {
    // Writing to a server that has gone must not end the process.
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        std::signal(SIGPIPE, SIG_IGN);
    }
    connection_->onEvent = [this](const xcb_generic_event_t& e) {
        workspace_->handleEvent(e);
        displays_->handleEvent(e);
        displays_->docks().handleEvent(e);
        accessibility_->handleEvent(e);
    };
    connection_->onEventsProcessed = [this] {
        workspace_->eventsProcessed();
        displays_->docks().eventsProcessed();
    };
    connection_->onConnected = [this] {
        displays_->attach();
        workspace_->attach();
        displays_->docks().eventsProcessed();
    };
    connection_->onDisconnected = [this] {
        workspace_->detach();
        displays_->docks().clear();
        accessibility_->connectionLost();
        reconnectNotBefore_ = std::chrono::steady_clock::now() + kHoldOffAfterLoss;
    };
    if (auto own = processInfo_->bundleIdentifier()) {
        workspace_->clientReader().setOwnIdentity(processInfo_->processIdentifier(), *own);
    }
    workspace_->onWindowShown = [this](xcb_window_t window) {
        displays_->docks().consider(window);
    };
    workspace_->onWindowCreated = [this](Pid pid, xcb_window_t window, std::uint64_t instance,
                                         xcb_window_t frame) {
        accessibility_->deliverWindowCreated(pid, window, instance, frame);
    };
    connection_->connectToServer();
}

X11Platform::~X11Platform() {
    // The connection's callbacks reach into the members destroyed before it.
    connection_->onEvent = nullptr;
    connection_->onEventsProcessed = nullptr;
    connection_->onConnected = nullptr;
    connection_->onDisconnected = nullptr;
}

EnginePorts X11Platform::enginePorts(Scheduler& scheduler) {
    return EnginePorts{*accessibility_, *runLoop_, *workspace_,
                       *displays_,      scheduler, *processInfo_};
}

bool X11Platform::checkOrReconnect() {
    if (connection_->isConnected()) {
        return connection_->checkHealth();
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < reconnectNotBefore_) {
        return false;
    }
    if (connection_->connectToServer()) {
        return true;
    }
    reconnectNotBefore_ = now + kRetryInterval;
    return false;
}

bool X11Platform::trustPrompt() {
    if (connection_->isConnected()) {
        return connection_->checkHealth();
    }
    return connection_->connectToServer();
}

} // namespace tarnwick
