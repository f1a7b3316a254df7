#include "engine/WindowPlacementController.h"

#include "engine/AXHelpers.h"
#include "engine/PlacementRule.h"
#include "engine/ScreenGeometry.h"
#include "engine/ports/Displays.h"
#include "engine/ports/EngineLog.h"
#include "engine/ports/ProcessInfo.h"
#include "engine/ports/RunLoop.h"
#include "engine/ports/Scheduler.h"

namespace tarnwick {

namespace {

// For an engine run without anyone listening.
class SilentLog final : public EngineLog {
public:
    void decision(const std::string&) override {}
    void failure(const std::string&) override {}
};

std::string errorText(AXError error) {
    return "error " + std::to_string(error);
}

} // namespace

std::shared_ptr<WindowPlacementController>
WindowPlacementController::create(const EnginePorts& ports) {
    static SilentLog silent;
    return create(ports, silent);
}

std::shared_ptr<WindowPlacementController>
WindowPlacementController::create(const EnginePorts& ports, EngineLog& log) {
    return std::shared_ptr<WindowPlacementController>(new WindowPlacementController(ports, log));
}

WindowPlacementController::WindowPlacementController(const EnginePorts& ports, EngineLog& log)
    : ports_(ports), log_(log), ownPID_(ports.processInfo.processIdentifier()),
      ignoredBundleIdentifiers_{
          "com.apple.dock",          "com.apple.finder.DAExtension",
          "com.apple.loginwindow",   "com.apple.notificationcenterui",
          "com.apple.controlcenter", "com.apple.SystemUIServer",
          "com.apple.WindowManager", "com.apple.Spotlight",
      } {}

WindowPlacementController::~WindowPlacementController() {
    // Observers carry this object as an unowned context: none may outlive it.
    removeAllObservations();
}

// MARK: - Observation

void WindowPlacementController::start() {
    std::weak_ptr<WindowPlacementController> weak = weak_from_this();
    workspaceTokens_.push_back(
        ports_.workspace.addObserver(WorkspaceNotification::DidLaunchApplication,
                                     [weak](const RunningApplicationRef& application) {
                                         if (!application) {
                                             return;
                                         }
                                         if (auto self = weak.lock()) {
                                             self->observe(application);
                                         }
                                     }));
    workspaceTokens_.push_back(
        ports_.workspace.addObserver(WorkspaceNotification::DidTerminateApplication,
                                     [weak](const RunningApplicationRef& application) {
                                         if (!application) {
                                             return;
                                         }
                                         if (auto self = weak.lock()) {
                                             self->stopObserving(application->processIdentifier);
                                         }
                                     }));
    attachToRunningApplications();
}

void WindowPlacementController::accessibilityPermissionChanged() {
    if (ports_.accessibility.isProcessTrusted()) {
        attachToRunningApplications();
    } else {
        removeAllObservations();
    }
}

void WindowPlacementController::attachToRunningApplications() {
    if (!ports_.accessibility.isProcessTrusted()) {
        return;
    }
    for (const RunningApplicationRef& application : ports_.workspace.runningApplications()) {
        if (application) {
            observe(application);
        }
    }
}

void WindowPlacementController::observe(const RunningApplicationRef& application) {
    const Pid pid = application->processIdentifier;
    if (pid == ownPID_ || observations_.count(pid) != 0) {
        return;
    }
    if (application->activationPolicy != ActivationPolicy::Regular) {
        return;
    }
    if (!application->bundleIdentifier ||
        ignoredBundleIdentifiers_.count(*application->bundleIdentifier) != 0) {
        return;
    }

    Accessibility& ax = ports_.accessibility;
    const std::string who = *application->bundleIdentifier + " (" + std::to_string(pid) + ")";
    AXElementRef element = ax.createApplication(pid);
    AXObserverRef observer;
    const AXError created =
        ax.observerCreate(pid, &WindowPlacementController::observerCallback, observer);
    if (created != kAXErrorSuccess || !observer) {
        log_.failure("no observer for " + who + ": " + errorText(created));
        return;
    }
    const AXError added =
        ax.observerAddNotification(observer, element, kAXWindowCreatedNotification, this);
    if (added != kAXErrorSuccess) {
        log_.failure("no window notifications from " + who + ": " + errorText(added));
        return;
    }
    RunLoopSourceRef source = ax.observerGetRunLoopSource(observer);
    if (!source) {
        log_.failure("no run-loop source for " + who);
        return;
    }
    ports_.runLoop.addSource(source);
    observations_.emplace(pid, Observation{application, std::move(element), std::move(observer)});
}

void WindowPlacementController::stopObserving(Pid pid) {
    auto entry = observations_.find(pid);
    if (entry != observations_.end()) {
        removeObservation(entry);
    }
}

void WindowPlacementController::removeAllObservations() {
    std::vector<Pid> pids;
    pids.reserve(observations_.size());
    for (const auto& [pid, observation] : observations_) {
        pids.push_back(pid);
    }
    for (Pid pid : pids) {
        stopObserving(pid);
    }
}

void WindowPlacementController::removeObservation(std::map<Pid, Observation>::iterator entry) {
    const Observation observation = entry->second;
    observations_.erase(entry);
    ports_.runLoop.removeSource(
        ports_.accessibility.observerGetRunLoopSource(observation.observer));
}

// MARK: - Placement

void WindowPlacementController::observerCallback(const AXObserverRef& /*observer*/,
                                                 const AXElementRef& element,
                                                 const std::string& /*notification*/,
                                                 void* refcon) {
    if (refcon == nullptr) {
        return;
    }
    std::shared_ptr<WindowPlacementController> self =
        static_cast<WindowPlacementController*>(refcon)->shared_from_this();
    self->ports_.scheduler.after(Duration(kPlacementDelaySeconds),
                                 [self, element] { self->handleCreatedWindow(element); });
}

void WindowPlacementController::handleCreatedWindow(const AXElementRef& element) {
    const std::optional<NewWindow> window = qualify(element);
    if (!window) {
        return;
    }
    const DisplaySnapshot displays = DisplaySnapshot::take(ports_.displays);
    const auto leave = [&](const std::string& why) {
        log_.decision("left a window of " + window->applicationName + " alone: " + why);
    };
    if (displays.screens.size() < 2) {
        return leave("fewer than two displays");
    }
    const auto target = ScreenGeometry::screenContainingAXPoint(displays.pointer, displays.screens);
    if (!target) {
        return leave("the pointer is on no display");
    }
    const Point centre{window->position.x + window->size.width * 0.5,
                       window->position.y + window->size.height * 0.5};
    const auto source = ScreenGeometry::screenContainingAXPoint(centre, displays.screens);
    if (!source) {
        return leave("its centre is on no display");
    }
    if (*source == *target) {
        return leave("it is on the pointer's display already");
    }
    move(element,
         relativePlacement(window->position, window->size, source->visibleFrame,
                           target->visibleFrame),
         window->applicationName, target->name);
}

std::optional<WindowPlacementController::NewWindow>
WindowPlacementController::qualify(const AXElementRef& element) {
    const auto leave = [this](const std::string& why) {
        log_.decision("left a new window alone: " + why);
        return std::nullopt;
    };
    Accessibility& ax = ports_.accessibility;
    if (!isEnabled) {
        return leave("placement is off");
    }
    if (!ax.isProcessTrusted()) {
        return leave("no permission");
    }
    if (!isMovableStandardWindow(element)) {
        return leave("not a movable standard window");
    }
    Pid pid = 0;
    if (const AXError error = ax.getPid(element, pid); error != kAXErrorSuccess) {
        log_.failure("reading a new window's process: " + errorText(error));
        return std::nullopt;
    }
    const auto entry = observations_.find(pid);
    if (entry == observations_.end()) {
        return leave("process " + std::to_string(pid) + " is not observed");
    }
    const RunningApplicationRef& application = entry->second.application;
    if (!application->bundleIdentifier) {
        return leave("process " + std::to_string(pid) + " has no application id");
    }
    const std::string& id = *application->bundleIdentifier;
    if (excludedBundleIdentifiers.count(id) != 0) {
        return leave(id + " is excluded");
    }
    const std::optional<Point> position = AXHelpers::point(ax, element, kAXPositionAttribute);
    const std::optional<Size> size =
        position ? AXHelpers::size(ax, element, kAXSizeAttribute) : std::nullopt;
    if (!position || !size) {
        return leave("its position or size cannot be read");
    }
    return NewWindow{application->localizedName.value_or(id), *position, *size};
}

bool WindowPlacementController::isMovableStandardWindow(const AXElementRef& element) {
    Accessibility& ax = ports_.accessibility;
    const auto role = AXHelpers::copyValue<std::string>(ax, element, kAXRoleAttribute);
    const auto subrole = AXHelpers::copyValue<std::string>(ax, element, kAXSubroleAttribute);
    // An attribute that cannot be read does not hold the window back.
    const auto minimized = AXHelpers::copyValue<bool>(ax, element, kAXMinimizedAttribute);
    const auto fullScreen = AXHelpers::copyValue<bool>(ax, element, kAXFullScreenAttribute);
    bool settable = false;
    const AXError settableResult = ax.isAttributeSettable(element, kAXPositionAttribute, settable);
    if (settableResult != kAXErrorSuccess) {
        log_.failure("asking whether a window can be moved: " + errorText(settableResult));
    }
    return role == kAXWindowRole && subrole == kAXStandardWindowSubrole &&
           !minimized.value_or(false) && !fullScreen.value_or(false) &&
           settableResult == kAXErrorSuccess && settable;
}

void WindowPlacementController::move(const AXElementRef& element, const Point& position,
                                     const std::string& application, const std::string& screen) {
    Accessibility& ax = ports_.accessibility;
    const std::optional<AXValue> value = ax.valueCreate(position);
    if (!value) {
        log_.failure("wrapping the new position of a window of " + application);
        return;
    }
    if (const AXError error = ax.setAttributeValue(element, kAXPositionAttribute, *value);
        error != kAXErrorSuccess) {
        log_.failure("moving a window of " + application + " to " + screen + ": " +
                     errorText(error));
        return;
    }
    // Only a move that was seen to happen is reported.
    auto report = [weak = weak_from_this(), application, screen](bool applied) {
        const auto self = weak.lock();
        if (self && !applied) {
            self->log_.failure("the move of a window of " + application + " to " + screen +
                               " did not take effect");
        } else if (self && self->onWindowMoved) {
            self->onWindowMoved(application, screen);
        }
    };
    ax.whenAttributeApplied(element, kAXPositionAttribute, std::move(report));
}

} // namespace tarnwick
