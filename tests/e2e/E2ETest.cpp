#include "E2ETest.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace e2e {

namespace {
constexpr int dockThickness = 32;

std::string pair(double a, double b) {
    return std::to_string(int(a)) + "," + std::to_string(int(b));
}
} // namespace

void E2ETest::SetUp() {
    if (auto reason = VirtualDesktop::unavailableReason())
        GTEST_SKIP() << *reason;
}

void ManagerE2ETest::SetUp() {
    manager_ = GetParam();
    // Not chosen in $TARNWICK_E2E_MANAGERS (comma-separated, or "all"; by default
    // the ones CI runs), or not installed.
    const char* chosen = std::getenv("TARNWICK_E2E_MANAGERS");
    const std::string list =
        "," + std::string(chosen && *chosen ? chosen : "openbox,icewm,fluxbox,metacity,none") + ",";
    if (list != ",all," && list.find("," + manager_ + ",") == std::string::npos)
        GTEST_SKIP() << manager_ << " is not in $TARNWICK_E2E_MANAGERS";
    if (manager_ != "none" && !std::filesystem::exists("/usr/bin/" + manager_))
        GTEST_SKIP() << manager_ << " is not installed";
    E2ETest::SetUp();
}

std::unique_ptr<Process> E2ETest::spawn(const std::vector<std::string>& argv,
                                        std::map<std::string, std::string> env) {
    env["DISPLAY"] = desktop_->display();
    return std::make_unique<Process>(argv, env);
}

void E2ETest::startDesktop(size_t pointer, const std::string& layout, Strut::Side dockSide,
                           std::optional<int> display) {
    desktop_ = std::make_unique<VirtualDesktop>(layout, display, manager_);
    ASSERT_TRUE(desktop_->started()) << "the virtual desktop did not start";
    x_ = std::make_unique<XQuery>(desktop_->display());
    ASSERT_TRUE(x_->ok());
    ASSERT_EQ(x_->windowManagerName().has_value(), hasManager()) << manager_;
    struts_.clear();
    const Rect p = screens().front().frame; // the primary's
    const bool top = dockSide == Strut::Top;
    const Strut dock{dockSide,
                     top ? p.y + dockThickness
                         : x_->rootSize().second - (p.y + p.height) + dockThickness,
                     p.x, p.x + p.width - 1};
    struts_.push_back(dock);
    dock_ = spawn({TARNWICK_TESTCLIENT, "--class", "TarnwickDock", "--type", "dock", "--pos",
                   pair(p.x, top ? p.y : p.y + p.height - dockThickness), "--size",
                   pair(p.width, dockThickness), "--strut",
                   (top ? "top," : "bottom,") + pair(dock.size, dock.start) + "," +
                       std::to_string(int(dock.end))});
    // The window manager has taken the strut into account once the dock is a client.
    ASSERT_TRUE(waitUntil([&] { return x_->clientWithClass("TarnwickDock").has_value(); }, 10s))
        << "the dock was not managed";
    if (manager_ == "fluxbox") {
        // Its toolbar publishes no strut; the work area leaves out as many rows
        // along the root's bottom, whichever monitor reaches down there.
        std::optional<Rect> toolbar;
        ASSERT_TRUE(waitUntil(
            [&] {
                for (const Rect& r : x_->mappedRootChildren())
                    if (r.x == p.x && r.y + r.height == p.y + p.height && r.height < 100 &&
                        r.width >= p.width / 2)
                        toolbar = r;
                return toolbar.has_value();
            },
            5s))
            << "no toolbar on the primary monitor's bottom";
        struts_.push_back({Strut::Bottom, toolbar->height, 0, double(x_->rootSize().first - 1)});
    }
    ASSERT_NO_FATAL_FAILURE(pointAt(pointer));
    if (headless_)
        return; // it outlived an earlier server
    std::vector<std::string> argv{TARNWICK_HEADLESS};
    argv.insert(argv.end(), headlessArgs_.begin(), headlessArgs_.end());
    headless_ = spawn(argv);
    ASSERT_TRUE(headless_->waitForLine([](const std::string& l) { return l == "ready"; }, 20s))
        << "tarnwick-headless did not become ready";
}

std::vector<Screen> E2ETest::screens() {
    return screensOf(desktop_->monitors(), struts_, x_->rootSize().second);
}

void E2ETest::pointAt(size_t monitorIndex) {
    const Rect& f = desktop_->monitors().at(monitorIndex).frame;
    pointer_ = {int(f.x + f.width / 2), int(f.y + f.height / 2)};
    ASSERT_EQ(x_->warpPointer(pointer_.first, pointer_.second), pointer_);
}

bool E2ETest::listed(xcb_window_t id) {
    const auto list = x_->clientList();
    return std::find(list.begin(), list.end(), id) != list.end();
}

Window E2ETest::openClient(const std::string& wmClass, int x, int y, int w, int h,
                           const std::vector<std::string>& flags) {
    std::vector<std::string> args{TARNWICK_TESTCLIENT, "--class", wmClass,   "--pos",
                                  pair(x, y),          "--size",  pair(w, h)};
    args.insert(args.end(), flags.begin(), flags.end());
    Window window{.process = spawn(args),
                  .wmClass = wmClass,
                  .requestX = x,
                  .requestY = y,
                  .requestHeight = h,
                  .staticGravity = std::find(flags.begin(), flags.end(), "static") != flags.end()};
    auto line = window.process->waitForLine(
        [](const std::string& l) { return l.starts_with("window "); }, 10s);
    if (line)
        window.id = xcb_window_t(std::stoul(line->substr(7), nullptr, 16));
    return window;
}

Window E2ETest::openProgram(const std::vector<std::string>& argv, const std::string& wmClass,
                            std::map<std::string, std::string> env) {
    Window window{.process = spawn(argv, std::move(env)), .wmClass = wmClass};
    waitUntil(
        [&] {
            window.id = x_->clientWithClass(wmClass).value_or(0);
            return window.id != 0;
        },
        20s);
    return window;
}

bool E2ETest::waitManaged(Window& window, Clock::duration timeout) {
    auto taken = [&] {
        if (!hasManager())
            return x_->viewable(window.id);
        if (!listed(window.id))
            return false;
        // Decorated, drawing its own decorations, or full-screen; fluxbox adds
        // the title bar to the extents a moment later.
        if (x_->hasState(window.id, "_NET_WM_STATE_FULLSCREEN"))
            return true;
        const auto extents = x_->cardinals(window.id, "_NET_FRAME_EXTENTS");
        if (manager_ == "fluxbox" && !window.placedByManager && extents.size() == 4 &&
            extents[2] == 0)
            return false;
        return extents.size() == 4 || x_->cardinals(window.id, "_GTK_FRAME_EXTENTS").size() == 4;
    };
    auto settled = [&] {
        if (!taken())
            return false;
        auto frame = x_->frame(window.id);
        const bool same = frame && *frame == window.observed;
        window.observed = frame.value_or(Rect{});
        return same;
    };
    if (!window.id || !waitUntil(settled, timeout))
        return false;
    window.initial = window.observed;
    if (!window.placedByManager) {
        // North-west gravity puts the frame's corner at the requested point; static
        // gravity puts the client there.
        auto e = x_->cardinals(window.id, "_NET_FRAME_EXTENTS");
        const bool shift = window.staticGravity && e.size() == 4;
        window.initial.x = window.requestX - (shift ? e[0] : 0);
        window.initial.y = window.requestY - (shift ? e[2] : 0);
        // fluxbox makes a window it moves a title bar taller, which a slow
        // poll may already see.
        if (manager_ == "fluxbox" && window.requestHeight > 0 && e.size() == 4)
            window.initial.height = window.requestHeight + e[2] + e[3];
    }
    return true;
}

std::optional<std::string> E2ETest::waitForReport(const std::string& wmClass,
                                                  Clock::duration timeout) {
    const std::string prefix = "moved " + wmClass + "\t";
    auto line = headless_->waitForLine([&](const std::string& l) { return l.starts_with(prefix); },
                                       timeout);
    return line ? std::optional(line->substr(prefix.size())) : std::nullopt;
}

void E2ETest::openMovedClient(const std::string& wmClass, int x, int y, int w, int h,
                              const std::vector<std::string>& flags) {
    Window window = openClient(wmClass, x, y, w, h, flags);
    ASSERT_TRUE(waitManaged(window)) << wmClass;
    ASSERT_NO_FATAL_FAILURE(expectMoved(window));
    kept_.push_back(std::move(window));
}

void E2ETest::expectMoved(const Window& window) {
    std::string targetName;
    auto expected =
        expectedPosition(window.initial, pointer_.first, pointer_.second, screens(), &targetName);
    ASSERT_TRUE(expected) << "the test expects " << window.wmClass << " to move";
    auto screenName = waitForReport(window.wmClass);
    ASSERT_TRUE(screenName) << window.wmClass << " (" << std::hex << window.id
                            << ") was not reported";
    EXPECT_EQ(*screenName, targetName);
    // The position travels as whole pixels; allow the rounding.
    const double slack = window.placedByManager ? 2.0 : 1.0;
    std::optional<Rect> frame;
    bool arrived = waitUntil(
        [&] {
            frame = x_->frame(window.id);
            return frame && std::abs(frame->x - expected->first) <= slack &&
                   std::abs(frame->y - expected->second) <= slack;
        },
        5s);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(arrived) << window.wmClass << " from (" << window.initial.x << ","
                         << window.initial.y << ") is at (" << frame->x << "," << frame->y
                         << "), expected (" << expected->first << "," << expected->second << ")";
    EXPECT_EQ(frame->width, window.initial.width);
    // fluxbox 1.3.5 makes a window it moves on request a title bar taller.
    if (manager_ != "fluxbox") {
        EXPECT_EQ(frame->height, window.initial.height);
    }
}

void E2ETest::expectLeftAlone(const Window& window, bool exact) {
    for (const std::string& line : headless_->lines())
        EXPECT_FALSE(line.starts_with("moved " + window.wmClass + "\t")) << line;
    auto f = x_->frame(window.id);
    ASSERT_TRUE(f) << window.wmClass;
    const Rect& was = window.observed;
    if (exact) {
        EXPECT_EQ(std::pair(f->x, f->y), std::pair(was.x, was.y)) << window.wmClass;
        return;
    }
    for (const Monitor& m : desktop_->monitors()) {
        if (m.frame.contains(was.x + was.width / 2, was.y + was.height / 2)) {
            EXPECT_TRUE(m.frame.contains(f->x + f->width / 2, f->y + f->height / 2))
                << window.wmClass << " is at (" << f->x << "," << f->y << ")";
        }
    }
}

} // namespace e2e
