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

// The Desktop Entry rules, read independently of the code under test: the
// string escapes first, then the Exec quoting, then the %% field code. Anything
// the rules call reserved or invalid comes back as an error text.
QStringList execArguments(const QString& entry) {
    QString raw;
    for (const QString& line : entry.split('\n')) {
        if (line.startsWith("Exec=")) {
            raw = line.mid(5);
        }
    }
    QString command;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype known = raw[i] == '\\' ? QString("sntr\\").indexOf(raw.at(++i)) : -2;
        if (known == -1) {
            return {"unknown string escape"};
        }
        command += known == -2 ? raw[i] : QString(" \n\t\r\\")[known];
    }
    const auto at = [&command](qsizetype i) { return i < command.size() ? command[i] : QChar(); };
    const QString quotedSpecial = "\"`$\\";
    QStringList arguments;
    QString current;
    bool quoted = false, pending = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted && c == '\\') {
            if (!quotedSpecial.contains(at(i + 1)))
                return {"lone backslash in quotes"};
            current += command[++i];
        } else if (quoted && (c == '`' || c == '$')) {
            return {"unescaped in quotes"};
        } else if (c == '"') {
            quoted = !quoted;
            pending = true;
        } else if (!quoted && c == ' ') {
            if (pending)
                arguments << current;
            current.clear();
            pending = false;
        } else if (!quoted && QString("\t\n`$'\\<>|&;*?#()~").contains(c)) {
            return {"unquoted reserved character"};
        } else if (c == '%') {
            return {"field code"};
        } else {
            current += c;
            pending = true;
        }
    }
    if (quoted)
        return {"open quote"};
    if (pending)
        arguments << current;
    return arguments;
}

class AutostartTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program = makeProgram("tarnwick");
    QString folder = dir.filePath("config/autostart");

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
    QString error;
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
    const QString exec = DesktopEntry::quoteExecArgument(program);
    rewrite(exec, DesktopEntry::quoteExecArgument(plain)); // runs a file that cannot run
    EXPECT_EQ(login.status(), LoginItemStatus::NotFound);
    rewrite(DesktopEntry::quoteExecArgument(plain), exec);
    EXPECT_EQ(login.status(), LoginItemStatus::Enabled);

    EXPECT_EQ(item(QString()).status(), LoginItemStatus::NotFound);
    EXPECT_FALSE(item(QString()).registerMainApp(error));
    EXPECT_TRUE(error.contains("No such file or directory")) << error.toStdString();
    QFile::rename(program, program + ".moved"); // the entry's target is gone
    EXPECT_EQ(item(program + ".moved").status(), LoginItemStatus::NotFound);

    ASSERT_TRUE(login.unregisterMainApp(error));
    EXPECT_EQ(login.status(), LoginItemStatus::NotRegistered);
    EXPECT_TRUE(login.unregisterMainApp(error)); // nothing left to remove is no failure
}

const QString kHostile = "we ird/a \"b\" 'c' \\d\\\\ $HOME `id` ;|&<>*?#~()\tx\ny";

// A strict reading gives the path as one argument, and the desktop's own
// launcher starts it. No X server needed: the program only writes its path.
TEST_F(AutostartTest, HostilePathIsOneArgumentThatTheDesktopsLauncherRuns) {
    const QString out = dir.filePath("started");
    const QString hostile =
        makeProgram(kHostile, "#!/bin/sh\nprintf '%s' \"$0\" > \"" + out.toUtf8() + "\"\n");
    QString error;
    ASSERT_TRUE(item(hostile).registerMainApp(error)) << error.toStdString();
    EXPECT_EQ(execArguments(entry()), QStringList({hostile}));
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

TEST_F(AutostartTest, PathsNoEntryCanHoldAreRefusedWithAReason) {
    QString error;
    const QString percent = makeProgram("50%f/tarnwick");
    EXPECT_FALSE(item(percent).registerMainApp(error));
    EXPECT_TRUE(error.contains("50%f")) << error.toStdString();
    ASSERT_TRUE(item(program).registerMainApp(error)); // as an earlier version wrote it:
    rewrite(DesktopEntry::quoteExecArgument(program),
            DesktopEntry::quoteExecArgument(percent).replace("%", "%%"));
    EXPECT_EQ(item(percent).status(), LoginItemStatus::NotFound);
    QFile::remove(entryPath());
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9";
    ASSERT_EQ(::link(QFile::encodeName(program).constData(), latin1.constData()), 0);
    EXPECT_FALSE(XdgAutostartLoginItem("org.tarnwick.T", latin1, folder).registerMainApp(error));
    EXPECT_TRUE(error.contains("UTF-8")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(entryPath()));
}

TEST_F(AutostartTest, EntriesThatCannotBeReadNeitherHangNorCountAsAbsent) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"fifo", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(entryPath()).constData(), 0600), 0); }},
        {"link to a FIFO",
         [&] {
             ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
             ASSERT_TRUE(QFile::link(dir.filePath("fifo"), entryPath()));
         }},
        {"oversized",
         [&] {
             QFile file(entryPath());
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(QByteArray(DesktopEntry::kMaxFileBytes, '#') + "\n[Desktop Entry]\n");
         }},
        {"not a key file", [&] { rewrite("[Desktop Entry]", "Desktop Entry"); }},
    };
    QString error;
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(item(program).registerMainApp(error));
        QFile::remove(entryPath());
        make();
        EXPECT_EQ(item(program).status(), LoginItemStatus::NotFound);
        ASSERT_TRUE(item(program).registerMainApp(error)) << error.toStdString();
        EXPECT_EQ(item(program).status(), LoginItemStatus::Enabled);
    }
    EXPECT_FALSE(QFileInfo(dir.filePath("fifo")).isFile()); // the link was replaced, not followed
    QFile::remove(entryPath());
    ASSERT_TRUE(QFile::link("/dev/zero", entryPath())); // only read: as root a write would be fatal
    EXPECT_EQ(item(program).status(), LoginItemStatus::NotFound);
    QFile::remove(entryPath());
    QDir().mkpath(entryPath());
    EXPECT_EQ(item(program).status(), LoginItemStatus::NotFound);
    EXPECT_FALSE(item(program).registerMainApp(error));
    EXPECT_TRUE(error.contains(entryPath())) << error.toStdString();
    EXPECT_FALSE(item(program).unregisterMainApp(error));
    EXPECT_TRUE(error.contains(entryPath())) << error.toStdString();
}

TEST_F(AutostartTest, FailedWritesNameTheEntryAndTheReason) {
    QString error;
    folder = program + "/autostart"; // under a regular file
    EXPECT_FALSE(item(program).registerMainApp(error));
    EXPECT_TRUE(error.contains(entryPath()) && error.contains("Not a directory"))
        << error.toStdString();
    EXPECT_EQ(item(program).status(), LoginItemStatus::NotRegistered);

    folder = dir.filePath("locked");
    ASSERT_TRUE(item(program).registerMainApp(error));
    ASSERT_TRUE(item(program, "org.tarnwick.Secret").registerMainApp(error));
    QFile::setPermissions(folder + "/org.tarnwick.Secret.desktop", {});
    QFile::setPermissions(entryPath(), QFile::ReadOwner | QFile::ReadOther); // whatever the umask
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
    EXPECT_EQ(support::unprivileged([&]() -> std::string {
                  QString message;
                  if (item(program).status() != LoginItemStatus::Enabled) {
                      return "a readable entry was not read";
                  }
                  if (item(program, "org.tarnwick.Secret").status() != LoginItemStatus::NotFound) {
                      return "an unreadable entry was taken for a usable or absent one";
                  }
                  if (item(program).registerMainApp(message) || !message.contains(entryPath())) {
                      return "register: " + message.toStdString();
                  }
                  if (item(program).unregisterMainApp(message) ||
                      !message.contains("Permission denied")) {
                      return "unregister: " + message.toStdString();
                  }
                  return {};
              }),
              "");
}

} // namespace
