#pragma once

#include "engine/ports/Workspace.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// What a client window says about its owner, read once per window.
struct ClientFacts {
    Pid pid = 0;
    bool regular = false; // an ordinary window, shown in the taskbar
    std::optional<std::string> applicationId;
    std::optional<std::string> className;
};

// The processes that own client windows, each named after one of its windows:
// an ordinary one where it has some, one with an application id before one
// without.
class ApplicationList {
public:
    using Window = std::uint32_t;
    using NameLookup = std::function<std::optional<std::string>(const std::string& id)>;

    explicit ApplicationList(NameLookup nameFor) : nameFor_(std::move(nameFor)) {}

    // The application, when this window launched it: its first window, or its
    // first ordinary one.
    RunningApplicationRef join(Window window, const ClientFacts& facts);
    // The application, when this was its last window.
    RunningApplicationRef leave(Window window, Pid pid);
    std::vector<RunningApplicationRef> applications() const;
    // Forgets every application, and returns them.
    std::vector<RunningApplicationRef> clear();

private:
    struct Application {
        std::unordered_map<Window, ClientFacts> windows;
        std::size_t regular = 0;
        Window source = 0; // the window that names the application
        RunningApplicationRef snapshot;
    };

    static bool betterSource(const ClientFacts& candidate, const ClientFacts* current);
    void snapshot(Pid pid, Application& app);

    NameLookup nameFor_;
    std::unordered_map<Pid, Application> applications_;
    std::vector<Pid> order_;
};

} // namespace tarnwick
