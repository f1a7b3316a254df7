#include "UiTestSupport.h"
#include "app/L10n.h"
#include "ui/AboutWindow.h"
#include "ui/MenuContent.h"
#include "ui/SettingsView.h"
#include "ui/SettingsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarnwick::testing {
namespace {

QString key(const char* k) {
    return L10n::string(QString::fromLatin1(k));
}

// The contrast ratio of two colours as accessibility guidelines define it.
double contrast(QRgb a, QRgb b) {
    const auto luminance = [](QRgb colour) {
        double sum = 0;
        for (const auto& [value, weight] :
             {std::pair{qRed(colour), 0.2126}, {qGreen(colour), 0.7152}, {qBlue(colour), 0.0722}}) {
            const double c = value / 255.0;
            sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class MenuTest : public UiTest {};

TEST_F(MenuTest, EntriesFollowThePermission) {
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
    QAction* status = menu.statusAction();
    EXPECT_EQ(status->text(), app->model().statusText());

    platform.accessibility.trusted = false;
    tick();
    entries = menu.visibleEntries();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_EQ(entries[0], menu.placementAction());
    EXPECT_EQ(entries[1], menu.permissionAction());
    for (QAction* entry : entries) {
        EXPECT_TRUE(entry->isSeparator() || entry == status || entry->isEnabled())
            << entry->text().toStdString();
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

TEST_F(MenuTest, KeyboardInTheOpenMenu) {
    platform.accessibility.trusted = false;
    MenuContent& menu = makeApp().menu();
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));

    // Down from the switch passes over the status line.
    menu.setActiveAction(menu.placementAction());
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), menu.permissionAction());
    QTest::keyClick(&menu, Qt::Key_Down);
    EXPECT_EQ(menu.activeAction(), menu.aboutAction());

    // The status line starts where the entries' texts start.
    const QImage image = menu.grab().toImage();
    EXPECT_NEAR(ink(image, menu.actionGeometry(menu.statusAction())).left(),
                ink(image, menu.actionGeometry(menu.permissionAction())).left(), 1);

    // The shortcuts it shows work while it is open.
    QTest::keyClick(&menu, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_FALSE(menu.isVisible());
    ASSERT_NE(app->settingsWindow(), nullptr);
    EXPECT_TRUE(app->settingsWindow()->isVisible());
    menu.popup(QPoint(0, 0));
    QSignalSpy quit(&menu, &MenuContent::quitRequested);
    QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_FALSE(menu.isVisible());
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

TEST_F(MenuTest, TheSettingsWindowStandsInForAMissingTray) {
    TarnwickApp& tarnwick = makeApp(true);
    tarnwick.start();
    EXPECT_EQ(tarnwick.settingsWindow(), nullptr);

    // The panel goes away while the program runs, and comes back.
    trayAvailable = false;
    tick();
    SettingsWindow* window = tarnwick.settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(shown(find<QWidget>(*window, "notice")));
    EXPECT_EQ(find<QLabel>(*window, "noticeText")->text(), key("settings.noTray"));
    trayAvailable = true;
    tick();
    EXPECT_FALSE(shown(find<QWidget>(*window, "notice")));

    TarnwickApp& withoutTray = makeApp(false);
    withoutTray.start();
    ASSERT_NE(withoutTray.settingsWindow(), nullptr);
    EXPECT_TRUE(withoutTray.settingsWindow()->isVisible());
    EXPECT_TRUE(shown(find<QWidget>(*withoutTray.settingsWindow(), "notice")));
}

TEST_F(MenuTest, TrayIconStandsOutOnDarkAndLightPanels) {
    const QImage icon = makeApp().trayIcon().icon().pixmap(22).toImage();
    // The panel shades of the demo's and the pictures' trays.
    for (const QColor panel : {QColor(0x30, 0x30, 0x30), QColor(0xe8, 0xe8, 0xe8)}) {
        QImage onPanel(icon.size(), QImage::Format_RGB32);
        onPanel.fill(panel);
        QPainter(&onPanel).drawImage(0, 0, icon);
        QList<double> contrasts;
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x) {
                if (qAlpha(icon.pixel(x, y)) >= 128) {
                    contrasts.append(contrast(onPanel.pixel(x, y), panel.rgb()));
                }
            }
        }
        ASSERT_GT(contrasts.size(), icon.width() * icon.height() / 3);
        std::sort(contrasts.begin(), contrasts.end());
        const double share =
            1.0 -
            double(std::lower_bound(contrasts.begin(), contrasts.end(), 3.0) - contrasts.begin()) /
                contrasts.size();
        std::printf(
            "tray icon on %s: median contrast %.2f:1, %.0f%% of its pixels at 3:1 or more\n",
            qPrintable(panel.name()), contrasts[contrasts.size() / 2], share * 100);
        // Most of it stands out as a control must, at 3:1.
        EXPECT_GE(share, 0.5) << panel.name().toStdString();
    }
}

} // namespace
} // namespace tarnwick::testing
