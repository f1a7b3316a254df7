#include "E2ETest.h"

#include <filesystem>

namespace e2e {
namespace {

TEST_P(ManagerE2ETest, MovesNewWindowsOfXtermAndTestClientToThePointersMonitor) {
    // The primary, with the dock, is away from the root's origin.
    ASSERT_NO_FATAL_FAILURE(startDesktop(0, "1280x1024+0+0,1920x1080+1280+0*"));

    Window xterm = openProgram(
        {"xterm", "-class", "TwXterm", "-geometry", "60x15+2200+500", "-e", "sleep", "600"},
        "TwXterm");
    xterm.requestX = 2200;
    xterm.requestY = 500;
    ASSERT_TRUE(waitManaged(xterm));
    ASSERT_NO_FATAL_FAILURE(expectMoved(xterm));

    // Qt-style static gravity with a program-chosen position lands by the outer
    // frame; a window without _NET_WM_PID is found through X-Resource.
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwPlain", 1600, 200, 500, 350));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwStatic", 1320, 600, 300, 200,
                                            {"--gravity", "static", "--position-hint", "p"}));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwNoPid", 1500, 250, 400, 300, {"--no-pid"}));

    // Back the other way, low into the primary, whose bottom edge is the root's:
    // it keeps its place in what fluxbox's toolbar leaves.
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwBack", 50, 580, 600, 400));
}

TEST_P(ManagerE2ETest, LeavesAloneWhatIsNotAMovableStandardWindowOrIsAlreadyThere) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(1));

    std::vector<Window> untouched;
    auto open = [&](const std::string& cls, int x, std::vector<std::string> flags) {
        Window w = openClient(cls, x, 150, 300, 200, flags);
        ASSERT_TRUE(waitManaged(w)) << cls;
        untouched.push_back(std::move(w));
    };
    ASSERT_NO_FATAL_FAILURE(open("TwDialog", 200, {"--type", "dialog"}));
    ASSERT_NO_FATAL_FAILURE(open("TwUtility", 200, {"--type", "utility"}));
    // Untyped and transient for another window: a dialog.
    ASSERT_NO_FATAL_FAILURE(
        open("TwTransient", 200,
             {"--type", "none", "--transient-for", std::to_string(untouched.front().id)}));
    // Already on the pointer's monitor.
    ASSERT_NO_FATAL_FAILURE(open("TwHome", 1800, {}));
    ASSERT_NO_FATAL_FAILURE(open("TwStaticHome", 2000, {"--gravity", "static"}));
    if (hasManager()) {
        ASSERT_NO_FATAL_FAILURE(open("TwMinimized", 200, {"--iconic"}));
        ASSERT_NO_FATAL_FAILURE(open("TwFullscreen", 200, {"--fullscreen"}));
    }
    if (manager_ == "openbox") {
        // Motif hints without the move function make openbox drop _NET_WM_ACTION_MOVE.
        ASSERT_NO_FATAL_FAILURE(open("TwFixed", 200, {"--no-move"}));
        ASSERT_FALSE(x_->cardinals(untouched.back().id, "_NET_WM_ALLOWED_ACTIONS").empty());
    }

    // A later window is reported only after every earlier one was handled.
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwSentinel", 300, 300));
    for (const Window& w : untouched)
        expectLeftAlone(w);
    // What the other cases take as a window's first frame is where it really was.
    EXPECT_EQ(untouched[3].observed, untouched[3].initial);
    EXPECT_EQ(untouched[4].observed, untouched[4].initial);
}

TEST_P(ManagerE2ETest, SelfDecoratedAndMaximizedWindowsLandByWhatTheUserSees) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(1));
    // The shadow margins of gtk3-demo under a compositing manager; where the
    // manager puts such a window at first is its own choice.
    Window shadowed = openClient("TwShadow", 300, 200, 500, 350, {"--shadow", "26,26,23,29"});
    shadowed.placedByManager = true;
    ASSERT_TRUE(waitManaged(shadowed));
    ASSERT_NO_FATAL_FAILURE(expectMoved(shadowed));

    // A maximized window ends maximized there.
    if (hasManager()) {
        Window w = openClient("TwMaximized", 100, 100, 500, 400, {"--maximized"});
        ASSERT_TRUE(waitManaged(w));
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
        kept_.push_back(std::move(w));
    }

    if (!std::filesystem::exists("/usr/bin/gtk3-demo"))
        GTEST_SKIP() << "gtk3-demo is not installed";
    Window demo = openProgram({"gtk3-demo"}, "Gtk3-demo",
                              {{"NO_AT_BRIDGE", "1"}, {"GSETTINGS_BACKEND", "memory"}});
    demo.placedByManager = true;
    ASSERT_TRUE(waitManaged(demo, 20s));
    // Managers that open it on the pointer's monitor leave nothing to do.
    if (!expectedPosition(demo.initial, pointer_.first, pointer_.second, screens()))
        return;
    // The program is told by its window's desktop entry, not by its class.
    demo.wmClass = "GTK+ Demo";
    ASSERT_NO_FATAL_FAILURE(expectMoved(demo));
}

INSTANTIATE_TEST_SUITE_P(Managers, ManagerE2ETest,
                         ::testing::Values("openbox", "icewm", "fluxbox", "metacity", "kwin_x11",
                                           "none"),
                         [](const auto& p) { return p.param; });

TEST_F(E2ETest, ThreeMonitorsStackedAndSideBySideThenOneSwitchedOff) {
    // The primary is below the root's origin; its dock sits on its bottom edge.
    ASSERT_NO_FATAL_FAILURE(
        startDesktop(1, "1920x1080+0+0,1600x900+160+1080*,1280x1024+1920+0", Strut::Bottom));
    const struct {
        size_t pointer;
        int x, y;
    } cases[] = {{1, 700, 300}, {0, 200, 1500}, {2, 300, 1300}, {1, 2300, 300}};
    int n = 0;
    for (const auto& c : cases) {
        ASSERT_NO_FATAL_FAILURE(pointAt(c.pointer));
        ASSERT_NO_FATAL_FAILURE(
            openMovedClient("TwThree" + std::to_string(n++), c.x, c.y, 500, 400));
    }
    desktop_->relayout("1920x1080+0+0,1600x900+160+1080*");
    ASSERT_TRUE(waitUntil([&] { return x_->rootSize().first == 1920; }, 10s));
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterOff", 300, 1300, 500, 400));
}

} // namespace
} // namespace e2e
