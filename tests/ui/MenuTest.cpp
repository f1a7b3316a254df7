#include "UiTestSupport.h"
#include "ui/AboutWindow.h"
#include "ui/MenuContent.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <cmath>

namespace tarnwick::testing {
namespace {

// Relative luminance as accessibility guidelines define it, for contrast ratios.
double luminance(QRgb colour) {
    const auto linear = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) +
           0.0722 * linear(qBlue(colour));
}

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

TEST_F(MenuTest, TrayIconStandsOutOnDarkAndLightPanels) {
    const QImage icon = makeApp().trayIcon().icon().pixmap(22).toImage();
    // The panel shades of the demo's and the pictures' trays.
    for (const QColor panel : {QColor(0x30, 0x30, 0x30), QColor(0xe8, 0xe8, 0xe8)}) {
        QImage onPanel(icon.size(), QImage::Format_RGB32);
        onPanel.fill(panel);
        QPainter(&onPanel).drawImage(0, 0, icon);
        const double background = luminance(panel.rgb());
        int opaque = 0, standingOut = 0;
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x) {
                if (qAlpha(icon.pixel(x, y)) >= 128) {
                    ++opaque;
                    const double ink = luminance(onPanel.pixel(x, y));
                    standingOut +=
                        (std::max(ink, background) + 0.05) / (std::min(ink, background) + 0.05) >=
                        3.0;
                }
            }
        }
        // Most of it stands out as a control must, at 3:1.
        ASSERT_GT(opaque, icon.width() * icon.height() / 3);
        EXPECT_GE(standingOut * 2, opaque) << panel.name().toStdString();
    }
}

} // namespace
} // namespace tarnwick::testing
