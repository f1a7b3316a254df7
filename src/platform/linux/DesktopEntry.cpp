#include "platform/linux/DesktopEntry.h"

#include "app/RegularFile.h"

#include <glib.h>

namespace tarnwick {

namespace {

constexpr const char* kGroup = "Desktop Entry";

std::optional<QString> adopt(gchar* value, GError* error) {
    if (error != nullptr) {
        g_error_free(error);
    }
    if (value == nullptr) {
        return std::nullopt;
    }
    QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

bool isQuotedSpecial(QChar c) {
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

} // namespace

void DesktopEntry::KeyFileDeleter::operator()(GKeyFile* keys) const {
    g_key_file_free(keys);
}

DesktopEntry DesktopEntry::load(const QString& path) {
    DesktopEntry entry;
    RegularFile file = RegularFile::read(path, kMaxFileBytes);
    if (file.outcome == RegularFile::Outcome::Missing) {
        return entry;
    }
    if (file.outcome == RegularFile::Outcome::Unreadable) {
        entry.outcome_ = Outcome::Unreadable;
        entry.problem_ = file.problem;
        return entry;
    }
    entry.keys_.reset(g_key_file_new());
    GError* error = nullptr;
    if (!g_key_file_load_from_data(entry.keys_.get(), file.content.constData(),
                                   static_cast<gsize>(file.content.size()), G_KEY_FILE_NONE,
                                   &error) ||
        !g_key_file_has_group(entry.keys_.get(), kGroup)) {
        entry.outcome_ = Outcome::Malformed;
        entry.problem_ = error != nullptr ? QString::fromUtf8(error->message) : QString();
        entry.keys_.reset();
    } else {
        entry.outcome_ = Outcome::Loaded;
    }
    if (error != nullptr) {
        g_error_free(error);
    }
    return entry;
}

std::optional<QString> DesktopEntry::string(const char* key) const {
    if (!keys_) {
        return std::nullopt;
    }
    GError* error = nullptr;
    gchar* value = g_key_file_get_string(keys_.get(), kGroup, key, &error);
    return adopt(value, error);
}

std::optional<QString> DesktopEntry::localeString(const char* key, const QString& locale) const {
    if (!keys_) {
        return std::nullopt;
    }
    const QByteArray name = locale.toUtf8();
    GError* error = nullptr;
    gchar* value = g_key_file_get_locale_string(
        keys_.get(), kGroup, key, name.isEmpty() ? nullptr : name.constData(), &error);
    return adopt(value, error);
}

std::optional<bool> DesktopEntry::boolean(const char* key) const {
    if (!keys_) {
        return std::nullopt;
    }
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(keys_.get(), kGroup, key, &error);
    if (error != nullptr) {
        g_error_free(error);
        return std::nullopt;
    }
    return value != FALSE;
}

QString DesktopEntry::quoteExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (isQuotedSpecial(c)) {
            quoted.append(u'\\');
        }
        quoted.append(c);
    }
    quoted.append(u'"');
    return quoted;
}

std::optional<QStringList> DesktopEntry::execArguments(const QString& exec) {
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool started = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u'%') {
            if (++i >= exec.size()) {
                return std::nullopt;
            }
            if (exec.at(i) == u'%') {
                current.append(u'%');
                started = true;
            }
        } else if (quoted && c == u'\\' && i + 1 < exec.size() && isQuotedSpecial(exec.at(i + 1))) {
            current.append(exec.at(++i));
        } else if (c == u'"') {
            quoted = !quoted;
            started = true;
        } else if (!quoted && (c == u' ' || c == u'\t' || c == u'\n')) {
            if (started) {
                arguments.append(current);
            }
            current.clear();
            started = false;
        } else {
            current.append(c);
            started = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (started) {
        arguments.append(current);
    }
    return arguments;
}

} // namespace tarnwick
