#pragma once

#include "app/AppModel.h"
#include "app/Preferences.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakePlatform.h"
#include "ui/TarnwickApp.h"

#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace tarnwick::testing {

inline constexpr const char* kAccessibilitySettingsURL = "settings://privacy/accessibility";

// The whole program on the in-memory platform, with a manual clock.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory.isValid());
        preferences = std::make_unique<Preferences>(directory.filePath("defaults.json"));
    }

    TarnwickApp& makeApp(bool trayAvailable = true) {
        trayAvailable_ = trayAvailable;
        app.reset();
        app = std::make_unique<TarnwickApp>(
            AppPorts{platform.ports(), loginItems, kAccessibilitySettingsURL}, *preferences,
            [this] { return trayAvailable_; });
        return *app;
    }

    // One 2-second check of the model, and the work it schedules.
    void tick() {
        platform.scheduler.advance(Duration(2.0));
        platform.scheduler.runPending();
    }

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

    fakes::FakePlatform platform;
    fakes::FakeLoginItemService loginItems;
    QTemporaryDir directory;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<TarnwickApp> app;

private:
    bool trayAvailable_ = true;
};

} // namespace tarnwick::testing
