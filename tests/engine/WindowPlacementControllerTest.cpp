#include "engine/WindowPlacementController.h"

#include "fakes/FakePlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Report = std::pair<std::string, std::string>;

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
        controller = WindowPlacementController::create(platform.ports(), log);
        controller->onWindowMoved = [this](const std::string& app, const std::string& screen) {
            reports.emplace_back(app, screen);
        };
        controller->start();
    }

    // A window created on the primary display, handled once the 80 ms have passed.
    FakeElementRef place(Point position = {560, 217.5}, Size size = {800, 600}, Pid pid = kEditor) {
        auto window = makeStandardWindow(pid, position, size);
        EXPECT_EQ(platform.windowCreated(window), 1);
        platform.scheduler.advance(Duration(0.08));
        return window;
    }

    static std::optional<Point> movedTo(const FakeElementRef& window) {
        if (window->writtenPositions.empty()) {
            return std::nullopt;
        }
        return window->writtenPositions.back();
    }

    FakePlatform platform;
    RecordingLog log;
    std::shared_ptr<WindowPlacementController> controller;
    std::vector<Report> reports;
};

TEST_F(PlacementTest, MovesTheWorkedExamplesAndReportsThem) {
    EXPECT_EQ(movedTo(place()), (Point{2800, 272.5}));
    // Large: a centre taken from its whole size would lie on the second display.
    EXPECT_EQ(movedTo(place({10, 25}, {2000, 1200})), (Point{2480, -135}));
    // Narrow and tall near the primary's edge: its centre is on the primary.
    const auto narrow = place({1700, 100}, {200, 800});
    ASSERT_TRUE(movedTo(narrow));
    EXPECT_DOUBLE_EQ(movedTo(narrow)->x, 1920 + 2360 * (1700.0 / 1720));
    EXPECT_DOUBLE_EQ(movedTo(narrow)->y, -135 + 615 * (75.0 / 185));
    EXPECT_THAT(reports, ElementsAre(Report("Editor", "Second"), Report("Editor", "Second"),
                                     Report("Editor", "Second")));
}

TEST_F(PlacementTest, ThePointersDisplayIsTheOneWhoseWholeFrameHoldsIt) {
    // The second display's left edge, and its panel strip above the visible frame.
    for (const Point mouse : {Point{1920, 500}, Point{3000, 1230}}) {
        platform.displays.mouse = mouse;
        EXPECT_TRUE(movedTo(place())) << mouse.x << ", " << mouse.y;
    }
    EXPECT_THAT(reports, ElementsAre(Report("Editor", "Second"), Report("Editor", "Second")));
}

TEST_F(PlacementTest, PlacesAcrossDisplaysStackedVertically) {
    // A tall display below a wide primary: only the y axes tell them apart.
    platform.displays.displays = {
        {Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1040), "Top"},
        {Rect(0, -2000, 1200, 2000), Rect(0, -2000, 1200, 1960), "Bottom"},
    };
    platform.displays.mouse = {600, -1000}; // on the bottom display
    // Wider than tall: its centre is on the top display only when taken from its height.
    const auto down = place({100, 300}, {1600, 500});
    ASSERT_TRUE(movedTo(down));
    EXPECT_DOUBLE_EQ(movedTo(down)->x, 0); // wider than the bottom display
    EXPECT_DOUBLE_EQ(movedTo(down)->y, 1120 + 1460 * (260.0 / 540));
    EXPECT_THAT(reports, ElementsAre(Report("Editor", "Bottom")));
}

TEST_F(PlacementTest, LeavesAloneWhatIsNotAMovableStandardWindowOfAnIncludedApplication) {
    struct Case {
        const char* name;
        std::function<void(FakeElement&)> breakIt;
    };
    const AXValue odd{AXValueType::CGSize, Point{}};
    const std::vector<Case> cases = {
        {"disabled", [&](FakeElement&) { controller->isEnabled = false; }},
        {"untrusted", [&](FakeElement&) { platform.accessibility.trusted = false; }},
        {"dialog", [](FakeElement& w) { w.attributes["AXSubrole"] = std::string("AXDialog"); }},
        {"not a window", [](FakeElement& w) { w.attributes["AXRole"] = std::string("AXSheet"); }},
        {"minimized", [](FakeElement& w) { w.attributes["AXMinimized"] = true; }},
        {"full screen", [](FakeElement& w) { w.attributes["AXFullScreen"] = true; }},
        {"not settable", [](FakeElement& w) { w.positionSettable = false; }},
        {"settable, says the failing call", [](FakeElement& w) { w.settableError = -25200; }},
        {"a pid, says the failing call", [](FakeElement& w) { w.pidError = -25202; }},
        {"not observed", [](FakeElement& w) { w.pid = 999; }},
        {"excluded",
         [&](FakeElement&) {
             controller->excludedBundleIdentifiers = {"x", "com.example.editor"};
         }},
        {"position read fails", [](FakeElement& w) { w.readErrors["AXPosition"] = -25204; }},
        {"size read fails", [](FakeElement& w) { w.readErrors["AXSize"] = -25212; }},
        // Values of another kind, or whose type code does not match what they hold.
        {"role not text", [](FakeElement& w) { w.attributes["AXRole"] = 42.0; }},
        {"position coded as a size", [&](FakeElement& w) { w.attributes["AXPosition"] = odd; }},
        {"size holding a point", [&](FakeElement& w) { w.attributes["AXSize"] = odd; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller->isEnabled = true;
        controller->excludedBundleIdentifiers = {"com.example.other"};
        platform.accessibility.trusted = true;
        auto window = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
        ASSERT_EQ(platform.windowCreated(window), 1);
        c.breakIt(*window);
        platform.scheduler.advance(Duration(0.08));
        EXPECT_FALSE(movedTo(window));
    }
    EXPECT_THAT(reports, IsEmpty());
    EXPECT_THAT(log.failures, Contains(HasSubstr("-25200"))); // the settable flag's error
}

TEST_F(PlacementTest, MovesWindowsWhoseMinimizedOrFullScreenStateCannotBeRead) {
    auto unsupported = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    unsupported->attributes.erase("AXMinimized");
    unsupported->attributes.erase("AXFullScreen");
    auto failing = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    failing->attributes["AXMinimized"] = failing->attributes["AXFullScreen"] = true;
    failing->readErrors = {{"AXMinimized", -25204}, {"AXFullScreen", -25204}};
    for (const auto& window : {unsupported, failing}) {
        platform.windowCreated(window);
        platform.scheduler.advance(Duration(0.08));
        EXPECT_TRUE(movedTo(window));
    }
}

TEST_F(PlacementTest, LeavesWindowsAloneWhenTheDisplaysGiveNoOtherTarget) {
    platform.displays.mouse = {500, 500}; // the window's own display
    EXPECT_FALSE(movedTo(place()));
    platform.displays.mouse = {500, 0}; // the primary's exclusive bottom edge: no display
    EXPECT_FALSE(movedTo(place()));
    platform.displays.mouse = {3000, 500};
    EXPECT_FALSE(movedTo(place({-2000, 100}))) << "its centre is on no display";
    EXPECT_THAT(reports, IsEmpty());
}

TEST_F(PlacementTest, HandlesEachWindowEightyMillisecondsLaterAsThingsAreThen) {
    // Created while the pointer is on its own display, which it leaves in the meantime.
    auto window = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    platform.displays.mouse = {500, 500};
    platform.windowCreated(window);
    platform.displays.mouse = {3000, 500};
    platform.scheduler.advance(Duration(0.0799));
    EXPECT_FALSE(movedTo(window));
    platform.scheduler.advance(Duration(0.0001));
    EXPECT_TRUE(movedTo(window));
}

TEST_F(PlacementTest, ReportsOnlyMovesThatTookEffectUnderTheBestName) {
    auto rejected = makeStandardWindow(kEditor, {560, 217.5}, {800, 600});
    rejected->writeError = kAXErrorCannotComplete;
    platform.windowCreated(rejected);
    platform.scheduler.advance(Duration(0.08));
    platform.accessibility.failValueCreate = true;
    EXPECT_FALSE(movedTo(place()));
    EXPECT_THAT(reports, IsEmpty());

    platform.accessibility.failValueCreate = false;
    platform.workspace.launch({200, ActivationPolicy::Regular, "org.example.nameless", {}});
    place({560, 217.5}, {800, 600}, 200);
    EXPECT_THAT(reports, ElementsAre(Report("org.example.nameless", "Second")));

    // A write the windowing system accepted but did not carry out is no move.
    reports.clear();
    platform.accessibility.deferApplied = true;
    place();
    place();
    ASSERT_EQ(platform.accessibility.pendingApplied.size(), 2U);
    EXPECT_THAT(reports, IsEmpty());
    platform.accessibility.pendingApplied[0](false);
    platform.accessibility.pendingApplied[1](true);
    EXPECT_EQ(reports.size(), 1U);
    platform.accessibility.deferApplied = false;

    controller->onWindowMoved = nullptr;
    EXPECT_TRUE(movedTo(place()));
}

} // namespace
