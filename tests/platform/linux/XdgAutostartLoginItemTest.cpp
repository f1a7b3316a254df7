#include "platform/linux/XdgAutostartLoginItem.h"

#include "platform/linux/DesktopEntry.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnwick;

namespace {

class AutostartTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program = makeProgram("tarnwick");
    QString folder = dir.filePath("config/autostart");
    QString error;

    QString makeProgram(const QString& name, const QByteArray& script = "#!/bin/sh\n") {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                            QFile::ReadOther | QFile::ExeOther);
        return file.fileName();
    }
    XdgAutostartLoginItem item(const QString& executable, const QString& id = "org.tarnwick.T") {
        return XdgAutostartLoginItem(id, QFile::encodeName(executable), folder);
    }
    QString entryPath() const { return folder + "/org.tarnwick.T.desktop"; }
    QString entry() {
        QFile file(entryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void rewrite(const QString& from, const QString& to) {
        const QString text = entry();
        QFile file(entryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QString(text).replace(from, to).toUtf8());
    }
};

TEST_F(AutostartTest, TheFourStatusesFromTheMainGroupOnly) {
    auto login = item(program);
    EXPECT_EQ(login.status(), LoginItemStatus::NotRegistered);
    ASSERT_TRUE(login.registerMainApp(error)) << error.toStdString();
    EXPECT_EQ(login.status(), LoginItemStatus::Enabled);
    rewrite("X-GNOME-Autostart-enabled=true", "X-GNOME-Autostart-enabled=false");
    EXPECT_EQ(login.status(), LoginItemStatus::RequiresApproval);
    rewrite("X-GNOME-Autostart-enabled=false", "Hidden=true");
    EXPECT_EQ(login.status(), LoginItemStatus::NotRegistered);

    ASSERT_TRUE(login.registerMainApp(error)); // re-registering switches it back on
    rewrite("Terminal", "[Desktop Action other]\nHidden=true\nX-GNOME-Autostart-enabled=false\n"
                        "Exec=/nowhere\nTerminal");
    EXPECT_EQ(login.status(), LoginItemStatus::Enabled);
    const QString plain = makeProgram("plain");
    QFile::setPermissions(plain, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    rewrite(program, plain); // runs a file that cannot run
    EXPECT_EQ(login.status(), LoginItemStatus::NotFound);

    EXPECT_EQ(item(QString()).status(), LoginItemStatus::NotFound); // the program was removed
    EXPECT_FALSE(item(QString()).registerMainApp(error));
    ASSERT_TRUE(login.unregisterMainApp(error));
    EXPECT_EQ(login.status(), LoginItemStatus::NotRegistered);
    EXPECT_TRUE(login.unregisterMainApp(error)); // nothing left to remove is no failure
}

// The entry keeps the quoting rules that launchers stricter than GLib's hold
// to, as the reference validator reads them, and the desktop's own launcher
// starts the program with its path as one argument. No X server needed: the
// program only writes its path.
TEST_F(AutostartTest, HostilePathIsOneArgumentThatTheDesktopsLauncherRuns) {
    const QString out = dir.filePath("started");
    const QString hostile =
        makeProgram("we ird/a \"b\" 'c' \\d\\\\ $HOME `id` ;|&<>*?#~()\tx\ny",
                    "#!/bin/sh\nprintf '%s' \"$0\" > \"" + out.toUtf8() + "\"\n");
    ASSERT_TRUE(item(hostile).registerMainApp(error)) << error.toStdString();
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start("desktop-file-validate", {entryPath()});
    ASSERT_TRUE(validate.waitForFinished(10000)) << "desktop-file-validate is not installed";
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString() << entry().toStdString();
    EXPECT_EQ(item(hostile).status(), LoginItemStatus::Enabled);
    QProcess gio;
    gio.start("gio", {"launch", entryPath()});
    ASSERT_TRUE(gio.waitForFinished(10000));
    EXPECT_EQ(gio.exitCode(), 0) << gio.readAllStandardError().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (QFileInfo(out).size() < hostile.toUtf8().size() && clock.elapsed() < 5000) {
        QThread::msleep(10);
    }
    QFile started(out);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(started.readAll()), hostile);
}

TEST_F(AutostartTest, RefusalsAndFailedWritesNameTheEntryAndTheReason) {
    const QString percent = makeProgram("50%f/tarnwick");
    EXPECT_FALSE(item(percent).registerMainApp(error));
    EXPECT_TRUE(error.contains("50%f")) << error.toStdString();
    ASSERT_TRUE(item(program).registerMainApp(error)); // as an earlier version wrote it:
    rewrite(program, QString(percent).replace("%", "%%"));
    EXPECT_EQ(item(percent).status(), LoginItemStatus::NotFound);
    QFile::remove(entryPath());
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9";
    ASSERT_EQ(::link(QFile::encodeName(program).constData(), latin1.constData()), 0);
    EXPECT_FALSE(XdgAutostartLoginItem("org.tarnwick.T", latin1, folder).registerMainApp(error));
    EXPECT_TRUE(error.contains("UTF-8")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(entryPath()));
    ::unlink(latin1.constData()); // a name QTemporaryDir cannot remove

    folder = program + "/autostart"; // under a regular file
    EXPECT_FALSE(item(program).registerMainApp(error));
    EXPECT_TRUE(error.contains(entryPath())) << error.toStdString();

    folder = dir.filePath("locked");
    ASSERT_TRUE(item(program).registerMainApp(error));
    ASSERT_TRUE(item(program, "org.tarnwick.Secret").registerMainApp(error));
    QFile::setPermissions(folder + "/org.tarnwick.Secret.desktop", {});
    QFile::setPermissions(entryPath(), QFile::ReadOwner | QFile::ReadOther); // whatever the umask
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    support::expectUnprivileged([&]() -> std::string {
        if (item(program).status() != LoginItemStatus::Enabled) {
            return "a readable entry was not read";
        }
        if (item(program, "org.tarnwick.Secret").status() != LoginItemStatus::NotFound) {
            return "an unreadable entry was taken for a usable or absent one";
        }
        if (item(program).registerMainApp(error) || !error.contains(entryPath())) {
            return "register: " + error.toStdString();
        }
        if (item(program).unregisterMainApp(error) || !error.contains("Permission denied")) {
            return "unregister: " + error.toStdString();
        }
        return {};
    });
}

TEST_F(AutostartTest, EntriesThatCannotBeReadNeitherHangNorCountAsAbsent) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"link to a FIFO",
         [&] {
             QFile::remove(entryPath());
             ASSERT_TRUE(QFile::link(dir.filePath("fifo"), entryPath()));
         }},
        {"oversized", [&] { rewrite("[", QString(DesktopEntry::kMaxFileBytes, '#') + "\n["); }},
        {"not a key file", [&] { rewrite("[Desktop Entry]", "Desktop Entry"); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(item(program).registerMainApp(error));
        make();
        EXPECT_EQ(item(program).status(), LoginItemStatus::NotFound);
        ASSERT_TRUE(item(program).registerMainApp(error)) << error.toStdString();
        EXPECT_EQ(item(program).status(), LoginItemStatus::Enabled);
    }
    EXPECT_FALSE(QFileInfo(dir.filePath("fifo")).isFile()); // the link was replaced, not followed
}

} // namespace
