#include "platform/linux/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace tarnwick {

namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The values of the keys we read from the [Desktop Entry] group, still escaped.
struct EntryKeys {
    QString exec;
    QString hidden;
    QString autostartEnabled;
};

EntryKeys readEntryKeys(QFile& file) {
    EntryKeys keys;
    bool inMainGroup = false;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    QString line;
    while (in.readLineInto(&line)) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            inMainGroup = trimmed == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        QString value = line.mid(equals + 1);
        while (!value.isEmpty() &&
               (value.front() == QLatin1Char(' ') || value.front() == QLatin1Char('\t'))) {
            value.remove(0, 1);
        }
        if (key == QLatin1String("Exec")) {
            keys.exec = value;
        } else if (key == QLatin1String("Hidden")) {
            keys.hidden = value.trimmed();
        } else if (key == QLatin1String("X-GNOME-Autostart-enabled")) {
            keys.autostartEnabled = value.trimmed();
        }
    }
    return keys;
}

bool isFalse(const QString& value) {
    return value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
}
bool isTrue(const QString& value) {
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

// The escapes of a string value: \s \n \t \r \\. Others are left for the
// Exec quoting rules to read.
QString unescapeString(const QString& value) {
    QString result;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            result.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result.append(QLatin1Char(' '));
            break;
        case 'n':
            result.append(QLatin1Char('\n'));
            break;
        case 't':
            result.append(QLatin1Char('\t'));
            break;
        case 'r':
            result.append(QLatin1Char('\r'));
            break;
        case '\\':
            result.append(QLatin1Char('\\'));
            break;
        default:
            result.append(c);
            result.append(next);
        }
    }
    return result;
}

QString escapeString(const QString& value) {
    QString result;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            result.append(QLatin1String("\\\\"));
            break;
        case '\n':
            result.append(QLatin1String("\\n"));
            break;
        case '\t':
            result.append(QLatin1String("\\t"));
            break;
        case '\r':
            result.append(QLatin1String("\\r"));
            break;
        default:
            result.append(c);
        }
    }
    return result;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString appId, QString executablePath,
                                             QString autostartFolder)
    : appId_(std::move(appId)), executablePath_(std::move(executablePath)),
      autostartFolder_(std::move(autostartFolder)) {}

QString XdgAutostartLoginItem::defaultAutostartFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory rules ignore relative paths.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/autostart");
}

QString XdgAutostartLoginItem::runningExecutable() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    // A replaced or deleted program reads as "... (deleted)", which names no file.
    const QString decoded = QFile::decodeName(path.native().c_str());
    return isExecutableFile(decoded) ? decoded : QString();
}

QString XdgAutostartLoginItem::entryPath() const {
    return autostartFolder_ + QLatin1Char('/') + appId_ + QStringLiteral(".desktop");
}

QString XdgAutostartLoginItem::execValue(const QString& path) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        switch (c.unicode()) {
        case '"':
        case '`':
        case '$':
        case '\\':
            quoted.append(QLatin1Char('\\'));
            quoted.append(c);
            break;
        case '%':
            quoted.append(QLatin1String("%%"));
            break;
        default:
            quoted.append(c);
        }
    }
    quoted.append(QLatin1Char('"'));
    return escapeString(quoted);
}

QString XdgAutostartLoginItem::execProgram(const QString& value) {
    const QString line = unescapeString(value);
    qsizetype i = 0;
    while (i < line.size() && (line.at(i) == QLatin1Char(' ') || line.at(i) == QLatin1Char('\t'))) {
        ++i;
    }
    QString argument;
    if (i < line.size() && line.at(i) == QLatin1Char('"')) {
        bool closed = false;
        for (++i; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c == QLatin1Char('"')) {
                closed = true;
                break;
            }
            if (c == QLatin1Char('\\') && i + 1 < line.size()) {
                const QChar next = line.at(i + 1);
                if (next == QLatin1Char('"') || next == QLatin1Char('`') ||
                    next == QLatin1Char('$') || next == QLatin1Char('\\')) {
                    argument.append(next);
                    ++i;
                    continue;
                }
            }
            argument.append(c);
        }
        if (!closed) {
            return {};
        }
    } else {
        for (; i < line.size() && line.at(i) != QLatin1Char(' ') && line.at(i) != QLatin1Char('\t');
             ++i) {
            argument.append(line.at(i));
        }
    }
    argument.replace(QLatin1String("%%"), QLatin1String("%"));
    return argument;
}

LoginItemStatus XdgAutostartLoginItem::status() {
    QFile file(entryPath());
    if (!file.exists()) {
        return LoginItemStatus::NotRegistered;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return LoginItemStatus::NotFound;
    }
    const EntryKeys keys = readEntryKeys(file);
    if (isTrue(keys.hidden)) {
        return LoginItemStatus::NotRegistered;
    }
    if (executablePath_.isEmpty() || !isExecutableFile(executablePath_)) {
        return LoginItemStatus::NotFound;
    }
    const QString program = execProgram(keys.exec);
    const bool runnable =
        QDir::isAbsolutePath(program)
            ? isExecutableFile(program)
            : !program.isEmpty() && !QStandardPaths::findExecutable(program).isEmpty();
    if (!runnable) {
        return LoginItemStatus::NotFound;
    }
    if (isFalse(keys.autostartEnabled)) {
        return LoginItemStatus::RequiresApproval;
    }
    return LoginItemStatus::Enabled;
}

bool XdgAutostartLoginItem::registerMainApp(QString& errorDescription) {
    if (executablePath_.isEmpty() || !isExecutableFile(executablePath_)) {
        errorDescription = systemMessage(ENOENT);
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(autostartFolder_).toStdString(), error);
    if (error) {
        errorDescription = QString::fromLocal8Bit(error.message());
        return false;
    }

    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly)) {
        errorDescription = file.errorString();
        return false;
    }
    QString text;
    QTextStream out(&text);
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=Tarnwick\n"
        << "Comment=Moves new windows onto the monitor under the mouse pointer\n"
        << "Exec=" << execValue(QFileInfo(executablePath_).absoluteFilePath()) << '\n'
        << "Icon=" << appId_ << '\n'
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    const QByteArray data = text.toUtf8();
    if (file.write(data) != data.size() || !file.commit()) {
        errorDescription = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool XdgAutostartLoginItem::unregisterMainApp(QString& errorDescription) {
    const QByteArray path = QFile::encodeName(entryPath());
    if (::unlink(path.constData()) != 0) {
        const int error = errno;
        if (error != ENOENT) {
            errorDescription = systemMessage(error);
            return false;
        }
    }
    return true;
}

void XdgAutostartLoginItem::openSystemSettingsLoginItems() {
    // A folder that is not there yet cannot be shown.
    QDir().mkpath(autostartFolder_);
    QProcess::startDetached(QStringLiteral("xdg-open"), {autostartFolder_});
}

} // namespace tarnwick
