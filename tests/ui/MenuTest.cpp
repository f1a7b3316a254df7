#include "UiTestSupport.h"
#include "ui/AboutWindow.h"
#include "ui/MenuContent.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>

namespace tarnwick::testing {
namespace {

using MenuTest = UiTest;

TEST_F(MenuTest, KeyboardInTheOpenMenu) {
    platform.accessibility.trusted = false;
    MenuContent& menu = makeApp().menu();
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));

    // Down from the switch passes over the status line.
    menu.setActiveAction(menu.placementAction());
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), menu.aboutAction());

    // The shortcuts it shows work while it is open.
    QTest::keyClick(&menu, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_FALSE(menu.isVisible());
    ASSERT_NE(app->settingsWindow(), nullptr);
    EXPECT_TRUE(app->settingsWindow()->isVisible());
    menu.popup(QPoint(0, 0));
    QSignalSpy quit(&menu, &MenuContent::quitRequested);
    QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quit.count(), 1);
}

TEST_F(MenuTest, EntriesOpenOneWindowEachAndShareTheSwitchWithIt) {
    MenuContent& menu = makeApp().menu();
    menu.aboutAction()->trigger();
    AboutWindow* about = app->aboutWindow();
    ASSERT_NE(about, nullptr);
    about->close();
    menu.aboutAction()->trigger();
    EXPECT_EQ(app->aboutWindow(), about);
    EXPECT_TRUE(about->isVisible());
    menu.settingsAction()->trigger();
    SettingsWindow* settings = app->settingsWindow();
    menu.settingsAction()->trigger();
    EXPECT_EQ(app->settingsWindow(), settings);

    auto* settingsSwitch = find<QCheckBox>(*settings, "placementSwitch");
    menu.placementAction()->trigger();
    EXPECT_FALSE(settingsSwitch->isChecked());
    EXPECT_EQ(menu.statusAction()->text(), key("status.paused"));
    settingsSwitch->click();
    EXPECT_TRUE(app->model().isEnabled());
    EXPECT_TRUE(menu.placementAction()->isChecked());
}

TEST_F(MenuTest, TheSettingsWindowStandsInForAMissingTray) {
    makeApp(true).start();
    EXPECT_EQ(app->settingsWindow(), nullptr);
    // The panel goes away while the program runs, and comes back.
    trayAvailable = false;
    tick();
    ASSERT_NE(app->settingsWindow(), nullptr);
    EXPECT_TRUE(app->settingsWindow()->isVisible());
    QWidget* notice = find<QWidget>(*app->settingsWindow(), "notice");
    EXPECT_TRUE(shown(notice));
    EXPECT_EQ(find<QLabel>(*notice, "noticeText")->text(), key("settings.noTray"));
    trayAvailable = true;
    tick();
    EXPECT_FALSE(shown(notice));

    makeApp(false).start();
    ASSERT_NE(app->settingsWindow(), nullptr);
    EXPECT_TRUE(shown(find<QWidget>(*app->settingsWindow(), "notice")));
}

} // namespace
} // namespace tarnwick::testing
