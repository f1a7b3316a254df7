// The stateful X11 classes against synthetic events and a plain Xvfb.

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Displays.h"
#include "platform/x11/X11MoveTracker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>
#include <optional>

namespace tarnwick {
namespace {

// X events as the server sends them: 32 bytes, whatever their kind.
union Event {
    xcb_generic_event_t generic;
    xcb_configure_notify_event_t configure;
    xcb_destroy_notify_event_t destroy;
};

Event configured(xcb_window_t w, std::int16_t x, std::int16_t y, std::uint16_t width,
                 std::uint16_t height) {
    Event e{};
    // Type, padding, sequence, event, window, sibling, x, y, width, height, border, redirect.
    e.configure = {XCB_CONFIGURE_NOTIFY, 0, 0, 1, w, 0, x, y, width, height, 0, 0, 0};
    return e;
}

const Rect kRight(1600, 0, 1280, 1024);

TEST(X11MoveTrackerTest, SettlesWhenTheVisibleFrameIsSeenOnTheTargetFailsWhenItGoes) {
    X11MoveTracker tracker;
    int sends = 0;
    std::optional<bool> plain, shadowed, destroyed, cleared;
    tracker.track(7, kRight, Rect(), [&] { ++sends; });
    tracker.whenSettled(7, [&](bool arrived) { plain = arrived; });
    // Another window, then this one straddling both monitors: not there yet.
    tracker.handleEvent(configured(8, 1700, 100, 400, 300).generic);
    tracker.handleEvent(configured(7, 1571, 100, 400, 300).generic);
    EXPECT_FALSE(plain);
    // Larger than the monitor, covering it: there.
    tracker.handleEvent(configured(7, 1600, 0, 1500, 300).generic);
    EXPECT_EQ(plain, true);
    EXPECT_EQ(sends, 0);
    // A shadow, or a manager's invisible borders, are not part of the window.
    tracker.track(9, kRight, Rect(26, 23, 26, 29), [] {});
    tracker.whenSettled(9, [&](bool arrived) { shadowed = arrived; });
    tracker.handleEvent(configured(9, 1600 - 26, -23, 400, 300).generic);
    EXPECT_EQ(shadowed, true);

    // A destroyed frame, a lost connection.
    tracker.track(7, kRight, Rect(), [] {});
    tracker.whenSettled(7, [&](bool arrived) { destroyed = arrived; });
    Event gone{};
    gone.destroy.response_type = XCB_DESTROY_NOTIFY;
    gone.destroy.window = 7;
    tracker.handleEvent(gone.generic);
    EXPECT_EQ(destroyed, false);
    tracker.track(9, kRight, Rect(), [] {});
    tracker.whenSettled(9, [&](bool arrived) { cleared = arrived; });
    tracker.clear();
    EXPECT_EQ(cleared, false);
}

TEST(X11MoveTrackerTest, AnUnseenRequestIsSentOnceMoreThenFails) {
    X11MoveTracker tracker;
    int sends = 0;
    std::optional<bool> unseen, second;
    tracker.track(7, kRight, Rect(), [&] { ++sends; });
    tracker.whenSettled(7, [&](bool arrived) { unseen = arrived; });
    tracker.track(9, kRight, Rect(),
                  [&] { tracker.handleEvent(configured(9, 1700, 100, 400, 300).generic); });
    tracker.whenSettled(9, [&](bool arrived) { second = arrived; });
    QElapsedTimer clock;
    clock.start();
    while (!(unseen && second) && clock.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_TRUE(unseen && second);
    EXPECT_EQ(unseen, false);
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(second, true);
    // Nothing is left to follow.
    std::optional<bool> late;
    tracker.whenSettled(7, [&](bool arrived) { late = arrived; });
    EXPECT_EQ(late, false);
}

// On a plain Xvfb of its own: no root needed.
TEST(X11DisplaysOnXvfb, VisibleFrameLessStrutsAndUnexplainedWorkAreaPointerInGlobalSpace) {
    struct Xvfb : QProcess {
        ~Xvfb() override {
            terminate();
            waitForFinished();
        }
    } xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1600x900x24", "-nolisten", "tcp"});
    if (!xvfb.waitForReadyRead(10000)) {
        GTEST_SKIP() << "Xvfb is not available";
    }
    qputenv("DISPLAY", ":" + xvfb.readLine().trimmed());
    X11Connection x;
    ASSERT_TRUE(x.connectToServer());
    X11Displays displays(x);
    displays.attach();
    xcb_connection_t* c = x.xcb();
    const X11Connection::Atoms& atoms = x.atoms();
    const auto set = [&](xcb_window_t w, xcb_atom_t name, xcb_atom_t type,
                         std::vector<std::uint32_t> values) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, name, type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
    };

    auto screens = displays.screens();
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 1600, 900));
    EXPECT_EQ(screens[0].visibleFrame, screens[0].frame);
    EXPECT_FALSE(screens[0].localizedName.empty());

    // A top panel with a strut; a 24-row bottom toolbar known only from the work area.
    const xcb_window_t dock = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, dock, x.root(), 0, 0, 1600, 30, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    set(dock, atoms.netWmWindowType, XCB_ATOM_ATOM, {atoms.typeDock});
    set(dock, atoms.netWmStrutPartial, XCB_ATOM_CARDINAL, {0, 0, 30, 0, 0, 0, 0, 0, 0, 1599, 0, 0});
    xcb_map_window(c, dock);
    displays.docks().consider(dock);
    displays.docks().eventsProcessed();
    set(x.root(), atoms.netWorkarea, XCB_ATOM_CARDINAL, {0, 30, 1600, 846});
    xcb_warp_pointer(c, XCB_NONE, x.root(), 0, 0, 0, 0, 100, 200);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    x.endTurn();
    screens = displays.screens();
    ASSERT_EQ(screens.size(), 1u);
    // Global space: y grows upward from the primary's bottom.
    EXPECT_EQ(screens[0].visibleFrame, Rect(0, 24, 1600, 846));
    EXPECT_EQ(displays.mouseLocation(), (Point{100, 700}));
}

} // namespace
} // namespace tarnwick
