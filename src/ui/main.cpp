#include "app/Preferences.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "platform/x11/X11Platform.h"
#include "ui/Icons.h"
#include "ui/TarnwickApp.h"

#include <QApplication>

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "0.1.0"
#endif

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.tarnwick.Tarnwick"));
    QApplication::setWindowIcon(tarnwick::Icons::application());
    // The program lives in the tray; closing its windows does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    tarnwick::QtScheduler scheduler;
    tarnwick::X11Platform platform;
    tarnwick::XdgAutostartLoginItem loginItem;
    tarnwick::Preferences preferences(tarnwick::Preferences::defaultPath());
    const tarnwick::AppPorts ports{platform.enginePorts(scheduler), loginItem, {}};

    tarnwick::TarnwickApp app(ports, preferences);
    app.start();
    return QApplication::exec();
}
