#include "E2ETest.h"

namespace e2e {
namespace {

constexpr const char* sideBySide = "1600x900+0+0*,1280x1024+1600+0";

TEST_F(E2ETest, MovesNewWindowsOfXtermAndTestClientToThePointersMonitor) {
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

TEST_F(E2ETest, LeavesAloneWhatIsNotAMovableStandardWindow) {
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
    ASSERT_NO_FATAL_FAILURE(open("TwMinimized", {"--iconic"}));
    ASSERT_NO_FATAL_FAILURE(open("TwFullscreen", {"--fullscreen"}));
    // Motif hints without the move function make openbox drop _NET_WM_ACTION_MOVE.
    ASSERT_NO_FATAL_FAILURE(open("TwFixed", {"--no-move"}));
    // Untyped and transient for another window: a dialog.
    ASSERT_NO_FATAL_FAILURE(open("TwTransient", {"--type", "none", "--transient-for",
                                                 std::to_string(untouched.front().id)}));
    {
        auto actions = x_->cardinals(untouched[4].id, "_NET_WM_ALLOWED_ACTIONS");
        ASSERT_FALSE(actions.empty()) << "the window manager publishes no allowed actions";
    }

    // A later window is reported only after every earlier one was handled.
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwSentinel", 300, 300));
    for (const Window& w : untouched)
        expectUntouched(w);
    EXPECT_TRUE(headless_->running());
}

TEST_F(E2ETest, LeavesAWindowOnThePointersOwnMonitor) {
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

TEST_F(E2ETest, PrimaryMonitorAwayFromTheRootOrigin) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1280x1024+0+0,1920x1080+1280+0*"));
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwFromPrimary", 2200, 500, 600, 400));

    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwToPrimary", 50, 300, 600, 400));
}

TEST_F(E2ETest, MonitorStackedAboveAnother) {
    // The primary is the lower one; its dock sits on its bottom edge.
    ASSERT_NO_FATAL_FAILURE(startDesktop("1920x1080+0+0,1600x900+160+1080*", Strut::Bottom));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwDown", 700, 300, 500, 400));

    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwUp", 200, 1500, 500, 400));
}

} // namespace
} // namespace e2e
