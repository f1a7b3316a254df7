// Runs the placement engine on the X display without any user interface, and
// reports what it does on stdout, one line per event.
//
//   tarnwick-headless [--exclude APPLICATION-ID]...

#include "app/Logging.h"
#include "engine/WindowPlacementController.h"
#include "platform/linux/QtScheduler.h"
#include "platform/x11/X11Platform.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <string>

namespace {

// Names come from other programs; keep them on their one line.
std::string printable(std::string s) {
    for (char& ch : s) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) {
            ch = ' ';
        }
    }
    return s;
}

} // namespace

int main(int argc, char* argv[]) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCoreApplication app(argc, argv);

    tarnwick::X11Platform platform;
    tarnwick::QtScheduler scheduler;
    const tarnwick::EnginePorts ports = platform.enginePorts(scheduler);
    tarnwick::QtEngineLog log;
    auto controller = tarnwick::WindowPlacementController::create(ports, log);
    controller->isEnabled = true;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QStringLiteral("--exclude")) {
            controller->excludedBundleIdentifiers.insert(args[++i].toStdString());
        }
    }
    controller->onWindowMoved = [](const std::string& application, const std::string& screen) {
        std::printf("moved %s\t%s\n", printable(application).c_str(), printable(screen).c_str());
    };
    controller->start();
    bool trusted = ports.accessibility.isProcessTrusted();
    std::printf("ready\n");
    std::printf("trusted %d\n", trusted ? 1 : 0);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const bool now = ports.accessibility.isProcessTrusted();
        if (now != trusted) {
            trusted = now;
            std::printf("trusted %d\n", trusted ? 1 : 0);
            controller->accessibilityPermissionChanged();
        }
    });
    poll.start(2000);
    return QCoreApplication::exec();
}
