#pragma once

#include "engine/ports/Accessibility.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

enum class ActivationPolicy : std::int32_t {
    Regular = 0,    // ordinary windows, listed among the user's applications
    Accessory = 1,  // no ordinary windows of its own (a panel, a tray extra)
    Prohibited = 2, // a background agent
};

// A snapshot of one running application, as the workspace reports it.
struct RunningApplication {
    Pid processIdentifier = 0;
    ActivationPolicy activationPolicy = ActivationPolicy::Regular;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
};
using RunningApplicationRef = std::shared_ptr<const RunningApplication>;

enum class WorkspaceNotification {
    DidLaunchApplication,
    DidTerminateApplication,
};

// Opaque registration token.
struct WorkspaceToken {
    std::uint64_t value = 0;
    friend bool operator==(const WorkspaceToken&, const WorkspaceToken&) = default;
};

// The workspace: the running applications and their launches and terminations.
class Workspace {
public:
    virtual ~Workspace() = default;

    // All running applications, in the workspace's own order.
    virtual std::vector<RunningApplicationRef> runningApplications() = 0;

    // The handler runs on the main thread once per notification. Its argument is
    // the application concerned, or null when the notification carries none.
    using Handler = std::function<void(const RunningApplicationRef& application)>;
    virtual WorkspaceToken addObserver(WorkspaceNotification name, Handler handler) = 0;

    // Opens a URL with the desktop's default handler; true when the request was accepted.
    virtual bool openURL(const std::string& url) = 0;
};

} // namespace tarnwick
