#pragma once

#include "engine/ports/Accessibility.h"
#include "engine/ports/Workspace.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tarnwick {

class Displays;
class ProcessInfo;
class RunLoop;
class Scheduler;

// The platform services the engine runs against.
struct EnginePorts {
    Accessibility& accessibility;
    RunLoop& runLoop;
    Workspace& workspace;
    Displays& displays;
    Scheduler& scheduler;
    ProcessInfo& processInfo;
};

// Keeps one observer on every running application that can own ordinary
// windows, and moves each new standard window onto the display under the
// pointer, keeping its relative place in the display's visible frame.
class WindowPlacementController : public std::enable_shared_from_this<WindowPlacementController> {
public:
    using MovedCallback =
        std::function<void(const std::string& applicationName, const std::string& screenName)>;

    static std::shared_ptr<WindowPlacementController> create(const EnginePorts& ports);

    WindowPlacementController(const WindowPlacementController&) = delete;
    WindowPlacementController& operator=(const WindowPlacementController&) = delete;
    ~WindowPlacementController();

    bool isEnabled = true;
    std::set<std::string> excludedBundleIdentifiers;
    MovedCallback onWindowMoved;

    void start();
    void accessibilityPermissionChanged();

    // Delay between a window's creation and its handling.
    static constexpr double kPlacementDelaySeconds = 0.08;

private:
    struct Observation {
        RunningApplicationRef application;
        AXElementRef element;
        AXObserverRef observer;
    };

    explicit WindowPlacementController(const EnginePorts& ports);

    static void observerCallback(const AXObserverRef& observer, const AXElementRef& element,
                                 const std::string& notification, void* refcon);
    void handleCreatedWindow(const AXElementRef& element);
    bool isMovableStandardWindow(const AXElementRef& element);

    void attachToRunningApplications();
    void observe(const RunningApplicationRef& application);
    void stopObserving(Pid pid);
    void removeAllObservations();
    void removeObservation(std::map<Pid, Observation>::iterator entry);

    EnginePorts ports_;
    std::map<Pid, Observation> observations_;
    std::vector<WorkspaceToken> workspaceTokens_;
    const Pid ownPID_;
    const std::set<std::string> ignoredBundleIdentifiers_;
};

} // namespace tarnwick
