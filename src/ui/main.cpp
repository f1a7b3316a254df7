#include "app/Preferences.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "platform/x11/X11Platform.h"
#include "ui/Icons.h"
#include "ui/TarnwickApp.h"

#include <QApplication>
#include <QCommandLineParser>

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "0.1.0"
#endif

namespace {

void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Tarnwick lives in the system tray and moves each new window onto the monitor\n"
        "under the mouse pointer, keeping its relative place on that monitor.\n"
        "Its tray menu switches placement on and off and opens the settings."));
    parser.addHelpOption();
    parser.addVersionOption();
}

// Answers --help and --version before the display is opened, so that both work without one.
void answerHelpAndVersion(int argc, char** argv) {
    QCoreApplication probe(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    // Qt's own options (-display, -platform) are the GUI application's to take.
    (void)parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp();
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));
    answerHelpAndVersion(argc, argv);

    QApplication application(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(application);

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
