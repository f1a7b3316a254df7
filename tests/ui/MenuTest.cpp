#include "UiTestSupport.h"
#include "app/L10n.h"
#include "ui/AboutWindow.h"
#include "ui/MenuContent.h"
#include "ui/SettingsView.h"
#include "ui/SettingsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QWidgetAction>

namespace tarnwick::testing {
namespace {

QString key(const char* k) {
    return L10n::string(QString::fromLatin1(k));
}

class MenuTest : public UiTest {};

TEST_F(MenuTest, EntriesFollowThePermissionInOrderWithTheirShortcuts) {
    platform.accessibility.trusted = true;
    MenuContent& menu = makeApp().menu();

    QList<QAction*> entries = menu.visibleEntries();
    ASSERT_EQ(entries.size(), 7);
    EXPECT_EQ(entries[0], menu.placementAction());
    EXPECT_TRUE(entries[1]->isSeparator());
    EXPECT_EQ(entries[2], menu.statusAction());
    EXPECT_TRUE(entries[3]->isSeparator());
    EXPECT_EQ(entries[4], menu.aboutAction());
    EXPECT_EQ(entries[5], menu.settingsAction());
    EXPECT_EQ(entries[6], menu.quitAction());

    EXPECT_EQ(menu.placementAction()->text(), key("placement.toggle"));
    EXPECT_EQ(menu.aboutAction()->text(), key("about.title"));
    EXPECT_EQ(menu.settingsAction()->text(), key("menu.settings"));
    EXPECT_EQ(menu.quitAction()->text(), key("menu.quit"));
    EXPECT_EQ(menu.settingsAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(menu.quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(menu.aboutAction()->shortcut().isEmpty());

    // The status line is the model's text as it stands, dimmed.
    auto* status = qobject_cast<QLabel*>(menu.statusAction()->defaultWidget());
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), app->model().statusText());
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    EXPECT_LT(status->palette().color(QPalette::WindowText).alphaF(), 1.0);

    platform.accessibility.trusted = false;
    tick();
    entries = menu.visibleEntries();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_EQ(entries[0], menu.placementAction());
    EXPECT_EQ(entries[1], menu.permissionAction());
    EXPECT_EQ(entries[1]->text(), key("permission.allow"));
    for (QAction* entry : entries) {
        EXPECT_TRUE(entry->isSeparator() || entry->isEnabled()) << entry->text().toStdString();
    }

    // The entry only prompts; the model learns of a grant by its own check.
    menu.permissionAction()->trigger();
    EXPECT_EQ(platform.accessibility.promptCount, 1);
    EXPECT_TRUE(platform.workspace.openedURLs.empty());
    platform.accessibility.trusted = true;
    tick();
    EXPECT_EQ(menu.visibleEntries().size(), 7);
    app->model().setIsEnabled(false);
    EXPECT_EQ(status->text(), key("status.paused"));
}

TEST_F(MenuTest, PlacementSwitchAgreesWithTheSettingsWindowBothWays) {
    TarnwickApp& tarnwick = makeApp();
    const qint64 trayIcon = tarnwick.trayIcon().icon().cacheKey();
    tarnwick.openSettings();
    auto* settingsSwitch = find<QCheckBox>(*tarnwick.settingsWindow(), "placementSwitch");
    ASSERT_TRUE(tarnwick.model().isEnabled());
    EXPECT_TRUE(settingsSwitch->isChecked());

    tarnwick.menu().placementAction()->trigger();
    EXPECT_FALSE(tarnwick.model().isEnabled());
    EXPECT_FALSE(settingsSwitch->isChecked());
    EXPECT_FALSE(preferences->boolValue(Preferences::kPlacementEnabled).value_or(true));

    settingsSwitch->click();
    EXPECT_TRUE(tarnwick.model().isEnabled());
    EXPECT_TRUE(tarnwick.menu().placementAction()->isChecked());
    // Pausing and resuming leave the tray icon alone.
    EXPECT_EQ(tarnwick.trayIcon().icon().cacheKey(), trayIcon);
}

TEST_F(MenuTest, WindowsOpenOnceEach) {
    TarnwickApp& tarnwick = makeApp();
    tarnwick.menu().aboutAction()->trigger();
    AboutWindow* first = tarnwick.aboutWindow();
    ASSERT_NE(first, nullptr);
    first->close();
    tarnwick.menu().aboutAction()->trigger();
    EXPECT_EQ(tarnwick.aboutWindow(), first);
    EXPECT_TRUE(first->isVisible());

    tarnwick.menu().settingsAction()->trigger();
    tarnwick.menu().settingsAction()->trigger();

    int abouts = 0;
    int settings = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        abouts += qobject_cast<AboutWindow*>(window) != nullptr;
        settings += qobject_cast<SettingsWindow*>(window) != nullptr;
    }
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(settings, 1);
}

TEST_F(MenuTest, WithoutATrayTheSettingsWindowOpensAndSaysWhy) {
    TarnwickApp& withTray = makeApp(true);
    withTray.start();
    EXPECT_EQ(withTray.settingsWindow(), nullptr);

    TarnwickApp& withoutTray = makeApp(false);
    withoutTray.start();
    SettingsWindow* window = withoutTray.settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(shown(find<QWidget>(*window, "notice")));
    EXPECT_EQ(find<QLabel>(*window, "noticeText")->text(), key("settings.noTray"));
}

} // namespace
} // namespace tarnwick::testing
