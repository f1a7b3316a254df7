#pragma once

#include "Placement.h"
#include "Process.h"
#include "VirtualDesktop.h"

#include <gtest/gtest.h>
#include <memory>

namespace e2e {

// Two monitors, the primary on the left and shorter.
inline constexpr const char* sideBySide = "1600x900+0+0*,1280x1024+1600+0";

// A window opened by a test: the process that owns it and its client window.
struct Window {
    std::unique_ptr<Process> process;
    xcb_window_t id = 0;
    std::string wmClass;
    int requestX = 0, requestY = 0, requestHeight = 0; // height 0: the program chooses
    bool staticGravity = false;
    bool placedByManager = false; // no position asked for: its first frame is read
    // The outer frame where the window manager puts it at first, worked out from
    // the request (reading it could race the move).
    Rect initial{};
    Rect observed{}; // the outer frame once it was managed
};

// Each test gets its own server, window manager, dock and tarnwick-headless.
class E2ETest : public ::testing::Test {
protected:
    void SetUp() override;
    bool hasManager() const { return manager_ != "none"; }

    // Starts everything, with the pointer at the centre of a monitor; the dock
    // sits on the primary monitor's top (or bottom) edge; tarnwick-headless gets
    // headlessArgs_, and keeps running when a new server is started on the display.
    void startDesktop(size_t pointer, const std::string& layout = sideBySide,
                      Strut::Side dockSide = Strut::Top, std::optional<int> display = std::nullopt);
    std::unique_ptr<Process> spawn(const std::vector<std::string>& argv,
                                   std::map<std::string, std::string> env = {});
    // Screens as the program should see them: primary first, visible frames less the struts.
    std::vector<Screen> screens();
    // Puts the pointer at the centre of a monitor.
    void pointAt(size_t monitorIndex);
    bool listed(xcb_window_t id);

    // tarnwick-testclient at client position (x, y) with client size (w, h), plus flags.
    Window openClient(const std::string& wmClass, int x, int y, int w = 400, int h = 300,
                      const std::vector<std::string>& flags = {});
    // Another program, whose window is found by its class.
    Window openProgram(const std::vector<std::string>& argv, const std::string& wmClass,
                       std::map<std::string, std::string> env = {});
    // Waits for the window to be managed and records its first frame.
    bool waitManaged(Window& window, Clock::duration timeout = 10s);
    std::optional<std::string> waitForReport(const std::string& wmClass,
                                             Clock::duration timeout = 10s);
    // Waits for the program's report on the window, then for its frame to settle
    // where the rule puts it for the current pointer.
    void expectMoved(const Window& window);
    // openClient, waitManaged and expectMoved in one; the window stays open until
    // the test ends, so that no later window reuses its id.
    void openMovedClient(const std::string& wmClass, int x, int y, int w = 400, int h = 300,
                         const std::vector<std::string>& flags = {});
    // Not reported under its class, and its frame where it was managed; or, after
    // a manager re-framed it, its centre on the same monitor. Only meaningful once
    // a later window has been reported (the reports are in order).
    void expectLeftAlone(const Window& window, bool exact = true);

    std::string manager_ = "openbox";
    std::vector<std::string> headlessArgs_;
    // In the order they start; they end the other way round.
    std::unique_ptr<VirtualDesktop> desktop_;
    std::unique_ptr<XQuery> x_;
    std::unique_ptr<Process> dock_;
    std::unique_ptr<Process> headless_;
    std::vector<Window> kept_;
    std::vector<Strut> struts_;
    std::pair<int, int> pointer_{0, 0};
};

// The same cases under each window manager named by the parameter.
class ManagerE2ETest : public E2ETest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override;
};

} // namespace e2e
