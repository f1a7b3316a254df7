#include "E2ETest.h"

namespace e2e {
namespace {

TEST_F(E2ETest, PlacesEveryWindowOfABurst) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(1));
    constexpr int count = 50;
    auto burst = spawn({TARNWICK_TESTCLIENT, "--class", "TwBurst", "--pos", "150,200", "--size",
                        "300,200", "--count", std::to_string(count)});
    // Each report is checked against some window of the burst; all started alike.
    for (int i = 0; i < count; ++i) {
        auto line = burst->readLine(Clock::now() + 10s);
        ASSERT_TRUE(line && line->starts_with("window "));
        Window w{nullptr, xcb_window_t(std::stoul(line->substr(7), nullptr, 16)), "TwBurst", 150,
                 200};
        ASSERT_TRUE(waitManaged(w));
        ASSERT_NO_FATAL_FAILURE(expectMoved(w));
    }
}

TEST_F(E2ETest, OutlivesTheXServerAndReattachesToTheNextOne) {
    ASSERT_NO_FATAL_FAILURE(startDesktop(1));
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwBeforeCrash", 200, 200));

    // The server dies under everyone.
    const int number = desktop_->number();
    desktop_->killServer();
    ASSERT_TRUE(headless_->waitForLine([](const std::string& l) { return l == "trusted 0"; }, 20s))
        << "no loss of trust was reported";

    // A new server on the same display.
    ASSERT_NO_FATAL_FAILURE(startDesktop(1, sideBySide, Strut::Top, number));
    ASSERT_TRUE(headless_->waitForLine([](const std::string& l) { return l == "trusted 1"; }, 30s))
        << "tarnwick-headless did not re-attach";
    ASSERT_NO_FATAL_FAILURE(openMovedClient("TwAfterCrash", 200, 200));
}

} // namespace
} // namespace e2e
