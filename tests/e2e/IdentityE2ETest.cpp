// A window is new only once, when it was created: window-manager restarts,
// hiding and showing, and reused window ids must not move anything.

#include "E2ETest.h"

#include <QTemporaryDir>
#include <signal.h>

namespace e2e {
namespace {

// One window is hidden and shown again, then the manager is replaced, or killed
// and started again: every window is taken again, and none of them is new.
class WindowManagerE2ETest : public E2ETest, public ::testing::WithParamInterface<bool> {};

TEST_P(WindowManagerE2ETest, RestartedLeavesOpenWindowsAndPlacesLaterOnes) {
    const bool kill = GetParam();
    ASSERT_NO_FATAL_FAILURE(startDesktop(0));
    std::vector<Window> open;
    for (int i = 0; i < 3; ++i) {
        open.push_back(openClient("TwOpen" + std::to_string(i), 150 + 200 * i, 250));
        ASSERT_TRUE(waitManaged(open.back()));
    }
    // Once a window opened on the other monitor is reported, every earlier one was handled.
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwBeforeRestart", 1700, 300));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    Window& hidden = open.front();
    for (const char* state : {"hidden", "shown"}) {
        ::kill(hidden.process->pid(), SIGUSR1);
        ASSERT_TRUE(hidden.process->waitForLine([&](const auto& l) { return l == state; }, 5s));
        ASSERT_TRUE(waitUntil([&] { return listed(hidden.id) == (state[0] == 's'); }, 5s));
    }
    ASSERT_TRUE(waitManaged(hidden));

    const auto before = x_->cardinals(x_->root(), "_NET_SUPPORTING_WM_CHECK");
    ASSERT_EQ(before.size(), 1u);
    QTemporaryDir cache; // openbox keeps a log in its cache folder: a throw-away one
    if (kill) {
        desktop_->killManager();
        // Its check window ends with its connection; a new manager waits for that.
        ASSERT_TRUE(waitUntil(
            [&] { return x_->cardinals(before[0], "_NET_SUPPORTING_WM_CHECK").empty(); }, 5s));
    }
    auto wm = spawn({"openbox", "--sm-disable", "--replace"},
                    {{"XDG_CACHE_HOME", cache.path().toStdString()}});
    ASSERT_TRUE(waitUntil(
        [&] {
            auto now = x_->cardinals(x_->root(), "_NET_SUPPORTING_WM_CHECK");
            // A killed manager's check window is gone, and the next may get its id.
            const bool up =
                now.size() == 1 &&
                (kill ? x_->cardinals(now[0], "_NET_SUPPORTING_WM_CHECK") == now : now != before);
            return up && std::all_of(open.begin(), open.end(), [&](const Window& w) {
                       return listed(w.id) && x_->cardinals(w.id, "_NET_FRAME_EXTENTS").size() == 4;
                   });
        },
        15s))
        << "the new window manager did not take the windows";

    // The new manager drops map requests until it is fully up: try again.
    bool placed = false;
    for (int attempt = 0; attempt < 5 && !placed; ++attempt) {
        Window later = openClient("TwAfterRestart", 200, 300);
        if (waitManaged(later, 3s)) {
            ASSERT_NO_FATAL_FAILURE(expectMoved(later));
            kept_.push_back(std::move(later));
            placed = true;
        }
    }
    EXPECT_TRUE(placed) << "no window was managed after the restart";
    for (const Window& w : open)
        expectLeftAlone(w, false);
}

INSTANTIATE_TEST_SUITE_P(Identity, WindowManagerE2ETest, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "Killed" : "Replaced"; });

TEST_F(E2ETest, AReusedIdBelongsToItsNewExcludedOwner) {
    headlessArgs_ = {"--exclude", "TwReuseB"};
    ASSERT_NO_FATAL_FAILURE(startDesktop(1));

    // A's window ends within the 80 ms, with its client, so that B's first
    // window may get the same id; the server does not always oblige.
    std::optional<Window> reused;
    for (int attempt = 0; attempt < 5 && !reused; ++attempt) {
        Window a = openClient("TwReuseA", 200, 250, 400, 300, {"--exit-after", "20"});
        ASSERT_TRUE(a.id);
        ASSERT_TRUE(a.process->wait(5s));
        Window b = openClient("TwReuseB", 200, 250);
        ASSERT_TRUE(waitManaged(b));
        if (b.id == a.id)
            reused = std::move(b);
        else
            kept_.push_back(std::move(b));
    }
    ASSERT_TRUE(reused) << "no window id was reused";

    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterReuse", 200, 300));
    expectLeftAlone(*reused, false);
    reused->wmClass = "TwReuseA"; // nor under its first owner's class
    expectLeftAlone(*reused, false);
}

} // namespace
} // namespace e2e
