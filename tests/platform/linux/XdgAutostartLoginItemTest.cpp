#include "platform/linux/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tarnwick;

namespace {

// The Desktop Entry rules, read independently of the code under test: the
// string escapes first, then the Exec quoting, then the %% field code.
QStringList execArguments(const QString& entry) {
    QString raw;
    for (const QString& line : entry.split('\n')) {
        if (line.startsWith("Exec=")) {
            raw = line.mid(5);
        }
    }
    QString command; // an unknown escape is an error: it reads as U+FFFD
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype known = raw[i] == '\\' ? QString("sntr\\").indexOf(raw.at(++i)) : -2;
        command += known == -2 ? raw[i] : known >= 0 ? QString(" \n\t\r\\")[known] : QChar(0xFFFD);
    }
    const auto at = [&command](qsizetype i) { return i < command.size() ? command[i] : QChar(); };
    QStringList arguments;
    QString current;
    bool quoted = false, pending = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted && c == '\\' && QString("\"`$\\").contains(at(i + 1))) {
            current += command[++i];
        } else if (c == '"') {
            quoted = !quoted;
            pending = true;
        } else if (!quoted && c == ' ') {
            if (pending)
                arguments << current;
            current.clear();
            pending = false;
        } else if (!quoted && QString("`$'\\<>|&;*?#()~").contains(c)) {
            return {"unquoted reserved character"};
        } else if (c == '%') {
            if (at(++i) != '%')
                return {"field code"};
            current += c;
            pending = true;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending)
        arguments << current;
    return arguments;
}

class AutostartTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program = makeProgram("tarnwick");
    QString folder = dir.filePath("config/autostart");

    QString makeProgram(const QString& name) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file.fileName();
    }
    XdgAutostartLoginItem item(const QString& executable) {
        return XdgAutostartLoginItem("org.tarnwick.Tarnwick", executable, folder);
    }
    QString entry() {
        QFile file(folder + "/org.tarnwick.Tarnwick.desktop");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void rewrite(const QString& from, const QString& to) {
        const QString text = entry();
        QFile file(folder + "/org.tarnwick.Tarnwick.desktop");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QString(text).replace(from, to).toUtf8());
    }
};

TEST_F(AutostartTest, TheFourStatuses) {
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
    EXPECT_EQ(login.status(), LoginItemStatus::Enabled);
    EXPECT_EQ(item(QString()).status(), LoginItemStatus::NotFound);
    EXPECT_FALSE(item(QString()).registerMainApp(error));
    EXPECT_EQ(error, "No such file or directory");

    QFile::rename(program, program + ".moved"); // the entry's target is gone
    EXPECT_EQ(item(program + ".moved").status(), LoginItemStatus::NotFound);

    ASSERT_TRUE(login.unregisterMainApp(error));
    EXPECT_EQ(login.status(), LoginItemStatus::NotRegistered);
    EXPECT_TRUE(login.unregisterMainApp(error)); // nothing left to remove is no failure
}

TEST_F(AutostartTest, HostileExecutablePathIsQuotedAsOneLiteralArgument) {
    const QString hostile =
        makeProgram("we ird/a \"b\" 'c' \\d\\\\ %f %% $HOME `id` ;|&<>*?#~()\tx\ny");
    auto login = item(hostile);
    QString error;
    ASSERT_TRUE(login.registerMainApp(error)) << error.toStdString();
    EXPECT_EQ(execArguments(entry()), QStringList({hostile}));
    EXPECT_EQ(login.status(), LoginItemStatus::Enabled);
}

TEST_F(AutostartTest, UnwritableFolderGivesTheSystemsMessage) {
    QString error;
    folder = program + "/autostart"; // under a regular file
    EXPECT_FALSE(item(program).registerMainApp(error));
    EXPECT_EQ(error, "Not a directory");
    EXPECT_EQ(item(program).status(), LoginItemStatus::NotRegistered);
}

TEST_F(AutostartTest, ReadOnlyFolderGivesPermissionDenied) {
    QString error;
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    folder = dir.filePath("locked");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(item(program).registerMainApp(error));
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(item(program).status(), LoginItemStatus::NotRegistered);
}

} // namespace
