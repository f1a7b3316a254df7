// A window is new only once, when it was created: window-manager restarts,
// hiding and showing, and reused window ids must not move anything.

#include "E2ETest.h"

#include <filesystem>
#include <signal.h>
#include <stdlib.h>

namespace e2e {
namespace {

class IdentityE2ETest : public E2ETest {
protected:
    std::map<std::string, std::string> env() const { return {{"DISPLAY", desktop_->display()}}; }

    // Not reported, and the frame's centre still on the monitor.
    void expectStayedOn(const Window& window, size_t monitorIndex, const std::string& reportedAs) {
        headless_->drain();
        for (const std::string& line : headless_->lines())
            EXPECT_FALSE(line.starts_with("moved " + reportedAs + "\t")) << line;
        auto f = x_->frame(window.id);
        ASSERT_TRUE(f) << window.wmClass;
        EXPECT_TRUE(monitor(monitorIndex).frame.contains(f->x + f->width / 2, f->y + f->height / 2))
            << window.wmClass << " is at (" << f->x << "," << f->y << ")";
    }

    // A window opened on the second monitor and moved to the first: once it is
    // reported, every window opened before it has been handled.
    void handledSoFar(const std::string& marker) {
        ASSERT_NO_FATAL_FAILURE(openMovedClient(marker, 1700, 300));
    }

    bool listed(xcb_window_t id) {
        auto list = x_->clientList();
        return std::find(list.begin(), list.end(), id) != list.end();
    }
};

TEST_F(IdentityE2ETest, WindowManagerRestartLeavesOpenWindowsAndPlacesLaterOnes) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x1024+1600+0"));
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    std::vector<Window> open;
    for (int i = 0; i < 3; ++i) {
        open.push_back(openClient("TwOpen" + std::to_string(i), 150 + 200 * i, 250));
        ASSERT_TRUE(waitManaged(open.back()));
    }
    ASSERT_NO_FATAL_FAILURE(handledSoFar("TwBeforeRestart"));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));

    const auto before = x_->cardinals(x_->root(), "_NET_SUPPORTING_WM_CHECK");
    // openbox keeps a log in its cache folder: a throw-away one.
    char cache[] = "/tmp/tarnwick-e2e-cache-XXXXXX";
    ASSERT_TRUE(mkdtemp(cache));
    auto wmEnv = env();
    wmEnv["XDG_CACHE_HOME"] = cache;
    auto wm = std::make_unique<Process>(
        std::vector<std::string>{"openbox", "--replace", "--sm-disable"}, wmEnv);
    ASSERT_TRUE(waitUntil(
        [&] {
            auto now = x_->cardinals(x_->root(), "_NET_SUPPORTING_WM_CHECK");
            return !now.empty() && now != before &&
                   std::all_of(open.begin(), open.end(), [&](const Window& w) {
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
    // Reports come in order: once the later window is reported, none of the
    // others can be any more.
    for (const Window& w : open)
        expectStayedOn(w, 0, w.wmClass);
    wm.reset();
    std::filesystem::remove_all(cache);
}

TEST_F(IdentityE2ETest, AWindowHiddenAndShownAgainIsNotMoved) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x1024+1600+0"));
    ASSERT_NO_FATAL_FAILURE(pointAt(0));
    Window hidden = openClient("TwHideShow", 200, 250);
    ASSERT_TRUE(waitManaged(hidden));
    ASSERT_NO_FATAL_FAILURE(handledSoFar("TwBeforeHide"));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));

    ::kill(hidden.process->pid(), SIGUSR1);
    ASSERT_TRUE(hidden.process->waitForLine([](const auto& l) { return l == "hidden"; }, 5s));
    ASSERT_TRUE(waitUntil([&] { return !listed(hidden.id); }, 5s));
    ::kill(hidden.process->pid(), SIGUSR1);
    ASSERT_TRUE(hidden.process->waitForLine([](const auto& l) { return l == "shown"; }, 5s));
    ASSERT_TRUE(waitManaged(hidden));

    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterShow", 200, 300));
    expectStayedOn(hidden, 0, hidden.wmClass);
}

TEST_F(IdentityE2ETest, AReusedIdBelongsToItsNewExcludedOwner) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x1024+1600+0"));
    headless_ = std::make_unique<Process>(
        std::vector<std::string>{TARNWICK_HEADLESS, "--exclude", "TwReuseB"}, env());
    ASSERT_TRUE(headless_->waitForLine([](const auto& l) { return l == "ready"; }, 20s));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));

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
    expectStayedOn(*reused, 0, "TwReuseA");
    expectStayedOn(*reused, 0, "TwReuseB");
}

} // namespace
} // namespace e2e
