#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

typedef struct _GKeyFile GKeyFile;

namespace tarnwick {

// One desktop entry file, read under the checks and the cap of RegularFile
// and parsed by GLib's key-file reader, as the desktops' own launchers parse
// it. Only keys of the [Desktop Entry] group count.
class DesktopEntry {
public:
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    enum class Outcome { Loaded, Missing, Unreadable, Malformed };

    static DesktopEntry load(const QString& path);

    Outcome outcome() const { return outcome_; }
    // Why an Unreadable or Malformed file could not be used.
    QString problem() const { return problem_; }

    // Absent when the key is missing or its value is invalid.
    std::optional<QString> string(const char* key) const;
    // The best translation for locale ("ll_CC"), else the untranslated value.
    std::optional<QString> localeString(const char* key, const QString& locale) const;
    // Only "true" and "false" (and 1, 0) are booleans.
    std::optional<bool> boolean(const char* key) const;

    // The Exec quoting: one argument that reads back as exactly argument. It
    // cannot hold "%", which launchers take for a field code wherever it is.
    static QString quoteExecArgument(const QString& argument);
    // The arguments of an Exec value whose string escapes are resolved; "%%"
    // gives "%" and other field codes nothing. Absent when malformed.
    static std::optional<QStringList> execArguments(const QString& exec);

private:
    struct KeyFileDeleter {
        void operator()(GKeyFile* keys) const;
    };

    Outcome outcome_ = Outcome::Missing;
    QString problem_;
    std::unique_ptr<GKeyFile, KeyFileDeleter> keys_;
};

} // namespace tarnwick
