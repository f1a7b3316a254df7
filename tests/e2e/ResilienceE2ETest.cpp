#include "E2ETest.h"

#include <fstream>
#include <signal.h>

namespace e2e {
namespace {

TEST_F(E2ETest, FollowsAMonitorSwitchedOffBetweenTwoWindows) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x1024+1600+0,1024x768+2880+0"));
    ASSERT_NO_FATAL_FAILURE(pointAt(2));
    Window first = openClient("TwBeforeOff", 200, 300, 500, 300);
    ASSERT_TRUE(waitManaged(first));
    ASSERT_NO_FATAL_FAILURE(expectMoved(first));

    desktop_->relayout("1600x900+0+0*,1280x1024+1600+0");
    ASSERT_TRUE(waitUntil([&] { return x_->rootSize().first == 2880; }, 10s));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterOff", 200, 300, 500, 300));
}

TEST_F(E2ETest, PlacesEveryWindowOfABurst) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x1024+1600+0"));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    constexpr int count = 50;
    auto burst = std::make_unique<Process>(
        std::vector<std::string>{TARNWICK_TESTCLIENT, "--class", "TwBurst", "--pos", "150,200",
                                 "--size", "300,200", "--count", std::to_string(count)},
        std::map<std::string, std::string>{{"DISPLAY", desktop_->display()}});
    std::vector<Window> windows;
    for (int i = 0; i < count; ++i) {
        auto line = burst->readLine(Clock::now() + 10s);
        ASSERT_TRUE(line && line->starts_with("window "));
        Window w;
        w.wmClass = "TwBurst";
        w.id = xcb_window_t(std::stoul(line->substr(7), nullptr, 16));
        w.requestX = 150;
        w.requestY = 200;
        windows.push_back(std::move(w));
    }
    int reports = 0;
    for (; reports < count; ++reports)
        if (!waitForReport("TwBurst", 20s))
            break;
    EXPECT_EQ(reports, count);

    // All started alike, so all end alike.
    for (Window& w : windows)
        ASSERT_TRUE(waitManaged(w));
    auto expected =
        expectedPosition(windows.front().initial, pointer_.first, pointer_.second, screens());
    ASSERT_TRUE(expected);
    int placed = 0;
    waitUntil(
        [&] {
            placed = 0;
            for (const Window& w : windows) {
                auto f = x_->frame(w.id);
                placed += f && std::abs(f->x - expected->first) <= 1 &&
                          std::abs(f->y - expected->second) <= 1;
            }
            return placed == count;
        },
        10s, 100ms);
    EXPECT_EQ(placed, count);
}

TEST_F(E2ETest, SurvivesAWindowDestroyedRightAfterMapping) {
    ASSERT_NO_FATAL_FAILURE(startDesktop("1600x900+0+0*,1280x1024+1600+0"));
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    for (int i = 0; i < 5; ++i) {
        Window brief = openClient("TwBrief", 200, 200, 400, 300, {"--destroy-after", "40"});
        ASSERT_TRUE(
            brief.process->waitForLine([](const std::string& l) { return l == "destroyed"; }, 10s));
    }
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterBrief", 250, 250));
    EXPECT_TRUE(headless_->running());
}

TEST_F(E2ETest, OutlivesTheXServerAndReattachesToTheNextOne) {
    const std::string layout = "1600x900+0+0*,1280x1024+1600+0";
    ASSERT_NO_FATAL_FAILURE(startDesktop(layout));
    const int number = desktop_->number();
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    Window before = openClient("TwBeforeCrash", 200, 200);
    ASSERT_TRUE(waitManaged(before));
    ASSERT_NO_FATAL_FAILURE(expectMoved(before));

    // The server dies under everyone.
    desktop_->killServer();
    before.process.reset();
    dock_.reset();
    x_.reset();
    ASSERT_TRUE(headless_->waitForLine([](const std::string& l) { return l == "trusted 0"; }, 20s))
        << "no loss of trust was reported";
    EXPECT_TRUE(headless_->running());

    // A new server on the same display.
    desktop_ = std::make_unique<VirtualDesktop>(layout, number);
    ASSERT_TRUE(desktop_->started()) << "display :" << number << " could not be reused";
    x_ = std::make_unique<XQuery>(desktop_->display());
    ASSERT_TRUE(x_->ok());
    ASSERT_NO_FATAL_FAILURE(startDock(Strut::Top));
    ASSERT_TRUE(headless_->waitForLine([](const std::string& l) { return l == "trusted 1"; }, 30s))
        << "tarnwick-headless did not re-attach";
    ASSERT_NO_FATAL_FAILURE(pointAt(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterCrash", 200, 200));
}

} // namespace
} // namespace e2e
