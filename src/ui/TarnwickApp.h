#pragma once

#include "app/AppModel.h"

#include <QObject>
#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace tarnwick {

class AboutWindow;
class MenuContent;
class Preferences;
class SettingsWindow;

// The application: the one model, the tray icon with its menu, and the
// settings and About windows, each opened at most once.
class TarnwickApp : public QObject {
    Q_OBJECT
public:
    using TrayAvailability = std::function<bool()>;

    // trayAvailable defaults to asking Qt whether the desktop has a system tray.
    TarnwickApp(const AppPorts& ports, Preferences& preferences,
                TrayAvailability trayAvailable = {}, QObject* parent = nullptr);
    ~TarnwickApp() override;

    // Shows the tray icon. Without a tray the settings window opens instead,
    // saying why, so that the program is never running unseen; the same
    // happens when the tray goes away later, and the notice goes once it returns.
    void start();

    AppModel& model() { return *model_; }
    MenuContent& menu() { return *menu_; }
    QSystemTrayIcon& trayIcon() { return *tray_; }
    // Null until first opened.
    SettingsWindow* settingsWindow() const { return settings_.get(); }
    AboutWindow* aboutWindow() const { return about_.get(); }

    void openSettings();
    void openAbout();

private:
    void showWindow(QWidget& window);
    void followTray();

    TrayAvailability trayAvailable_;
    Scheduler& scheduler_;
    bool trayPresent_ = false;
    // Declared in the order of need: the windows and the menu go before the model.
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<MenuContent> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<SettingsWindow> settings_;
    std::unique_ptr<AboutWindow> about_;
};

} // namespace tarnwick
