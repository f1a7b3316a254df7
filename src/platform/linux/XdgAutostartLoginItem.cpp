#include "platform/linux/XdgAutostartLoginItem.h"

#include "app/ConfigHome.h"
#include "app/L10n.h"
#include "platform/linux/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <cerrno>
#include <filesystem>
#include <glib.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tarnwick {

namespace {

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

bool isExecutableFile(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.constData(), X_OK) == 0;
}

// Absent unless the bytes are UTF-8, the only encoding a desktop entry holds.
std::optional<QString> fromUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

QByteArray entryText(const QString& appId, const QString& exec) {
    GKeyFile* keys = g_key_file_new();
    const auto set = [keys](const char* key, const QString& value) {
        g_key_file_set_string(keys, "Desktop Entry", key, value.toUtf8().constData());
    };
    set("Type", QStringLiteral("Application"));
    set("Name", QStringLiteral("Tarnwick"));
    set("Comment", QStringLiteral("Moves new windows onto the monitor under the mouse pointer"));
    // A string value may hold no control character, yet GLib leaves a tab within
    // one raw: the key file's escapes (backslash, newline, tab, return) are written here.
    QByteArray escaped;
    for (const char c : exec.toUtf8()) {
        const qsizetype special = QByteArray("\\\n\t\r").indexOf(c);
        escaped += special < 0 ? QByteArray(1, c) : QByteArray("\\") + "\\ntr"[special];
    }
    g_key_file_set_value(keys, "Desktop Entry", "Exec", escaped.constData());
    set("Icon", appId);
    g_key_file_set_boolean(keys, "Desktop Entry", "Terminal", FALSE);
    g_key_file_set_boolean(keys, "Desktop Entry", "X-GNOME-Autostart-enabled", TRUE);
    gsize length = 0;
    gchar* data = g_key_file_to_data(keys, &length, nullptr);
    QByteArray text(data, static_cast<qsizetype>(length));
    g_free(data);
    g_key_file_free(keys);
    return text;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString appId, QByteArray executablePath,
                                             QString autostartFolder)
    : appId_(std::move(appId)), executablePath_(std::move(executablePath)),
      autostartFolder_(std::move(autostartFolder)) {}

QString XdgAutostartLoginItem::defaultAutostartFolder() {
    return configHome() + QStringLiteral("/autostart");
}

QByteArray XdgAutostartLoginItem::runningExecutable() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    // A replaced or deleted program reads as "... (deleted)", which names no file.
    const QByteArray native(path.c_str());
    return !error && isExecutableFile(native) ? native : QByteArray();
}

QString XdgAutostartLoginItem::entryPath() const {
    return autostartFolder_ + QLatin1Char('/') + appId_ + QStringLiteral(".desktop");
}

const XdgAutostartLoginItem::EntryState& XdgAutostartLoginItem::entryState() {
    const std::optional<FileStamp> stamp = FileStamp::of(entryPath());
    if (entry_ && stamp && entry_->stamp == stamp) {
        return *entry_;
    }
    const DesktopEntry entry = DesktopEntry::load(entryPath());
    EntryState state;
    state.stamp = stamp;
    switch (entry.outcome()) {
    case DesktopEntry::Outcome::Missing:
        state.status = LoginItemStatus::NotRegistered;
        break;
    case DesktopEntry::Outcome::Unreadable:
    case DesktopEntry::Outcome::Malformed:
        // Something is there that no desktop can start.
        state.status = LoginItemStatus::NotFound;
        break;
    case DesktopEntry::Outcome::Loaded: {
        state.usable = true;
        state.hidden = entry.boolean("Hidden").value_or(false);
        state.switchedOff = !entry.boolean("X-GNOME-Autostart-enabled").value_or(true);
        const auto arguments =
            DesktopEntry::execArguments(entry.string("Exec").value_or(QString()));
        state.program = arguments && !arguments->isEmpty() ? arguments->first() : QString();
        break;
    }
    }
    entry_ = state;
    return *entry_;
}

LoginItemStatus XdgAutostartLoginItem::status() {
    const EntryState& entry = entryState();
    if (!entry.usable) {
        return entry.status;
    }
    if (entry.hidden) {
        return LoginItemStatus::NotRegistered;
    }
    if (!isExecutableFile(executablePath_)) {
        return LoginItemStatus::NotFound;
    }
    const QString& program = entry.program;
    const bool runnable =
        QDir::isAbsolutePath(program)
            ? isExecutableFile(QFile::encodeName(program))
            : !program.isEmpty() && !QStandardPaths::findExecutable(program).isEmpty();
    // GLib's launchers cannot start a program whose path holds "%".
    if (!runnable || program.contains(u'%')) {
        return LoginItemStatus::NotFound;
    }
    return entry.switchedOff ? LoginItemStatus::RequiresApproval : LoginItemStatus::Enabled;
}

bool XdgAutostartLoginItem::fail(const char* key, const QString& reason,
                                 QString& errorDescription) const {
    errorDescription =
        L10n::format(QString::fromLatin1(key), QDir::toNativeSeparators(entryPath()), reason);
    return false;
}

bool XdgAutostartLoginItem::registerMainApp(QString& errorDescription) {
    const char* const failed = "loginItem.registerFailed";
    if (!isExecutableFile(executablePath_)) {
        return fail(failed, systemMessage(ENOENT), errorDescription);
    }
    const std::optional<QString> program = fromUtf8(executablePath_);
    if (!program) {
        return fail(failed,
                    L10n::format(QStringLiteral("loginItem.pathNotUtf8"),
                                 QString::fromUtf8(executablePath_)),
                    errorDescription);
    }
    if (program->contains(u'%')) {
        return fail(failed, L10n::format(QStringLiteral("loginItem.pathHasPercent"), *program),
                    errorDescription);
    }
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(autostartFolder_).toStdString(), error);
    if (error) {
        return fail(failed, QString::fromLocal8Bit(error.message()), errorDescription);
    }
    // A save writes through a link: never onto a device, a FIFO or a folder.
    const QFileInfo existing(entryPath());
    if (existing.isSymLink() && !existing.isFile() &&
        ::unlink(QFile::encodeName(entryPath()).constData()) != 0) {
        return fail(failed, systemMessage(errno), errorDescription);
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(failed, file.errorString(), errorDescription);
    }
    const QByteArray data = entryText(appId_, DesktopEntry::quoteExecArgument(*program));
    if (file.write(data) != data.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(failed, reason, errorDescription);
    }
    return true;
}

bool XdgAutostartLoginItem::unregisterMainApp(QString& errorDescription) {
    const QByteArray path = QFile::encodeName(entryPath());
    if (::unlink(path.constData()) != 0 && errno != ENOENT) {
        return fail("loginItem.unregisterFailed", systemMessage(errno), errorDescription);
    }
    return true;
}

void XdgAutostartLoginItem::openSystemSettingsLoginItems() {
    // A folder that is not there yet cannot be shown.
    QDir().mkpath(autostartFolder_);
    QProcess::startDetached(QStringLiteral("xdg-open"), {autostartFolder_});
}

} // namespace tarnwick
