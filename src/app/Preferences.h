#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarnwick {

// The user's preferences: one JSON object in a file, read once and rewritten
// whole on every change. Values keep their JSON type, so a stored boolean reads
// back as a boolean and a stored text does not.
//
// A file that cannot be read (not a regular file, over kMaxFileBytes, no
// access) is left untouched: the defaults apply and changes live in memory
// until the file can be read again. Only a file that was read and holds no
// JSON object is set aside as <file>.corrupt before the first write.
class Preferences {
public:
    static constexpr const char* kPlacementEnabled = "placementEnabled";
    static constexpr const char* kExcludedBundleIdentifiers = "excludedBundleIdentifiers";
    // Far above any real file: a few thousand identifiers take some 100 KiB.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    explicit Preferences(QString filePath);

    // $XDG_CONFIG_HOME/tarnwick/defaults.json, ~/.config when the variable is unset.
    static QString defaultPath();

    QString filePath() const { return filePath_; }

    // Absent unless the stored value is a JSON boolean.
    std::optional<bool> boolValue(const QString& key) const;
    // Absent unless the stored value is an array of strings only.
    std::optional<QStringList> stringList(const QString& key) const;

    // False when the file could not be written; the value is kept in memory
    // anyway, and the next write that succeeds stores it.
    bool setBool(const QString& key, bool value);
    bool setStringList(const QString& key, const QStringList& value);

    // Why the file could not be read or the last write failed, as a sentence
    // that names the file; absent while everything is stored.
    std::optional<QString> problem() const { return problem_; }

private:
    bool write();
    bool readAgain();
    QString keepCorruptFileAside(); // the error, empty on success

    QString filePath_;
    QJsonObject values_;
    // The file exists but could not be read; it must not be overwritten unseen.
    bool unread_ = false;
    // The file was read and held no JSON object.
    bool corrupt_ = false;
    std::optional<QString> problem_;
};

} // namespace tarnwick
