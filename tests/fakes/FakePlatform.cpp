#include "FakePlatform.h"

#include <algorithm>
#include <utility>

namespace tarnwick::fakes {

namespace {
class FakeSource : public RunLoopSource {};
} // namespace

FakeElementRef makeStandardWindow(Pid pid, Point position, Size size) {
    auto window = std::make_shared<FakeElement>(pid);
    window->attributes[kAXRoleAttribute] = std::string(kAXWindowRole);
    window->attributes[kAXSubroleAttribute] = std::string(kAXStandardWindowSubrole);
    window->attributes[kAXMinimizedAttribute] = false;
    window->attributes[kAXFullScreenAttribute] = false;
    window->attributes[kAXPositionAttribute] = AXValue::point(position);
    window->attributes[kAXSizeAttribute] = AXValue::size(size);
    return window;
}

int FakeAccessibility::observersAlive() const {
    return static_cast<int>(std::count_if(observers_.begin(), observers_.end(),
                                          [](const auto& o) { return !o.expired(); }));
}

int FakeAccessibility::windowCreated(Pid pid, const AXElementRef& window, FakeRunLoop& runLoop) {
    std::vector<std::shared_ptr<FakeObserver>> targets;
    for (const auto& weak : observers_) {
        auto observer = weak.lock();
        if (observer && observer->pid == pid && runLoop.sources.count(observer->source) != 0) {
            targets.push_back(observer);
        }
    }
    int delivered = 0;
    for (const auto& observer : targets) {
        for (const auto& [name, refcon] : observer->notifications) {
            if (name == kAXWindowCreatedNotification) {
                observer->callback(observer, window, name, refcon);
                ++delivered;
            }
        }
    }
    return delivered;
}

AXError FakeAccessibility::observerCreate(Pid pid, AXObserverCallback callback,
                                          AXObserverRef& observer) {
    if (!trusted && refuseObserversWhileUntrusted) {
        return kAXErrorAPIDisabled;
    }
    if (nullObserver.count(pid) != 0) {
        return kAXErrorSuccess;
    }
    auto created = std::make_shared<FakeObserver>();
    created->pid = pid;
    created->callback = callback;
    created->source = std::make_shared<FakeSource>();
    observers_.push_back(created);
    observer = created;
    return failObserverCreate.count(pid) != 0 ? kAXErrorCannotComplete : kAXErrorSuccess;
}

AXError FakeAccessibility::observerAddNotification(const AXObserverRef& observer,
                                                   const AXElementRef& /*element*/,
                                                   const std::string& notification, void* refcon) {
    auto& fake = static_cast<FakeObserver&>(*observer);
    if (failAddNotification.count(fake.pid) != 0) {
        return kAXErrorFailure;
    }
    fake.notifications.emplace_back(notification, refcon);
    return kAXErrorSuccess;
}

AXError FakeAccessibility::copyAttributeValue(const AXElementRef& element,
                                              const std::string& attribute,
                                              AXAttributeValue& value) {
    ++reads;
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

AXError FakeAccessibility::setAttributeValue(const AXElementRef& element,
                                             const std::string& attribute, const AXValue& value) {
    auto& fake = static_cast<FakeElement&>(*element);
    if (fake.writeError == kAXErrorSuccess && attribute == kAXPositionAttribute &&
        value.type == AXValueType::CGPoint) {
        fake.writtenPositions.push_back(std::get<Point>(value.payload));
        fake.attributes[attribute] = value;
    }
    return fake.writeError;
}

RunningApplicationRef FakeWorkspace::launch(RunningApplication application) {
    auto ref = std::make_shared<const RunningApplication>(std::move(application));
    applications.push_back(ref);
    notify(WorkspaceNotification::DidLaunchApplication, ref);
    return ref;
}

void FakeWorkspace::terminate(Pid pid) {
    auto found = std::find_if(applications.begin(), applications.end(),
                              [pid](const auto& app) { return app->processIdentifier == pid; });
    if (found == applications.end()) {
        return;
    }
    RunningApplicationRef app = *found;
    applications.erase(found);
    notify(WorkspaceNotification::DidTerminateApplication, app);
}

void FakeWorkspace::notify(WorkspaceNotification name, const RunningApplicationRef& application) {
    auto handlers = handlers_; // a handler may register another
    for (const auto& [registered, handler] : handlers) {
        if (registered == name) {
            handler(application);
        }
    }
}

WorkspaceToken FakeWorkspace::addObserver(WorkspaceNotification name, Handler handler) {
    handlers_.emplace_back(name, std::move(handler));
    return WorkspaceToken{nextToken_++};
}

void ManualScheduler::after(Duration delay, std::function<void()> work) {
    jobs_.push_back({now_ + std::max(0.0, delay.count()), sequence_++, std::move(work)});
}

void ManualScheduler::every(Duration interval, std::function<void()> work) {
    after(interval, [this, interval, work] {
        every(interval, work);
        work();
    });
}

void ManualScheduler::advance(Duration by) {
    const double until = now_ + std::max(0.0, by.count());
    for (;;) {
        auto next = std::min_element(jobs_.begin(), jobs_.end(), [](const Job& a, const Job& b) {
            return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
        });
        if (next == jobs_.end() || next->due > until) {
            break;
        }
        Job job = std::move(*next);
        jobs_.erase(next);
        now_ = std::max(now_, job.due);
        job.work();
    }
    now_ = until;
}

void FakePlatform::useExampleDisplays() {
    // Bottom-left, y-up frames; the engine converts them to the top-left space.
    displays.displays = {
        {Rect(0, 0, 1920, 1080), Rect(0, 70, 1920, 985), "Primary"},
        {Rect(1920, -200, 2560, 1440), Rect(1920, -200, 2560, 1415), "Second"},
    };
}

} // namespace tarnwick::fakes
