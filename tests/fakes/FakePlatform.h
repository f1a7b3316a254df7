#pragma once

// An in-memory platform for tests: every engine port, with a manual clock
// behind the scheduler.

#include "engine/WindowPlacementController.h"
#include "engine/ports/Accessibility.h"
#include "engine/ports/Displays.h"
#include "engine/ports/EngineLog.h"
#include "engine/ports/ProcessInfo.h"
#include "engine/ports/RunLoop.h"
#include "engine/ports/Scheduler.h"
#include "engine/ports/Workspace.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::fakes {

// A window or application element. Attributes not set read as unsupported.
// Like a real platform, a failing call may still fill in a plausible output
// (the pid, the settable flag, the value), which the caller must not trust.
class FakeElement : public AXElement {
public:
    explicit FakeElement(Pid owner) : pid(owner) {}
    Pid pid;
    AXError pidError = kAXErrorSuccess;
    std::map<std::string, AXAttributeValue> attributes;
    std::map<std::string, AXError> readErrors; // returned with the attribute's value
    bool positionSettable = true;
    AXError settableError = kAXErrorSuccess;
    AXError writeError = kAXErrorSuccess;
    std::vector<Point> writtenPositions;
};
using FakeElementRef = std::shared_ptr<FakeElement>;

// A standard, movable window of process pid with the given frame.
inline FakeElementRef makeStandardWindow(Pid pid, Point position, Size size) {
    auto window = std::make_shared<FakeElement>(pid);
    window->attributes[kAXRoleAttribute] = std::string(kAXWindowRole);
    window->attributes[kAXSubroleAttribute] = std::string(kAXStandardWindowSubrole);
    window->attributes[kAXMinimizedAttribute] = false;
    window->attributes[kAXFullScreenAttribute] = false;
    window->attributes[kAXPositionAttribute] = AXValue::point(position);
    window->attributes[kAXSizeAttribute] = AXValue::size(size);
    return window;
}

class FakeObserver : public AXObserver {
public:
    Pid pid = 0;
    AXObserverCallback callback = nullptr;
    std::vector<std::pair<std::string, void*>> notifications; // name, refcon
    RunLoopSourceRef source;
};

class FakeAccessibility : public Accessibility {
public:
    bool trusted = true;
    // A platform that refuses observers while untrusted hides a missing check.
    bool refuseObserversWhileUntrusted = true;
    int promptCount = 0;
    std::set<Pid> failObserverCreate; // fails, yet hands out an observer
    std::set<Pid> nullObserver;       // succeeds, yet hands out none
    std::set<Pid> failAddNotification;
    bool failValueCreate = false;
    // While set, accepted writes wait in pendingApplied for the test to settle them.
    bool deferApplied = false;
    std::vector<std::function<void(bool)>> pendingApplied;

    // Created observers still referenced by anyone.
    int observersAlive() const {
        return static_cast<int>(std::count_if(observers_.begin(), observers_.end(),
                                              [](const auto& o) { return !o.expired(); }));
    }
    // Delivers a created-window notification through every observer of pid whose
    // run-loop source is in sources. Returns how many callbacks ran.
    int windowCreated(Pid pid, const AXElementRef& window,
                      const std::set<RunLoopSourceRef>& sources) {
        int delivered = 0;
        for (const auto& weak : observers_) {
            const auto observer = weak.lock();
            if (!observer || observer->pid != pid || sources.count(observer->source) == 0) {
                continue;
            }
            for (const auto& [name, refcon] : observer->notifications) {
                if (name == kAXWindowCreatedNotification) {
                    observer->callback(observer, window, name, refcon);
                    ++delivered;
                }
            }
        }
        return delivered;
    }

    bool isProcessTrusted() override { return trusted; }
    bool isProcessTrustedWithPrompt() override {
        ++promptCount;
        return trusted;
    }
    AXElementRef createApplication(Pid pid) override { return std::make_shared<FakeElement>(pid); }
    AXError observerCreate(Pid pid, AXObserverCallback callback, AXObserverRef& observer) override {
        if (!trusted && refuseObserversWhileUntrusted) {
            return kAXErrorAPIDisabled;
        }
        if (nullObserver.count(pid) != 0) {
            return kAXErrorSuccess;
        }
        auto created = std::make_shared<FakeObserver>();
        created->pid = pid;
        created->callback = callback;
        created->source = std::make_shared<RunLoopSource>();
        observers_.push_back(created);
        observer = created;
        return failObserverCreate.count(pid) != 0 ? kAXErrorCannotComplete : kAXErrorSuccess;
    }
    AXError observerAddNotification(const AXObserverRef& observer, const AXElementRef&,
                                    const std::string& notification, void* refcon) override {
        auto& fake = static_cast<FakeObserver&>(*observer);
        if (failAddNotification.count(fake.pid) != 0) {
            return kAXErrorFailure;
        }
        fake.notifications.emplace_back(notification, refcon);
        return kAXErrorSuccess;
    }
    RunLoopSourceRef observerGetRunLoopSource(const AXObserverRef& observer) override {
        return static_cast<FakeObserver&>(*observer).source;
    }
    AXError copyAttributeValue(const AXElementRef& element, const std::string& attribute,
                               AXAttributeValue& value) override {
        auto& fake = static_cast<FakeElement&>(*element);
        auto found = fake.attributes.find(attribute);
        if (found != fake.attributes.end()) {
            value = found->second;
        }
        if (auto error = fake.readErrors.find(attribute); error != fake.readErrors.end()) {
            return error->second;
        }
        return found == fake.attributes.end() ? kAXErrorAttributeUnsupported : kAXErrorSuccess;
    }
    AXError isAttributeSettable(const AXElementRef& element, const std::string& attribute,
                                bool& settable) override {
        auto& fake = static_cast<FakeElement&>(*element);
        settable = attribute == kAXPositionAttribute && fake.positionSettable;
        return fake.settableError;
    }
    AXError setAttributeValue(const AXElementRef& element, const std::string& attribute,
                              const AXValue& value) override {
        auto& fake = static_cast<FakeElement&>(*element);
        if (fake.writeError == kAXErrorSuccess && attribute == kAXPositionAttribute &&
            value.type == AXValueType::CGPoint) {
            fake.writtenPositions.push_back(std::get<Point>(value.payload));
            fake.attributes[attribute] = value;
        }
        return fake.writeError;
    }
    AXError getPid(const AXElementRef& element, Pid& pid) override {
        pid = static_cast<FakeElement&>(*element).pid;
        return static_cast<FakeElement&>(*element).pidError;
    }
    void whenAttributeApplied(const AXElementRef&, const std::string&,
                              std::function<void(bool)> done) override {
        deferApplied ? pendingApplied.push_back(std::move(done)) : done(true);
    }
    std::optional<AXValue> valueCreate(const Point& point) override {
        return failValueCreate ? std::nullopt : std::optional(AXValue::point(point));
    }

private:
    std::vector<std::weak_ptr<FakeObserver>> observers_;
};

class FakeRunLoop : public RunLoop {
public:
    std::set<RunLoopSourceRef> sources;
    void addSource(const RunLoopSourceRef& source) override { sources.insert(source); }
    void removeSource(const RunLoopSourceRef& source) override { sources.erase(source); }
};

class FakeWorkspace : public Workspace {
public:
    std::vector<RunningApplicationRef> applications;
    std::vector<std::string> openedURLs;

    // Adds the application and notifies the launch handlers.
    RunningApplicationRef launch(RunningApplication application) {
        auto ref = std::make_shared<const RunningApplication>(std::move(application));
        applications.push_back(ref);
        notify(WorkspaceNotification::DidLaunchApplication, ref);
        return ref;
    }
    // Removes the application and notifies the termination handlers.
    void terminate(Pid pid) {
        auto found = std::find_if(applications.begin(), applications.end(),
                                  [pid](const auto& app) { return app->processIdentifier == pid; });
        if (found != applications.end()) {
            RunningApplicationRef app = *found;
            applications.erase(found);
            notify(WorkspaceNotification::DidTerminateApplication, app);
        }
    }
    void notify(WorkspaceNotification name, const RunningApplicationRef& application) {
        auto handlers = handlers_; // a handler may register another
        for (const auto& [registered, handler] : handlers) {
            if (registered == name) {
                handler(application);
            }
        }
    }

    std::vector<RunningApplicationRef> runningApplications() override { return applications; }
    WorkspaceToken addObserver(WorkspaceNotification name, Handler handler) override {
        handlers_.emplace_back(name, std::move(handler));
        return WorkspaceToken{handlers_.size()};
    }
    bool openURL(const std::string& url) override {
        openedURLs.push_back(url);
        return true;
    }

private:
    std::vector<std::pair<WorkspaceNotification, Handler>> handlers_;
};

class FakeDisplays : public Displays {
public:
    std::vector<Display> displays;
    Point mouse;
    std::vector<Display> screens() override { return displays; }
    Point mouseLocation() override { return mouse; }
};

// A scheduler driven by a manual clock: nothing runs until the test advances it.
class ManualScheduler : public Scheduler {
public:
    void after(Duration delay, std::function<void()> work) override {
        jobs_.emplace(now_ + std::max(0.0, delay.count()), std::move(work));
    }
    void every(Duration interval, std::function<void()> work) override {
        after(interval, [this, interval, work] {
            every(interval, work);
            work();
        });
    }

    // Moves the clock forward, running every job that falls due (also those
    // they add), in due order, and jobs due together in the order they came.
    void advance(Duration by) {
        const double until = now_ + std::max(0.0, by.count());
        while (!jobs_.empty() && jobs_.begin()->first <= until) {
            auto [due, work] = std::move(*jobs_.begin());
            jobs_.erase(jobs_.begin());
            now_ = due;
            work();
        }
        now_ = until;
    }

private:
    std::multimap<double, std::function<void()>> jobs_; // a tie keeps the order they came in
    double now_ = 0;
};

class FakeProcessInfo : public ProcessInfo {
public:
    Pid pid = 4242;
    std::optional<std::string> bundle = std::string("org.tarnwick.Tarnwick");
    Pid processIdentifier() override { return pid; }
    std::optional<std::string> bundleIdentifier() override { return bundle; }
};

// All of the above, wired together.
struct FakePlatform {
    FakeAccessibility accessibility;
    FakeRunLoop runLoop;
    FakeWorkspace workspace;
    FakeDisplays displays;
    ManualScheduler scheduler;
    FakeProcessInfo processInfo;

    EnginePorts ports() {
        return {accessibility, runLoop, workspace, displays, scheduler, processInfo};
    }
    // Delivers a created-window notification for the window's process.
    int windowCreated(const FakeElementRef& window) {
        return accessibility.windowCreated(window->pid, window, runLoop.sources);
    }
    // The two displays of the worked example: 1920 x 1080 primary, 2560 x 1440 to its right,
    // as bottom-left, y-up frames, which the engine converts to the top-left space.
    void useExampleDisplays() {
        displays.displays = {
            {Rect(0, 0, 1920, 1080), Rect(0, 70, 1920, 985), "Primary"},
            {Rect(1920, -200, 2560, 1440), Rect(1920, -200, 2560, 1415), "Second"},
        };
    }
};

// Keeps the failures the engine reports.
class RecordingLog : public EngineLog {
public:
    std::vector<std::string> failures;
    void decision(const std::string&) override {}
    void failure(const std::string& message) override { failures.push_back(message); }
};

} // namespace tarnwick::fakes
