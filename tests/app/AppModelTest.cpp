#include "app/AppModel.h"

#include "app/L10n.h"
#include "app/Preferences.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::fakes;

namespace {

class AppModelTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("defaults.json");
    FakePlatform platform;
    FakeLoginItemService loginItems;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<AppModel> model;
    QStringList signalLog; // every notice but modelChanged, in order
    int modelChanges = 0;

    // Views redraw on modelChanged alone, so it must follow every other notice.
    void TearDown() override { EXPECT_EQ(modelChanges, signalLog.size()); }

    void run(Pid pid, const char* id, std::optional<std::string> name,
             ActivationPolicy policy = ActivationPolicy::Regular) {
        platform.workspace.launch({pid, policy, std::string(id), std::move(name)});
    }
    AppModel& makeModel() {
        preferences = std::make_unique<Preferences>(path);
        model = std::make_unique<AppModel>(AppPorts{platform.ports(), loginItems, "settings:a11y"},
                                           *preferences);
        const std::pair<const char*, void (AppModel::*)()> signalList[] = {
            {"isEnabled", &AppModel::isEnabledChanged},
            {"permission", &AppModel::hasAccessibilityPermissionChanged},
            {"status", &AppModel::statusTextChanged},
            {"apps", &AppModel::runningApplicationsChanged},
            {"login", &AppModel::launchAtLoginStatusChanged},
            {"error", &AppModel::launchAtLoginErrorChanged},
            {"excluded", &AppModel::excludedBundleIdentifiersChanged},
            {"lastAction", &AppModel::lastActionChanged},
            {"preferences", &AppModel::preferencesErrorChanged}};
        for (const auto& [name, signal] : signalList) {
            QObject::connect(model.get(), signal, [this, n = QString(name)] { signalLog << n; });
        }
        QObject::connect(model.get(), &AppModel::modelChanged, [this] { ++modelChanges; });
        return *model;
    }
    // Whether a new window of pid on the primary display moves to the pointer's display.
    bool moves(Pid pid) {
        platform.useExampleDisplays();
        platform.displays.mouse = {3000, 500};
        auto window = makeStandardWindow(pid, {100, 100}, {800, 600});
        platform.windowCreated(window);
        platform.scheduler.advance(Duration(0.1));
        return !window->writtenPositions.empty();
    }
};

TEST_F(AppModelTest, StoredValuesAreInitialValuesOnlyAndTheSwitchReachesTheController) {
    run(100, "org.example.Editor", "Editor");
    AppModel& first = makeModel();
    EXPECT_TRUE(first.isEnabled());
    EXPECT_EQ(first.statusText(), L10n::string("status.active"));
    EXPECT_FALSE(QFile::exists(path));
    first.setIsEnabled(false);
    EXPECT_FALSE(moves(100));
    first.setExcludedBundleIdentifiers({"org.example.Editor"});

    AppModel& m = makeModel(); // from what the first one stored
    EXPECT_FALSE(m.isEnabled());
    EXPECT_EQ(m.statusText(), L10n::string("status.paused"));
    EXPECT_EQ(m.excludedBundleIdentifiers(), QSet<QString>({"org.example.Editor"}));
    run(101, "org.example.Viewer", "Viewer"); // launched after the controller started
    EXPECT_FALSE(moves(101));                 // the controller started paused
    m.setIsEnabled(true);
    ASSERT_TRUE(moves(101));
    EXPECT_EQ(m.lastAction(), L10n::format("lastAction.moved", "Viewer", "Second"));
    EXPECT_FALSE(moves(100)); // the controller started excluding
}

TEST_F(AppModelTest, EveryAssignmentNotifiesAndIsHandled) {
    AppModel& m = makeModel();
    const qsizetype seen = signalLog.size();
    m.setIsEnabled(true);
    m.setExcludedBundleIdentifiers({});
    EXPECT_EQ(signalLog.mid(seen), QStringList({"isEnabled", "status", "excluded"}));
    m.revealAccessibilitySettings();
    EXPECT_EQ(platform.workspace.openedURLs, std::vector<std::string>({"settings:a11y"}));
    m.openLoginItemSettings();
    EXPECT_EQ(loginItems.openSettingsRequests, 1);
}

TEST_F(AppModelTest, TheTickFollowsPermissionLoginItemAndApplications) {
    run(100, "org.example.Editor", "Editor");
    AppModel& m = makeModel();
    qsizetype seen = signalLog.size();
    platform.scheduler.advance(Duration(4)); // steady
    const QStringList steady = signalLog.mid(seen);
    EXPECT_FALSE(steady.contains("permission") || steady.contains("login") ||
                 steady.contains("apps"));

    seen = signalLog.size();
    platform.accessibility.trusted = false;
    loginItems.currentStatus = LoginItemStatus::Enabled;
    run(101, "org.example.Viewer", "Viewer");
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(signalLog.mid(seen), QStringList({"permission", "status", "login", "apps"}));
    EXPECT_TRUE(platform.runLoop.sources.empty());
    EXPECT_TRUE(m.isEnabled());
    m.setIsEnabled(false); // the missing permission is still what the status names
    EXPECT_FALSE(m.isEnabled());
    EXPECT_EQ(m.statusText(), L10n::string("status.permissionMissing"));
    EXPECT_EQ(Preferences(path).boolValue(Preferences::kPlacementEnabled), false);

    platform.accessibility.trusted = true;
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(platform.runLoop.sources.size(), 2u);
    EXPECT_EQ(m.statusText(), L10n::string("status.paused"));

    // A job that finds the model gone does nothing.
    platform.scheduler.after(Duration(2), [&] { model.reset(); });
    platform.scheduler.advance(Duration(4.5));
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
    const QList<AppModel::ApplicationChoice> expected = {
        {"org.example.nine", "App 9"},
        {"org.example.ten", "App 10"},
        {"org.example.lower", "apple"},
        {"org.example.upper", "Banana"},
        {"org.example.nameless", "org.example.nameless"}};
    EXPECT_EQ(m.runningApplications(), expected);

    platform.processInfo.bundle.reset(); // no own identifier: nothing left out on that ground
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(m.runningApplications().size(), expected.size() + 1);
}

TEST_F(AppModelTest, ALoginErrorStaysUntilTheNextRequestOrTheStatusAskedFor) {
    AppModel& m = makeModel();
    loginItems.failure = "could not write";
    m.setLaunchAtLogin(true); // the status stays "not registered"
    EXPECT_FALSE(m.isLaunchAtLoginRequested());
    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    platform.scheduler.advance(Duration(4));
    EXPECT_TRUE(m.isLaunchAtLoginRequested());
    EXPECT_EQ(m.launchAtLoginError(), "could not write");
    loginItems.currentStatus = LoginItemStatus::Enabled; // what was asked for, made elsewhere
    platform.scheduler.advance(Duration(2));
    EXPECT_EQ(m.launchAtLoginError(), std::nullopt);

    loginItems.failure = "could not remove";
    m.setLaunchAtLogin(false); // the status stays "enabled"
    platform.scheduler.advance(Duration(2));
    EXPECT_TRUE(m.isLaunchAtLoginRequested());
    EXPECT_EQ(m.launchAtLoginError(), "could not remove");
    loginItems.failure.reset();
    m.setLaunchAtLogin(false);
    EXPECT_EQ(m.launchAtLoginError(), std::nullopt);
    EXPECT_FALSE(m.isLaunchAtLoginRequested());
}

TEST_F(AppModelTest, ExclusionsApplyAtOnceAndAreStoredWhenTheyCanBe) {
    ASSERT_TRUE(QDir().mkpath(path)); // a folder where the file should be
    EXPECT_TRUE(makeModel().preferencesError());

    QDir(path).removeRecursively();
    ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly)); // a file where the folder should be
    path = dir.filePath("defaults.json/tarnwick.json");
    run(100, "org.example.Editor", "Editor");
    AppModel& m = makeModel();
    EXPECT_EQ(m.preferencesError(), std::nullopt);
    m.setApplication({"org.example.Editor", "Editor"}, false);
    ASSERT_TRUE(m.preferencesError());
    EXPECT_TRUE(m.preferencesError()->contains(path));
    EXPECT_FALSE(moves(100)); // excluded all the same

    QFile::remove(dir.filePath("defaults.json"));
    m.setIsEnabled(true);
    EXPECT_EQ(m.preferencesError(), std::nullopt);
    EXPECT_EQ(Preferences(path).stringList(Preferences::kExcludedBundleIdentifiers),
              QStringList({"org.example.Editor"}));

    m.setApplication({"org.example.Gone", "Gone"}, false);
    m.setApplication({"org.example.Editor", "Editor"}, true);
    EXPECT_EQ(m.excludedBundleIdentifiers(), QSet<QString>({"org.example.Gone"}));
    EXPECT_TRUE(moves(100));
}

} // namespace
