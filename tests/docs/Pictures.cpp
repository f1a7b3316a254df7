// Renders the menu and windows shown in docs/ on Qt's offscreen platform, with
// a fixed font, style and size, so that the same sources give the same pixels.
//
//   tarnwick-pictures write DIR   writes the pictures into DIR
//   tarnwick-pictures check DIR   fails when a picture in DIR differs from its render

#include "app/AppModel.h"
#include "app/Preferences.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakePlatform.h"
#include "ui/AboutWindow.h"
#include "ui/MenuContent.h"
#include "ui/SettingsWindow.h"
#include "ui/TarnwickApp.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

using namespace tarnwick;

namespace {

QImage render(QWidget& widget) {
    widget.show();
    QApplication::processEvents();
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// What a user sees after a minute: an xterm moved, a second terminal switched off.
std::map<QString, QImage> renderAll() {
    QTemporaryDir home;
    // Texts name folders under the home folder as ~/...
    qputenv("HOME", QFile::encodeName(home.path()));
    Preferences preferences(home.filePath(QStringLiteral(".config/tarnwick/defaults.json")));
    fakes::FakePlatform platform;
    fakes::FakeLoginItemService loginItems;
    platform.useExampleDisplays();
    platform.displays.displays[1].localizedName = "DUMMY1";
    platform.displays.mouse = {3000, 500};
    platform.workspace.launch({100, ActivationPolicy::Regular, "XTerm", "XTerm"});
    platform.workspace.launch({101, ActivationPolicy::Regular, "UXTerm", "UXTerm"});

    TarnwickApp app(AppPorts{platform.ports(), loginItems, {}}, preferences, [] { return true; });
    app.model().setExcludedBundleIdentifiers({QStringLiteral("UXTerm")});
    platform.windowCreated(fakes::makeStandardWindow(100, {100, 100}, {800, 600}));
    platform.scheduler.advance(Duration(2.0));

    std::map<QString, QImage> pictures;
    app.menu().popup({0, 0});
    pictures[QStringLiteral("menu.png")] = render(app.menu());
    app.openSettings();
    SettingsWindow& settings = *app.settingsWindow();
    pictures[QStringLiteral("settings-general.png")] = render(settings);
    settings.findChild<QTabWidget*>()->setCurrentIndex(1);
    pictures[QStringLiteral("settings-help.png")] = render(settings);
    app.openAbout();
    pictures[QStringLiteral("about.png")] = render(*app.aboutWindow());
    return pictures;
}

} // namespace

int main(int argc, char** argv) {
    const bool write = argc == 3 && qstrcmp(argv[1], "write") == 0;
    if (argc != 3 || (!write && qstrcmp(argv[1], "check") != 0)) {
        std::fprintf(stderr, "usage: tarnwick-pictures write|check DIR\n");
        return 2;
    }
    // Nothing of the caller's desktop may change the pixels.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* name :
         {"QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
          "QT_FONT_DPI", "QT_ENABLE_HIGHDPI_SCALING"}) {
        qunsetenv(name);
    }
    // Qt would otherwise make /tmp/runtime-$USER and leave it there.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

    const QString dir = QString::fromLocal8Bit(argv[2]);
    int failures = 0;
    for (const auto& [name, image] : renderAll()) {
        const QString path = dir + QLatin1Char('/') + name;
        if (write) {
            if (!image.save(path)) {
                std::fprintf(stderr, "tarnwick-pictures: cannot write %s\n", qPrintable(path));
                ++failures;
            }
            continue;
        }
        const QImage committed = QImage(path).convertToFormat(QImage::Format_ARGB32);
        if (committed != image) {
            std::fprintf(stderr, "%s is %dx%d, the program shows %dx%d%s\n", qPrintable(path),
                         committed.width(), committed.height(), image.width(), image.height(),
                         committed.size() == image.size() ? " with other pixels" : "");
            ++failures;
        }
    }
    if (failures != 0 && !write) {
        std::fprintf(stderr,
                     "Pictures out of date: remake them with scripts/pictures.sh --widgets\n");
    }
    return failures == 0 ? 0 : 1;
}
