#include "VirtualDesktop.h"

#include "Process.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <unistd.h>

namespace e2e {

namespace {
// Reads "WxH+X+Y[*],..." as scripts/virtual-desktop.sh does.
std::vector<Monitor> parseLayout(const std::string& layout) {
    std::vector<Monitor> monitors;
    std::stringstream in(layout);
    std::string entry;
    while (std::getline(in, entry, ',')) {
        int w, h, x, y, end = 0;
        if (std::sscanf(entry.c_str(), "%dx%d+%d+%d%n", &w, &h, &x, &y, &end) != 4)
            continue;
        monitors.push_back({{double(x), double(y), double(w), double(h)},
                            entry.substr(size_t(end)) == "*",
                            "DUMMY" + std::to_string(monitors.size())});
    }
    return monitors;
}
} // namespace

VirtualDesktop::VirtualDesktop(const std::string& layout, std::optional<int> display,
                               const std::string& manager)
    : monitors_(parseLayout(layout)) {
    auto out = runCommand({TARNWICK_VIRTUAL_DESKTOP, "start", "--manager", manager, "--owner",
                           std::to_string(getpid()), display ? "--display" : "--base",
                           std::to_string(display.value_or(50)), layout});
    if (!out || out->size() < 2 || (*out)[0] != ':')
        return;
    display_ = out->substr(0, out->find('\n'));
    stateFile_ = "/tmp/tarnwick-vd-" + display_.substr(1) + "/state";
}

void VirtualDesktop::relayout(const std::string& layout) {
    runCommand({TARNWICK_VIRTUAL_DESKTOP, "layout", "--display", display_, layout});
    monitors_ = parseLayout(layout);
}

pid_t VirtualDesktop::statePid(const std::string& key) const {
    std::ifstream state(stateFile_);
    for (std::string line; std::getline(state, line);)
        if (line.starts_with(key + "="))
            return pid_t(std::stoi(line.substr(key.size() + 1)));
    return 0;
}

void VirtualDesktop::killServer() {
    const pid_t server = statePid("XORG_PID");
    if (server > 0 && ::kill(server, SIGKILL) == 0)
        waitUntil(
            [&] {
                std::ifstream stat("/proc/" + std::to_string(server) + "/stat");
                std::string text;
                std::getline(stat, text);
                return !stat || text.find(") Z ") != std::string::npos;
            },
            10s);
    stop();
}

void VirtualDesktop::killManager() {
    // It leads a process group of its own.
    if (const pid_t manager = statePid("WM_PID"); manager > 0)
        ::kill(-manager, SIGKILL);
}

void VirtualDesktop::stop() {
    if (stateFile_.empty())
        return;
    // The script ends the server first; its window manager leaves with it.
    runCommand({TARNWICK_VIRTUAL_DESKTOP, "stop", "--state", stateFile_});
    stateFile_.clear();
}

std::optional<std::string> VirtualDesktop::unavailableReason() {
    if (geteuid() != 0)
        return "the X server with the dummy driver needs root";
    for (const char* path : {"/usr/bin/Xorg", "/usr/lib/xorg/modules/drivers/dummy_drv.so",
                             "/usr/bin/openbox", "/usr/bin/xrandr", "/usr/bin/xdotool"})
        if (!std::filesystem::exists(path))
            return std::string(path) + " is missing";
    return std::nullopt;
}

} // namespace e2e
