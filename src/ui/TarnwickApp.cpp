#include "ui/TarnwickApp.h"

#include "app/L10n.h"
#include "engine/ports/Scheduler.h"
#include "ui/AboutWindow.h"
#include "ui/Icons.h"
#include "ui/MenuContent.h"
#include "ui/SettingsWindow.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QSystemTrayIcon>

namespace tarnwick {

TarnwickApp::TarnwickApp(const AppPorts& ports, Preferences& preferences,
                         TrayAvailability trayAvailable, QObject* parent)
    : QObject(parent),
      trayAvailable_(trayAvailable ? std::move(trayAvailable)
                                   : TrayAvailability(&QSystemTrayIcon::isSystemTrayAvailable)),
      scheduler_(ports.engine.scheduler), model_(std::make_unique<AppModel>(ports, preferences)),
      menu_(std::make_unique<MenuContent>(*model_)), tray_(std::make_unique<QSystemTrayIcon>()) {
    connect(menu_.get(), &MenuContent::aboutRequested, this, &TarnwickApp::openAbout);
    connect(menu_.get(), &MenuContent::settingsRequested, this, &TarnwickApp::openSettings);
    connect(menu_.get(), &MenuContent::quitRequested, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);

    // Coloured rather than a symbol in the window text colour, which can vanish
    // on a panel of another shade. The same whether placement runs or is paused.
    tray_->setIcon(Icons::tray());
    tray_->setToolTip(L10n::string(QStringLiteral("Tarnwick")));
    tray_->setContextMenu(menu_.get());
    // A click opens the menu too, as a menu-bar item would.
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    menu_->popup(QCursor::pos());
                }
            });
}

TarnwickApp::~TarnwickApp() = default;

void TarnwickApp::start() {
    // Shown even without a tray: Qt docks the icon once a tray appears later.
    tray_->show();
    trayPresent_ = true;
    followTray();
    QPointer<TarnwickApp> weakApp(this);
    scheduler_.every(Duration(2.0), [weakApp] {
        if (weakApp) {
            weakApp->followTray();
        }
    });
}

void TarnwickApp::followTray() {
    const bool available = trayAvailable_();
    if (available == trayPresent_) {
        return;
    }
    trayPresent_ = available;
    if (!available) {
        openSettings();
        settings_->setNotice(L10n::string(QStringLiteral("settings.noTray")));
    } else if (settings_) {
        settings_->setNotice({});
    }
}

void TarnwickApp::openSettings() {
    if (!settings_) {
        settings_ = std::make_unique<SettingsWindow>(*model_);
        settings_->setWindowIcon(Icons::application());
        settings_->addAction(menu_->settingsAction());
        settings_->addAction(menu_->quitAction());
        // Without a tray this window is the only way back in, so closing it ends the program.
        connect(settings_.get(), &SettingsWindow::closed, this, [this] {
            if (!trayAvailable_()) {
                QCoreApplication::quit();
            }
        });
    }
    showWindow(*settings_);
}

void TarnwickApp::openAbout() {
    if (!about_) {
        about_ = std::make_unique<AboutWindow>();
        about_->setWindowIcon(Icons::application());
        about_->addAction(menu_->settingsAction());
        about_->addAction(menu_->quitAction());
    }
    showWindow(*about_);
}

void TarnwickApp::showWindow(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tarnwick
