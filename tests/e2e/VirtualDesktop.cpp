#include "VirtualDesktop.h"

#include "Process.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <signal.h>
#include <sstream>
#include <unistd.h>

namespace e2e {

std::vector<Monitor> parseLayout(const std::string& layout) {
    std::vector<Monitor> monitors;
    static const std::regex one(R"((\d+)x(\d+)\+(-?\d+)\+(-?\d+)(\*?))");
    std::stringstream in(layout);
    std::string entry;
    while (std::getline(in, entry, ',')) {
        std::smatch m;
        if (!std::regex_match(entry, m, one))
            continue;
        Monitor monitor;
        monitor.frame = {std::stod(m[3]), std::stod(m[4]), std::stod(m[1]), std::stod(m[2])};
        monitor.primary = m[5].length() > 0;
        monitor.output = "DUMMY" + std::to_string(monitors.size());
        monitors.push_back(monitor);
    }
    return monitors;
}

VirtualDesktop::VirtualDesktop(const std::string& layout, std::optional<int> display,
                               const std::string& manager)
    : monitors_(parseLayout(layout)) {
    std::vector<std::string> args{
        TARNWICK_VIRTUAL_DESKTOP, "start", "--manager", manager, "--owner",
        std::to_string(getpid())};
    if (display) {
        args.insert(args.end(), {"--display", std::to_string(*display)});
    } else {
        args.insert(args.end(), {"--base", "50"});
    }
    args.push_back(layout);
    auto out = runCommand(args, {}, 60s);
    if (!out || out->size() < 2 || (*out)[0] != ':')
        return;
    display_ = out->substr(0, out->find('\n'));
    stateFile_ = "/tmp/tarnwick-vd-" + display_.substr(1) + "/state";
}

VirtualDesktop::~VirtualDesktop() {
    stop();
}

int VirtualDesktop::number() const {
    return std::stoi(display_.substr(1));
}

void VirtualDesktop::relayout(const std::string& layout) {
    runCommand({TARNWICK_VIRTUAL_DESKTOP, "layout", "--display", display_, layout});
    monitors_ = parseLayout(layout);
}

void VirtualDesktop::stop() {
    if (stateFile_.empty())
        return;
    runCommand({TARNWICK_VIRTUAL_DESKTOP, "stop", "--state", stateFile_});
    stateFile_.clear();
}

void VirtualDesktop::killServer() {
    std::ifstream state(stateFile_);
    std::string line;
    pid_t server = 0;
    while (std::getline(state, line))
        if (line.starts_with("XORG_PID="))
            server = pid_t(std::stoi(line.substr(9)));
    if (server <= 0)
        return;
    ::kill(server, SIGKILL);
    waitUntil(
        [&] {
            std::ifstream stat("/proc/" + std::to_string(server) + "/stat");
            std::string text;
            std::getline(stat, text);
            return !stat || text.find(") Z ") != std::string::npos;
        },
        10s);
    stop(); // the window manager and the watcher
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
