#pragma once

#include "XQuery.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

struct Monitor {
    Rect frame;
    bool primary = false;
    std::string output; // DUMMY0, DUMMY1, ... in layout order
};

// An Xorg server with the dummy driver and a window manager (openbox unless
// named; "none" for none), run by scripts/virtual-desktop.sh.
class VirtualDesktop {
public:
    // Starts on the first free display from the base, or on exactly `display`.
    VirtualDesktop(const std::string& layout, std::optional<int> display = std::nullopt,
                   const std::string& manager = "openbox");
    // Ends the server and the window manager.
    ~VirtualDesktop() { stop(); }
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    bool started() const { return !display_.empty(); }
    const std::string& display() const { return display_; }
    int number() const { return std::stoi(display_.substr(1)); }
    const std::vector<Monitor>& monitors() const { return monitors_; }
    void relayout(const std::string& layout);
    // Kills the server outright, as a crash would: its lock stays behind, so no
    // one else takes the display before it is started again.
    void killServer();
    // Kills the window manager outright; its windows go back to the root.
    void killManager();

    // Whether this machine can run the server at all (root, Xorg, dummy driver).
    static std::optional<std::string> unavailableReason();

private:
    void stop();
    pid_t statePid(const std::string& key) const;

    std::string display_;
    std::string stateFile_;
    std::vector<Monitor> monitors_;
};

} // namespace e2e
