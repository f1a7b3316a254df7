#include "engine/WindowPlacementController.h"

#include "fakes/FakePlatform.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

using namespace tarnwick;
using namespace tarnwick::fakes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr Pid kEditor = 100;

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.useExampleDisplays();
        platform.displays.mouse = {3000, 500}; // on the second display
        platform.workspace.applications.push_back(
            std::make_shared<const RunningApplication>(RunningApplication{
                kEditor, ActivationPolicy::Regular, "com.example.editor", "Editor"}));
        controller = WindowPlacementController::create(platform.ports());
        controller->onWindowMoved = [this](const std::string& app, const std::string& screen) {
            reports.emplace_back(app, screen);
        };
        controller->start();
    }

    // Notifies the window's creation and lets the 80 ms pass.
    void createAndWait(const FakeElementRef& window) {
        ASSERT_EQ(platform.windowCreated(window), 1);
        platform.accessibility.calls.clear();
        platform.scheduler.advance(Duration(0.08));
    }

    std::optional<Point> movedTo(const FakeElementRef& window) {
        if (window->writtenPositions.empty()) {
            return std::nullopt;
        }
        return window->writtenPositions.back();
    }

    FakePlatform platform;
    std::shared_ptr<WindowPlacementController> controller;
    std::vector<std::pair<std::string, std::string>> reports;
};

TEST_F(PlacementTest, MovesTheWorkedExamplesToTheirExactPositions) {
    auto centred = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    createAndWait(centred);
    EXPECT_EQ(movedTo(centred), (Point{2800, 272.5}));

    auto huge = makeStandardWindow(kEditor, {10, 25}, {2000, 1200});
    createAndWait(huge);
    EXPECT_EQ(movedTo(huge), (Point{2480, -135}));

    EXPECT_THAT(reports, ElementsAre(std::pair<std::string, std::string>("Editor", "Second"),
                                     std::pair<std::string, std::string>("Editor", "Second")));
}

TEST_F(PlacementTest, KeepsRelativePlaceAtTheEdgesAndNeverResizes) {
    struct Case {
        Point position;
        Size size;
        Point expected;
    };
    const Case cases[] = {
        // Left of the source's visible frame: lands on the target's visible left edge.
        {{-50, 100}, {800, 600}, {1920, -135 + 815 * (75.0 / 385)}},
        // Right edge beyond the source's: its right edge meets the target's.
        {{1500, 25}, {800, 600}, {1920 + 1760, -135}},
        // Less than a point of room on the source: the room's floor is 1, not the room.
        {{0.25, 25}, {1919.5, 600}, {1920 + 640.5 * 0.25, -135}},
        // Taller than the target's visible frame: top at the visible top, not resized.
        {{100, 25}, {800, 1500}, {1920 + 1760 * (100.0 / 1120), -135}},
    };
    for (const Case& c : cases) {
        auto window = makeStandardWindow(kEditor, c.position, c.size);
        createAndWait(window);
        ASSERT_TRUE(movedTo(window)) << c.position.x;
        EXPECT_DOUBLE_EQ(movedTo(window)->x, c.expected.x);
        EXPECT_DOUBLE_EQ(movedTo(window)->y, c.expected.y);
        EXPECT_EQ(platform.accessibility.calls.back(), "set AXPosition"); // size never written
    }
}

TEST_F(PlacementTest, NotANumberPlacesFallBackToZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    platform.displays.displays[0].visibleFrame = Rect(0, 70, 1920, nan);
    platform.displays.displays[1].visibleFrame = Rect(1920, -200, nan, 1415);
    auto window = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    createAndWait(window);
    // An unknown source offset counts as 0, an unknown target room as none.
    EXPECT_EQ(movedTo(window), (Point{1920, -135}));
}

TEST_F(PlacementTest, GuardsRunInOrderAndStopAllLaterReads) {
    const std::vector<std::string> qualify = {"trusted",           "read AXRole",
                                              "read AXSubrole",    "read AXMinimized",
                                              "read AXFullScreen", "settable AXPosition"};
    auto upTo = [&](std::vector<std::string> extra) {
        std::vector<std::string> calls = qualify;
        calls.insert(calls.end(), extra.begin(), extra.end());
        return calls;
    };
    struct Case {
        const char* name;
        std::function<void(FakeElement&)> breakIt;
        std::vector<std::string> calls;
        int screenReads;
    };
    const std::vector<Case> cases = {
        {"disabled", [&](FakeElement&) { controller->isEnabled = false; }, {}, 0},
        {"untrusted",
         [&](FakeElement&) { platform.accessibility.trusted = false; },
         {"trusted"},
         0},
        {"dialog", [](FakeElement& w) { w.attributes["AXSubrole"] = std::string("AXDialog"); },
         qualify, 0},
        {"no role", [](FakeElement& w) { w.attributes.erase("AXRole"); }, qualify, 0},
        {"minimized", [](FakeElement& w) { w.attributes["AXMinimized"] = true; }, qualify, 0},
        {"full screen", [](FakeElement& w) { w.attributes["AXFullScreen"] = true; }, qualify, 0},
        {"not settable", [](FakeElement& w) { w.positionSettable = false; }, qualify, 0},
        {"settable error", [](FakeElement& w) { w.settableError = kAXErrorFailure; }, qualify, 0},
        {"pid error", [](FakeElement& w) { w.pidError = kAXErrorInvalidUIElement; }, upTo({"pid"}),
         0},
        {"not observed", [](FakeElement& w) { w.pid = 999; }, upTo({"pid"}), 0},
        {"excluded",
         [&](FakeElement&) { controller->excludedBundleIdentifiers = {"com.example.editor"}; },
         upTo({"pid"}), 0},
        {"no position", [](FakeElement& w) { w.attributes.erase("AXPosition"); },
         upTo({"pid", "read AXPosition"}), 0},
        {"no size",
         [](FakeElement& w) {
             w.attributes["AXSize"] = AXValue::point({1, 1});
         },
         upTo({"pid", "read AXPosition", "read AXSize"}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller->isEnabled = true;
        controller->excludedBundleIdentifiers.clear();
        platform.accessibility.trusted = true;
        platform.displays.screenReads = 0;
        auto window = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
        ASSERT_EQ(platform.windowCreated(window), 1);
        c.breakIt(*window);
        platform.accessibility.calls.clear();
        platform.scheduler.advance(Duration(0.08));
        EXPECT_EQ(platform.accessibility.calls, c.calls);
        EXPECT_EQ(platform.displays.screenReads, c.screenReads);
        EXPECT_FALSE(movedTo(window));
    }
    EXPECT_THAT(reports, IsEmpty());
}

TEST_F(PlacementTest, LeavesWindowsAloneWhenTheDisplaysGiveNoOtherTarget) {
    auto window = [&] { return makeStandardWindow(kEditor, {560, 217.5}, {800, 600}); };

    platform.displays.displays.resize(1); // a single display
    auto single = window();
    createAndWait(single);
    EXPECT_EQ(platform.displays.screenReads, 2) << "one snapshot, no second list";

    platform.useExampleDisplays();
    platform.displays.mouse = {500, 500}; // the window's own display
    auto same = window();
    createAndWait(same);

    platform.displays.mouse = {500, 0}; // the primary's exclusive bottom edge: no display
    auto nowhere = window();
    createAndWait(nowhere);

    platform.displays.mouse = {3000, 500};
    auto offscreen = makeStandardWindow(kEditor, {-2000, 100}, {800, 600}); // centre on none
    createAndWait(offscreen);

    for (const auto& w : {single, same, nowhere, offscreen}) {
        EXPECT_FALSE(movedTo(w));
    }
    EXPECT_THAT(reports, IsEmpty());
}

TEST_F(PlacementTest, WaitsEightyMillisecondsAndHandlesEachNotificationOnItsOwn) {
    auto first = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    auto second = makeStandardWindow(kEditor, {10, 25}, {2000, 1200});
    platform.windowCreated(first);
    platform.scheduler.advance(Duration(0.03));
    platform.windowCreated(second);
    platform.scheduler.advance(Duration(0.0499));
    EXPECT_FALSE(movedTo(first));
    platform.scheduler.advance(Duration(0.0001));
    EXPECT_TRUE(movedTo(first));
    EXPECT_FALSE(movedTo(second));
    platform.scheduler.advance(Duration(0.03));
    EXPECT_TRUE(movedTo(second));
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(PlacementTest, SeesChangesMadeDuringTheDelay) {
    auto quitting = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    platform.windowCreated(quitting);
    platform.workspace.terminate(kEditor);
    platform.scheduler.advance(Duration(0.08));
    EXPECT_FALSE(movedTo(quitting));

    platform.workspace.launch({kEditor, ActivationPolicy::Regular, "com.example.editor", "Editor"});
    auto paused = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    platform.windowCreated(paused);
    controller->isEnabled = false;
    platform.scheduler.advance(Duration(0.08));
    EXPECT_FALSE(movedTo(paused));

    // The pointer is read when the work runs, not when the window appeared.
    controller->isEnabled = true;
    auto follows = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    platform.displays.mouse = {500, 500};
    platform.windowCreated(follows);
    platform.displays.mouse = {3000, 500};
    platform.scheduler.advance(Duration(0.08));
    EXPECT_TRUE(movedTo(follows));
}

TEST_F(PlacementTest, ReportsOnlySuccessfulWritesUnderTheBestName) {
    auto rejected = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    rejected->writeError = kAXErrorCannotComplete;
    createAndWait(rejected);
    platform.accessibility.failValueCreate = true;
    auto unwrapped = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    createAndWait(unwrapped);
    EXPECT_EQ(platform.accessibility.writes, 1);
    EXPECT_THAT(reports, IsEmpty());

    platform.accessibility.failValueCreate = false;
    platform.workspace.launch({200, ActivationPolicy::Regular, "org.example.nameless", {}});
    auto nameless = makeStandardWindow(200, {560, 217.5}, {800, 600});
    createAndWait(nameless);
    EXPECT_THAT(reports,
                ElementsAre(std::pair<std::string, std::string>("org.example.nameless", "Second")));

    // A write the windowing system accepted but did not carry out is no move.
    reports.clear();
    platform.accessibility.deferApplied = true;
    auto refused = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    auto landed = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    createAndWait(refused);
    createAndWait(landed);
    ASSERT_EQ(platform.accessibility.pendingApplied.size(), 2U);
    EXPECT_THAT(reports, IsEmpty());
    platform.accessibility.pendingApplied[0](false);
    platform.accessibility.pendingApplied[1](true);
    EXPECT_EQ(reports.size(), 1U);
    platform.accessibility.deferApplied = false;

    controller->onWindowMoved = nullptr;
    auto unreported = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    createAndWait(unreported);
    EXPECT_TRUE(movedTo(unreported));
}

} // namespace
