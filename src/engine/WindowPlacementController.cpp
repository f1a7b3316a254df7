#include "engine/WindowPlacementController.h"

#include "engine/AXHelpers.h"
#include "engine/ScreenGeometry.h"
#include "engine/ports/Displays.h"
#include "engine/ports/ProcessInfo.h"
#include "engine/ports/RunLoop.h"
#include "engine/ports/Scheduler.h"

namespace tarnwick {

namespace {

// Floors that also turn a not-a-number into the floor.
double atLeast(double value, double floor) {
    return value > floor ? value : floor;
}

double clampUnit(double value) {
    if (!(value > 0)) {
        return 0;
    }
    return value < 1 ? value : 1;
}

} // namespace

std::shared_ptr<WindowPlacementController>
WindowPlacementController::create(const EnginePorts& ports) {
    return std::shared_ptr<WindowPlacementController>(new WindowPlacementController(ports));
}

WindowPlacementController::WindowPlacementController(const EnginePorts& ports)
    : ports_(ports), ownPID_(ports.processInfo.processIdentifier()),
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
    AXElementRef element = ax.createApplication(pid);
    AXObserverRef observer;
    if (ax.observerCreate(pid, &WindowPlacementController::observerCallback, observer) !=
            kAXErrorSuccess ||
        !observer) {
        return;
    }
    if (ax.observerAddNotification(observer, element, kAXWindowCreatedNotification, this) !=
        kAXErrorSuccess) {
        return;
    }
    RunLoopSourceRef source = ax.observerGetRunLoopSource(observer);
    if (!source) {
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
    Accessibility& ax = ports_.accessibility;
    if (!isEnabled || !ax.isProcessTrusted() || !isMovableStandardWindow(element)) {
        return;
    }
    Pid pid = 0;
    if (ax.getPid(element, pid) != kAXErrorSuccess) {
        return;
    }
    const auto entry = observations_.find(pid);
    if (entry == observations_.end()) {
        return;
    }
    const RunningApplicationRef application = entry->second.application;
    if (!application->bundleIdentifier) {
        return;
    }
    const std::string bundleIdentifier = *application->bundleIdentifier;
    if (excludedBundleIdentifiers.count(bundleIdentifier) != 0) {
        return;
    }
    const std::optional<Point> position = AXHelpers::point(ax, element, kAXPositionAttribute);
    if (!position) {
        return;
    }
    const std::optional<Size> size = AXHelpers::size(ax, element, kAXSizeAttribute);
    if (!size) {
        return;
    }
    const std::vector<ScreenGeometry> screens = ScreenGeometry::currentScreens(ports_.displays);
    if (screens.size() < 2) {
        return;
    }
    const Point pointer = ports_.displays.mouseLocation();
    const std::vector<Display> displays = ports_.displays.screens();
    if (displays.empty()) {
        return;
    }
    const double ref = rectGetMaxY(displays.front().frame);
    const Point mouse{pointer.x, ref - pointer.y};
    const std::optional<ScreenGeometry> target =
        ScreenGeometry::screenContainingAXPoint(mouse, screens);
    if (!target) {
        return;
    }
    const Point centre{position->x + size->width * 0.5, position->y + size->height * 0.5};
    const std::optional<ScreenGeometry> source =
        ScreenGeometry::screenContainingAXPoint(centre, screens);
    if (!source || *source == *target) {
        return;
    }

    const Rect& sv = source->visibleFrame;
    const Rect& tv = target->visibleFrame;
    const double fromX = atLeast(rectGetWidth(sv) - size->width, 1);
    const double fromY = atLeast(rectGetHeight(sv) - size->height, 1);
    const double rx = clampUnit((position->x - rectGetMinX(sv)) / fromX);
    const double ry = clampUnit((position->y - rectGetMinY(sv)) / fromY);
    const double toX = atLeast(rectGetWidth(tv) - size->width, 0);
    const double toY = atLeast(rectGetHeight(tv) - size->height, 0);
    const Point newPosition{rectGetMinX(tv) + toX * rx, rectGetMinY(tv) + toY * ry};

    const std::optional<AXValue> value = ax.valueCreate(newPosition);
    if (!value || ax.setAttributeValue(element, kAXPositionAttribute, *value) != kAXErrorSuccess) {
        return;
    }
    if (!onWindowMoved) {
        return;
    }
    // Only a move that was seen to happen is reported.
    ax.whenAttributeApplied(element, kAXPositionAttribute,
                            [weak = weak_from_this(),
                             name = application->localizedName.value_or(bundleIdentifier),
                             screen = target->name](bool applied) {
                                const auto self = weak.lock();
                                if (applied && self && self->onWindowMoved) {
                                    self->onWindowMoved(name, screen);
                                }
                            });
}

bool WindowPlacementController::isMovableStandardWindow(const AXElementRef& element) {
    Accessibility& ax = ports_.accessibility;
    const auto role = AXHelpers::copyValue<std::string>(ax, element, kAXRoleAttribute);
    const auto subrole = AXHelpers::copyValue<std::string>(ax, element, kAXSubroleAttribute);
    const auto minimized = AXHelpers::copyValue<bool>(ax, element, kAXMinimizedAttribute);
    const auto fullScreen = AXHelpers::copyValue<bool>(ax, element, kAXFullScreenAttribute);
    bool settable = false;
    const AXError settableResult = ax.isAttributeSettable(element, kAXPositionAttribute, settable);

    return role == kAXWindowRole && subrole == kAXStandardWindowSubrole &&
           !minimized.value_or(false) && !fullScreen.value_or(false) &&
           settableResult == kAXErrorSuccess && settable;
}

} // namespace tarnwick
