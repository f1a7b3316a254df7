#include "app/AppModel.h"

#include "app/L10n.h"
#include "app/Preferences.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakePlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;
using Choice = AppModel::ApplicationChoice;

namespace {

class AppModelTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakePlatform platform;
    FakeLoginItemService loginItems;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<AppModel> model;
    QStringList signalLog;

    QString preferencesPath() const { return dir.filePath("defaults.json"); }
    void storePreferences(const QByteArray& json) {
        QFile file(preferencesPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    RunningApplicationRef run(Pid pid, const char* id, std::optional<std::string> name,
                              ActivationPolicy policy = ActivationPolicy::Regular) {
        return platform.workspace.launch({pid, policy, std::string(id), std::move(name)});
    }
    AppModel& makeModel() {
        preferences = std::make_unique<Preferences>(preferencesPath());
        model = std::make_unique<AppModel>(AppPorts{platform.ports(), loginItems, "settings:a11y"},
                                           *preferences);
        const std::pair<const char*, void (AppModel::*)()> signalList[] = {
            {"isEnabled", &AppModel::isEnabledChanged},
            {"permission", &AppModel::hasAccessibilityPermissionChanged},
            {"status", &AppModel::statusTextChanged},
            {"lastAction", &AppModel::lastActionChanged},
            {"apps", &AppModel::runningApplicationsChanged},
            {"login", &AppModel::launchAtLoginStatusChanged},
            {"error", &AppModel::launchAtLoginErrorChanged},
            {"excluded", &AppModel::excludedBundleIdentifiersChanged},
            {"model", &AppModel::modelChanged}};
        for (const auto& [name, signal] : signalList) {
            QObject::connect(model.get(), signal, [this, n = QString(name)] { signalLog << n; });
        }
        return *model;
    }
    // A window of pid on the primary display, created while the pointer is on the second.
    FakeElementRef createWindow(Pid pid) {
        platform.useExampleDisplays();
        platform.displays.mouse = {3000, 500};
        auto window = makeStandardWindow(pid, {100, 100}, {800, 600});
        platform.windowCreated(window);
        platform.scheduler.advance(Duration(0.1));
        return window;
    }
};

TEST_F(AppModelTest, FirstRunUsesDefaultsAndWritesNothing) {
    run(100, "org.example.Editor", "Editor");
    AppModel& m = makeModel();
    EXPECT_TRUE(m.isEnabled());
    EXPECT_TRUE(m.hasAccessibilityPermission());
    EXPECT_EQ(m.statusText(), L10n::string("status.active"));
    EXPECT_EQ(m.lastAction(), L10n::string("lastAction.none"));
    EXPECT_FALSE(QFile::exists(preferencesPath()));
    // The second attachment after start() adds no observer.
    EXPECT_EQ(platform.accessibility.observersCreated, 1);
}

TEST_F(AppModelTest, StoredValuesAreInitialValuesOnly) {
    const QByteArray stored =
        R"({"placementEnabled": false, "excludedBundleIdentifiers": ["a", "a", "b"]})";
    storePreferences(stored);
    run(100, "org.example.Editor", "Editor");
    AppModel& m = makeModel();
    EXPECT_FALSE(m.isEnabled());
    EXPECT_EQ(m.statusText(), L10n::string("status.paused"));
    EXPECT_EQ(m.excludedBundleIdentifiers(), QSet<QString>({"a", "b"}));
    QFile file(preferencesPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), stored);
    // The controller got the switch before it started.
    EXPECT_TRUE(createWindow(100)->writtenPositions.empty());

    storePreferences(R"({"placementEnabled": "false"})");
    EXPECT_TRUE(makeModel().isEnabled());
}

TEST_F(AppModelTest, EveryAssignmentNotifiesAndIsHandled) {
    AppModel& m = makeModel();
    signalLog.clear();
    m.setIsEnabled(true);
    m.setExcludedBundleIdentifiers({});
    EXPECT_EQ(signalLog,
              QStringList({"isEnabled", "model", "status", "model", "excluded", "model"}));
    const Preferences reread(preferencesPath());
    EXPECT_EQ(reread.boolValue(Preferences::kPlacementEnabled), true);
    EXPECT_EQ(reread.stringList(Preferences::kExcludedBundleIdentifiers), QStringList());

    platform.accessibility.trusted = false;
    platform.scheduler.advance(Duration(2));
    m.setIsEnabled(false);
    EXPECT_EQ(m.statusText(), L10n::string("status.permissionMissing"));
    EXPECT_EQ(Preferences(preferencesPath()).boolValue(Preferences::kPlacementEnabled), false);
}

TEST_F(AppModelTest, TickJobRunsItsStepsInOrderAfterTheTick) {
    AppModel& m = makeModel();
    int readsAtTick = -1;
    platform.scheduler.after(Duration(2), [&] { readsAtTick = loginItems.statusReads; });
    platform.accessibility.trusted = false;
    loginItems.currentStatus = LoginItemStatus::Enabled;
    run(100, "org.example.Editor", "Editor");
    signalLog.clear();
    platform.scheduler.advance(Duration(2));

    EXPECT_EQ(readsAtTick, 1); // the tick itself only scheduled its job
    signalLog.removeAll("model");
    EXPECT_EQ(signalLog, QStringList({"permission", "status", "login", "error", "apps"}));
    EXPECT_FALSE(m.hasAccessibilityPermission());
}

TEST_F(AppModelTest, JobsFindNothingToDoOnceTheModelIsGone) {
    makeModel();
    platform.scheduler.after(Duration(2), [&] { model.reset(); });
    const auto callsBefore = platform.accessibility.calls.size();
    const int readsBefore = loginItems.statusReads;
    platform.scheduler.advance(Duration(4.5));
    EXPECT_EQ(platform.accessibility.calls.size(), callsBefore);
    EXPECT_EQ(loginItems.statusReads, readsBefore);
}

TEST_F(AppModelTest, PermissionLossAndRegainDriveTheController) {
    run(100, "org.example.Editor", "Editor");
    run(101, "org.example.Viewer", "Viewer");
    AppModel& m = makeModel();
    ASSERT_EQ(platform.runLoop.sources.size(), 2u);
    signalLog.clear();
    platform.scheduler.advance(Duration(4)); // steady: no permission signal, no new observers
    EXPECT_FALSE(signalLog.contains("permission"));
    EXPECT_EQ(platform.accessibility.observersCreated, 2);

    platform.accessibility.trusted = false;
    platform.scheduler.advance(Duration(2));
    EXPECT_FALSE(m.hasAccessibilityPermission());
    EXPECT_TRUE(platform.runLoop.sources.empty());
    EXPECT_EQ(m.statusText(), L10n::string("status.permissionMissing"));
    EXPECT_TRUE(m.isEnabled());

    platform.accessibility.trusted = true;
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(platform.runLoop.sources.size(), 2u);
    EXPECT_EQ(m.statusText(), L10n::string("status.active"));
}

TEST_F(AppModelTest, MoveReportLandsInALaterJob) {
    run(100, "org.example.Editor", "Editor");
    AppModel& m = makeModel();
    platform.useExampleDisplays();
    platform.displays.mouse = {3000, 500};
    auto window = makeStandardWindow(100, {100, 100}, {800, 600});
    platform.windowCreated(window);
    QString seenRightAfterMove;
    platform.scheduler.after(Duration(0.08), [&] { seenRightAfterMove = m.lastAction(); });
    platform.scheduler.advance(Duration(0.1));

    ASSERT_FALSE(window->writtenPositions.empty());
    EXPECT_EQ(seenRightAfterMove, L10n::string("lastAction.none"));
    EXPECT_EQ(m.lastAction(), L10n::format("lastAction.moved", "Editor", "Second"));
}

TEST_F(AppModelTest, RunningApplicationsAreFilteredCollapsedAndCollated) {
    run(1, "org.example.nine", "App 9");
    run(2, "org.example.ten", "App 10");
    run(3, "org.example.lower", "apple");
    run(4, "org.example.upper", "Banana");
    run(5, "org.example.nine", "Another name"); // a second process of the first
    run(6, "org.example.tray", "Tray", ActivationPolicy::Accessory);
    run(7, "org.example.agent", "Agent", ActivationPolicy::Prohibited);
    platform.workspace.launch({8, ActivationPolicy::Regular, std::nullopt, "No id"});
    run(9, "org.tarnwick.Tarnwick", "Tarnwick");
    run(10, "org.example.nameless", std::nullopt);
    AppModel& m = makeModel();
    const QList<Choice> expected = {{"org.example.nine", "App 9"},
                                    {"org.example.ten", "App 10"},
                                    {"org.example.lower", "apple"},
                                    {"org.example.upper", "Banana"},
                                    {"org.example.nameless", "org.example.nameless"}};
    EXPECT_EQ(m.runningApplications(), expected);

    signalLog.clear();
    platform.scheduler.advance(Duration(4));
    EXPECT_FALSE(signalLog.contains("apps"));

    platform.processInfo.bundle.reset(); // no own identifier: nothing left out on that ground
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(m.runningApplications().size(), expected.size() + 1);
}

TEST_F(AppModelTest, ExclusionsArePersistedAsAListAndForwarded) {
    run(100, "org.example.Editor", "Editor");
    AppModel& m = makeModel();
    const Choice editor{"org.example.Editor", "Editor"};
    m.setApplication(editor, false);
    m.setApplication({"org.example.Gone", "Gone"}, false);
    EXPECT_TRUE(createWindow(100)->writtenPositions.empty());
    const QStringList stored =
        *Preferences(preferencesPath()).stringList(Preferences::kExcludedBundleIdentifiers);
    EXPECT_EQ(QSet<QString>(stored.begin(), stored.end()),
              QSet<QString>({"org.example.Editor", "org.example.Gone"}));

    m.setApplication(editor, true);
    EXPECT_EQ(m.excludedBundleIdentifiers(), QSet<QString>({"org.example.Gone"}));
    EXPECT_FALSE(createWindow(100)->writtenPositions.empty());
}

TEST_F(AppModelTest, LoginErrorLivesOnlyWhileTheStatusKeepsIt) {
    AppModel& m = makeModel();
    m.setLaunchAtLogin(true);
    EXPECT_EQ(m.launchAtLoginStatus(), LoginItemStatus::Enabled);
    EXPECT_TRUE(m.isLaunchAtLoginRequested());

    loginItems.failure = "Permission denied";
    m.setLaunchAtLogin(false); // fails, service still says enabled: message cleared at once
    EXPECT_EQ(m.launchAtLoginError(), std::nullopt);
    EXPECT_EQ(loginItems.unregisterRequests, 1);

    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    m.setLaunchAtLogin(true);
    EXPECT_EQ(m.launchAtLoginError(), "Permission denied");
    EXPECT_TRUE(m.isLaunchAtLoginRequested());
    signalLog.clear();
    platform.scheduler.advance(Duration(2)); // unchanged status: neither touched
    EXPECT_FALSE(signalLog.contains("login") || signalLog.contains("error"));

    loginItems.currentStatus = LoginItemStatus::NotFound;
    platform.scheduler.advance(Duration(2));
    EXPECT_FALSE(m.isLaunchAtLoginRequested());
    EXPECT_EQ(m.launchAtLoginError(), "Permission denied");

    loginItems.currentStatus = LoginItemStatus::Enabled; // approved outside the program
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(m.launchAtLoginError(), std::nullopt);
    EXPECT_EQ(loginItems.registerRequests, 2);
}

TEST_F(AppModelTest, RevealOpensThePlatformPlaceOnly) {
    makeModel().revealAccessibilitySettings();
    EXPECT_EQ(platform.workspace.openedURLs, std::vector<std::string>({"settings:a11y"}));
    model.reset();
    model = std::make_unique<AppModel>(AppPorts{platform.ports(), loginItems, ""}, *preferences);
    model->revealAccessibilitySettings();
    EXPECT_EQ(platform.workspace.openedURLs.size(), 1u);
}

} // namespace
