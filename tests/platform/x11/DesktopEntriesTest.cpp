#include "platform/x11/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnwick {
namespace {

void write(const QString& dir, const QString& relative, const QByteArray& content) {
    const QString path = QDir(dir).filePath(QStringLiteral("applications/") + relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(DesktopEntries, MatchesByFileNameOrWmClassWithShadowing) {
    QTemporaryDir user, system;
    write(system.path(), "org.example.Editor.desktop",
          "[Desktop Entry]\nName=System Editor\n[Desktop Action new]\nName=New Window\n");
    write(user.path(), "org.example.Editor.desktop", "[Desktop Entry]\nName=My\\sEditor\n");
    write(system.path(), "debian-xterm.desktop",
          "[Desktop Entry]\nName=XTerm\nStartupWMClass=XTerm\n");
    write(system.path(), "kde/konsole.desktop", "[Desktop Entry]\nName=Konsole\n");
    write(system.path(), "gone.desktop", "[Desktop Entry]\nName=Gone\nHidden=true\n");
    write(system.path(), "broken.desktop", "no group at all\nName=Broken\n");

    DesktopEntries entries({user.path(), system.path()});
    EXPECT_EQ(entries.nameFor("org.example.Editor"), "My Editor");
    EXPECT_EQ(entries.nameFor("XTerm"), "XTerm");
    EXPECT_EQ(entries.nameFor("xterm"), "XTerm"); // case folded
    EXPECT_EQ(entries.nameFor("kde-konsole"), "Konsole");
    EXPECT_FALSE(entries.nameFor("gone"));
    EXPECT_FALSE(entries.nameFor("broken"));
    EXPECT_FALSE(entries.nameFor("unknown"));
    EXPECT_FALSE(entries.nameFor(""));
}

} // namespace
} // namespace tarnwick
