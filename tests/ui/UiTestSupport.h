#pragma once

#include "app/AppModel.h"
#include "app/L10n.h"
#include "app/Preferences.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakePlatform.h"
#include "ui/SettingsWindow.h"
#include "ui/TarnwickApp.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace tarnwick::testing {

inline constexpr const char* kAccessibilitySettingsURL = "settings://privacy/accessibility";

inline QString key(const char* k) {
    return L10n::string(QString::fromLatin1(k));
}

// The whole program on the in-memory platform, with a manual clock.
class UiTest : public ::testing::Test {
protected:
    TarnwickApp& makeApp(bool withTray = true) {
        trayAvailable = withTray;
        app.reset();
        app = std::make_unique<TarnwickApp>(
            AppPorts{platform.ports(), loginItems, kAccessibilitySettingsURL}, preferences,
            [this] { return trayAvailable; });
        return *app;
    }

    SettingsWindow& openSettings() {
        makeApp().openSettings();
        return *app->settingsWindow();
    }

    // One 2-second check of the model, and the work it schedules.
    void tick() { platform.scheduler.advance(Duration(2.0)); }

    void launch(Pid pid, const std::string& id, const std::string& name) {
        platform.workspace.launch({pid, ActivationPolicy::Regular, id, name});
    }

    template <typename T> static T* find(QWidget& root, const QString& name) {
        T* widget = root.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    static bool shown(QWidget* widget) {
        return widget != nullptr && widget->isVisibleTo(widget->window());
    }

    // Shows the window and makes it the one that receives the keyboard.
    static void activate(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Tabs once round the window's focus chain and returns its stops; each
    // must look different while it has the focus.
    static QList<QWidget*> tabStops(QWidget& window) {
        QList<QWidget*> stops;
        QImage focused;
        for (int press = 0; press < 40; ++press) {
            QWidget* from = QApplication::focusWidget();
            QTest::keyClick(from != nullptr ? from : &window, Qt::Key_Tab);
            if (!stops.isEmpty()) {
                EXPECT_NE(around(*stops.last()), focused)
                    << "no focus mark on " << stops.last()->metaObject()->className() << " "
                    << stops.last()->objectName().toStdString();
            }
            QWidget* to = QApplication::focusWidget();
            if (to == nullptr || stops.contains(to)) {
                break;
            }
            stops.append(to);
            focused = around(*to);
        }
        return stops;
    }

    // The widget as drawn in its window.
    static QImage around(QWidget& widget) {
        QWidget* window = widget.window();
        return window->grab(QRect(widget.mapTo(window, QPoint(0, 0)), widget.size())).toImage();
    }

    fakes::FakePlatform platform;
    fakes::FakeLoginItemService loginItems;
    QTemporaryDir directory;
    Preferences preferences{directory.filePath("defaults.json")};
    std::unique_ptr<TarnwickApp> app;
    bool trayAvailable = true;
};

} // namespace tarnwick::testing
