#include "E2ETest.h"

#include <filesystem>

namespace e2e {
namespace {

constexpr const char* sideBySide = "1600x900+0+0*,1280x1024+1600+0";

TEST_P(ManagerE2ETest, MovesNewWindowsOfXtermAndTestClientToThePointersMonitor) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));

    Window xterm = openXterm("TwXterm", 900, 500);
    ASSERT_TRUE(waitManaged(xterm));
    ASSERT_NO_FATAL_FAILURE(expectMoved(xterm));
    screenshotIfAsked(xterm);

    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwPlain", 300, 200, 500, 350));

    // Qt-style static gravity and a program-chosen position must still land by
    // the outer frame, with the size kept.
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwStatic", 40, 600, 300, 200,
                                            {"--gravity", "static", "--position-hint", "p"}));

    // Back the other way, into the monitor that carries the dock.
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwBack", 2400, 300, 400, 300));
}

TEST_P(ManagerE2ETest, LeavesAloneWhatIsNotAMovableStandardWindow) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));

    std::vector<Window> untouched;
    auto open = [&](const std::string& cls, std::vector<std::string> flags) {
        Window w = openClient(cls, 200, 150, 400, 300, flags);
        ASSERT_TRUE(waitManaged(w)) << cls;
        untouched.push_back(std::move(w));
    };
    ASSERT_NO_FATAL_FAILURE(open("TwDialog", {"--type", "dialog"}));
    ASSERT_NO_FATAL_FAILURE(open("TwUtility", {"--type", "utility"}));
    if (hasManager()) {
        ASSERT_NO_FATAL_FAILURE(open("TwMinimized", {"--iconic"}));
        ASSERT_NO_FATAL_FAILURE(open("TwFullscreen", {"--fullscreen"}));
    }
    // Untyped and transient for another window: a dialog.
    ASSERT_NO_FATAL_FAILURE(open("TwTransient", {"--type", "none", "--transient-for",
                                                 std::to_string(untouched.front().id)}));
    if (manager_ == "openbox") {
        // Motif hints without the move function make openbox drop _NET_WM_ACTION_MOVE.
        ASSERT_NO_FATAL_FAILURE(open("TwFixed", {"--no-move"}));
        auto actions = x_->cardinals(untouched.back().id, "_NET_WM_ALLOWED_ACTIONS");
        ASSERT_FALSE(actions.empty()) << "the window manager publishes no allowed actions";
    }

    // A later window is reported only after every earlier one was handled.
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwSentinel", 300, 300));
    for (const Window& w : untouched)
        expectUntouched(w);
    EXPECT_TRUE(headless_->running());
}

TEST_P(ManagerE2ETest, LeavesAWindowOnThePointersOwnMonitor) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    Window home = openClient("TwHome", 1800, 200);
    ASSERT_TRUE(waitManaged(home));
    Window staticHome = openClient("TwStaticHome", 2000, 500, 300, 200, {"--gravity", "static"});
    ASSERT_TRUE(waitManaged(staticHome));

    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwSentinel", 100, 100));
    expectUntouched(home);
    expectUntouched(staticHome);
    // What the other tests take as a window's first frame is where it really was.
    EXPECT_EQ(home.observed, home.initial);
    EXPECT_EQ(staticHome.observed, staticHome.initial);
}

TEST_P(ManagerE2ETest, PrimaryMonitorAwayFromTheRootOrigin) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1280x1024+0+0,1920x1080+1280+0*"));
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwFromPrimary", 2200, 500, 600, 400));

    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwToPrimary", 50, 300, 600, 400));
}

TEST_P(ManagerE2ETest, AMaximizedWindowEndsMaximizedOnThePointersMonitor) {
    if (!hasManager())
        GTEST_SKIP() << "maximizing takes a window manager";
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    Window w = openClient("TwMaximized", 100, 100, 500, 400, {"--maximized"});
    ASSERT_TRUE(waitManaged(w));
    if (managerRefusesMoves_) {
        EXPECT_FALSE(waitForReport(w.wmClass, 3s));
        return;
    }
    ASSERT_TRUE(waitForReport(w.wmClass)) << "the maximized window was not reported";
    const Screen target = screens().at(1);
    std::optional<Rect> frame;
    const bool filled = waitUntil(
        [&] {
            frame = x_->frame(w.id);
            // Each manager keeps its own margins; most of the visible frame is covered.
            return frame &&
                   target.frame.contains(frame->x + frame->width / 2,
                                         frame->y + frame->height / 2) &&
                   frame->width * frame->height >=
                       0.8 * target.visible.width * target.visible.height;
        },
        5s);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(filled) << "at (" << frame->x << "," << frame->y << ") " << frame->width << "x"
                        << frame->height;
    EXPECT_TRUE(x_->hasState(w.id, "_NET_WM_STATE_MAXIMIZED_VERT"));
    EXPECT_TRUE(x_->hasState(w.id, "_NET_WM_STATE_MAXIMIZED_HORZ"));
}

TEST_P(ManagerE2ETest, AWindowWithItsOwnDecorationsLandsByWhatTheUserSees) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    // The shadow margins of gtk3-demo under a compositing manager; where the
    // manager puts such a window at first is its own choice.
    Window shadowed = openClient("TwShadow", 300, 200, 500, 350, {"--shadow", "26,26,23,29"});
    shadowed.placedByManager = true;
    ASSERT_TRUE(waitManaged(shadowed));
    ASSERT_NO_FATAL_FAILURE(expectMoved(shadowed));

    if (!std::filesystem::exists("/usr/bin/gtk3-demo"))
        GTEST_SKIP() << "gtk3-demo is not installed";
    Window demo = openGtkDemo();
    ASSERT_TRUE(waitManaged(demo, 20s));
    // Managers that open it on the pointer's monitor leave nothing to do.
    if (!expectedPosition(demo.initial, pointer_.first, pointer_.second, screens()))
        GTEST_SKIP() << manager_ << " opened gtk3-demo where the pointer was";
    // The program is told by its window's desktop entry, not by its class.
    demo.wmClass = "GTK+ Demo";
    ASSERT_NO_FATAL_FAILURE(expectMoved(demo));
}

TEST_P(ManagerE2ETest, AStrutCoveringAWholeMonitorLeavesItWhole) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    // A broken panel reserves the right monitor from top to bottom.
    auto broken = std::make_unique<Process>(
        std::vector<std::string>{TARNWICK_TESTCLIENT, "--class", "TwBrokenDock", "--type", "dock",
                                 "--pos", "1600,0", "--size", "1280,20", "--strut",
                                 "top,65535,1600,2879"},
        std::map<std::string, std::string>{{"DISPLAY", desktop_->display()}});
    ASSERT_TRUE(waitUntil([&] { return x_->clientWithClass("TwBrokenDock").has_value(); }, 10s));
    struts_.push_back({Strut::Top, 65535, 1600, 2879});
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    Window w = openClient("TwUnderBroken", 300, 200, 500, 350);
    ASSERT_TRUE(waitManaged(w));
    // metacity keeps windows out of reserved room.
    managerRefusesMoves_ = managerRefusesMoves_ || manager_ == "metacity";
    ASSERT_NO_FATAL_FAILURE(expectMoved(w));
}

INSTANTIATE_TEST_SUITE_P(Managers, ManagerE2ETest,
                         ::testing::Values("openbox", "icewm", "fluxbox", "metacity", "kwin_x11",
                                           "none"),
                         [](const auto& p) { return p.param; });

TEST_F(E2ETest, MovesAWindowWithoutAPidFoundThroughXResource) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(sideBySide));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    Window anonymous = openClient("TwNoPid", 250, 250, 400, 300, {"--no-pid"});
    ASSERT_TRUE(waitManaged(anonymous));
    EXPECT_TRUE(x_->cardinals(anonymous.id, "_NET_WM_PID").empty());
    ASSERT_NO_FATAL_FAILURE(expectMoved(anonymous));
}

TEST_F(E2ETest, ThreeMonitorsAnyPair) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1280x1024+0+0,2560x1440+1280+0*,1024x768+3840+200"));
    struct Case {
        size_t pointer;
        int x, y;
    } cases[] = {{2, 300, 500}, {0, 3000, 900}, {1, 3900, 300}};
    int n = 0;
    for (const Case& c : cases) {
        ASSERT_NO_FATAL_FAILURE(pointAt(c.pointer));
        ASSERT_NO_FATAL_FAILURE(
            openMovedClient("TwThree" + std::to_string(n++), c.x, c.y, 500, 300));
    }
}

TEST_F(E2ETest, MonitorStackedAboveAnother) {
    // The primary is the lower one; its dock sits on its bottom edge.
    ASSERT_NO_FATAL_FAILURE(startDesktop("1920x1080+0+0,1600x900+160+1080*", Strut::Bottom));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwDown", 700, 300, 500, 400));

    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwUp", 200, 1500, 500, 400));
}

TEST_F(E2ETest, FluxboxToolbarIsNeverCovered) {
    manager_ = "fluxbox";
    if (auto reason = managerUnavailable(manager_))
        GTEST_SKIP() << *reason;
    // Equal heights: the toolbar on the primary's bottom is on the root's bottom edge.
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x900+1600+0"));
    ASSERT_TRUE(toolbar_);
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    // On the right monitor's bottom: it keeps to the bottom, above the toolbar.
    Window low = openClient("TwLow", 1900, 476, 400, 380);
    ASSERT_TRUE(waitManaged(low));
    ASSERT_NO_FATAL_FAILURE(expectMoved(low));
    auto frame = x_->frame(low.id);
    ASSERT_TRUE(frame);
    // Placed above it; fluxbox then grows the window by a title bar.
    EXPECT_LE(frame->y + low.initial.height, toolbar_->y);
}

} // namespace
} // namespace e2e
