#include "engine/WindowPlacementController.h"
#include "fakes/FakePlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;

namespace {

class ObservationTest : public ::testing::Test {
protected:
    std::shared_ptr<WindowPlacementController> startController() {
        auto controller = WindowPlacementController::create(platform.ports(), log);
        controller->start();
        return controller;
    }
    void add(Pid pid, std::optional<std::string> bundle,
             ActivationPolicy policy = ActivationPolicy::Regular) {
        platform.workspace.applications.push_back(std::make_shared<const RunningApplication>(
            RunningApplication{pid, policy, std::move(bundle), std::nullopt}));
    }
    // Whether a window of pid reaches the controller.
    bool observed(Pid pid) {
        return platform.windowCreated(makeStandardWindow(pid, {0, 0}, {10, 10})) > 0;
    }
    int liveSources() const { return static_cast<int>(platform.runLoop.sources.size()); }

    FakePlatform platform;
    RecordingLog log;
};

TEST_F(ObservationTest,
       ObservesOncePermittedOnlyRegularApplicationsWithAnIdentifierNotOursOrTheSystems) {
    add(platform.processInfo.pid, "org.example.self");
    add(2, "org.example.agent", ActivationPolicy::Accessory);
    add(3, "org.example.daemon", ActivationPolicy::Prohibited);
    add(4, std::nullopt);
    add(5, "com.apple.dock");
    add(6, "com.apple.Spotlight");
    add(30, "com.apple.spotlight"); // differs in letter case only
    add(31, "org.example.excluded");

    // A platform that hands out observers while untrusted: the controller's own
    // check keeps the registry empty until the permission comes.
    platform.accessibility.refuseObserversWhileUntrusted = false;
    platform.accessibility.trusted = false;
    auto controller = WindowPlacementController::create(platform.ports());
    controller->excludedBundleIdentifiers = {"org.example.excluded"};
    controller->start();
    EXPECT_EQ(liveSources(), 0);
    platform.accessibility.trusted = true;
    controller->accessibilityPermissionChanged();

    for (Pid p : {platform.processInfo.pid, 2, 3, 4, 5, 6}) {
        EXPECT_FALSE(observed(p)) << p;
    }
    EXPECT_TRUE(observed(30));
    EXPECT_TRUE(observed(31)) << "excluded applications stay observed";
    EXPECT_EQ(liveSources(), 2);

    // Never a second observer for one process.
    platform.workspace.notify(WorkspaceNotification::DidLaunchApplication,
                              platform.workspace.applications.back());
    controller->accessibilityPermissionChanged(); // attaches again while trusted
    EXPECT_EQ(platform.windowCreated(makeStandardWindow(31, {0, 0}, {1, 1})), 1);
}

TEST_F(ObservationTest, FailedRegistrationsLeaveNothingBehindWhateverTheyHandOut) {
    add(6, "org.example.nocreate");   // an error, with an observer all the same
    add(7, "org.example.nonotify");   // notifications refused
    add(8, "org.example.noobserver"); // success, with no observer
    platform.accessibility.failObserverCreate = {6};
    platform.accessibility.failAddNotification = {7};
    platform.accessibility.nullObserver = {8};
    auto controller = startController();
    EXPECT_FALSE(observed(6));
    EXPECT_EQ(liveSources(), 0);
    EXPECT_EQ(platform.accessibility.observersAlive(), 0) << "the failed observers are released";
    EXPECT_THAT(log.failures, ::testing::Contains(::testing::HasSubstr("org.example.nocreate")));

    // Retried only when the permission comes back.
    platform.accessibility.failObserverCreate.clear();
    platform.accessibility.failAddNotification.clear();
    platform.accessibility.nullObserver.clear();
    platform.workspace.notify(WorkspaceNotification::DidLaunchApplication, nullptr);
    EXPECT_FALSE(observed(6));
    controller->accessibilityPermissionChanged();
    EXPECT_TRUE(observed(6));
    EXPECT_TRUE(observed(7));
    EXPECT_TRUE(observed(8));
}

TEST_F(ObservationTest, TerminationDropsTheEntryAndAReusedPidStartsFresh) {
    auto controller = startController();
    platform.workspace.terminate(99); // never observed: nothing happens
    platform.workspace.notify(WorkspaceNotification::DidTerminateApplication, nullptr);
    platform.workspace.launch({8, ActivationPolicy::Regular, "org.example.old", "Old"});
    platform.workspace.launch({9, ActivationPolicy::Regular, "org.example.other", "Other"});
    ASSERT_TRUE(observed(8));
    platform.workspace.terminate(8);
    EXPECT_FALSE(observed(8));
    EXPECT_TRUE(observed(9));
    EXPECT_EQ(liveSources(), 1);
    platform.workspace.launch({8, ActivationPolicy::Regular, "org.example.new", "New"});
    EXPECT_TRUE(observed(8));
}

TEST_F(ObservationTest, DestructionRemovesEveryObservationOnceNothingIsPending) {
    add(1, "org.example.one");
    auto controller = startController();
    // A pending handling keeps the controller alive; afterwards destruction
    // removes every source, and late workspace notifications do nothing.
    platform.windowCreated(makeStandardWindow(1, {0, 0}, {10, 10}));
    controller.reset();
    EXPECT_EQ(liveSources(), 1);
    platform.scheduler.advance(Duration(0.08));
    EXPECT_EQ(liveSources(), 0);
    platform.workspace.launch({2, ActivationPolicy::Regular, "org.example.two", std::nullopt});
    platform.workspace.terminate(1);
    EXPECT_EQ(liveSources(), 0);
}

} // namespace
