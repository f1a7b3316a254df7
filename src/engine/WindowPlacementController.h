#pragma once

#include "engine/ports/Accessibility.h"
#include "engine/ports/Workspace.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick {

class Displays;
class EngineLog;
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

    // The log hears why windows are left alone and which requests fail.
    static std::shared_ptr<WindowPlacementController> create(const EnginePorts& ports);
    static std::shared_ptr<WindowPlacementController> create(const EnginePorts& ports,
                                                             EngineLog& log);

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

    // What the guards found out about a window that may be moved.
    struct NewWindow {
        std::string applicationName;
        Point position;
        Size size;
    };

    WindowPlacementController(const EnginePorts& ports, EngineLog& log);

    static void observerCallback(const AXObserverRef& observer, const AXElementRef& element,
                                 const std::string& notification, void* refcon);
    void handleCreatedWindow(const AXElementRef& element);
    std::optional<NewWindow> qualify(const AXElementRef& element);
    bool isMovableStandardWindow(const AXElementRef& element);
    void move(const AXElementRef& element, const Point& position, const std::string& application,
              const std::string& screen);

    void attachToRunningApplications();
    void observe(const RunningApplicationRef& application);
    void stopObserving(Pid pid);
    void removeAllObservations();
    void removeObservation(std::map<Pid, Observation>::iterator entry);

    EnginePorts ports_;
    EngineLog& log_;
    std::map<Pid, Observation> observations_;
    // The workspace registrations, which last as long as the program.
    std::vector<WorkspaceToken> workspaceTokens_;
    const Pid ownPID_;
    const std::set<std::string> ignoredBundleIdentifiers_;
};

} // namespace tarnwick
