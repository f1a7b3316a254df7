#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarnwick {

// The user's preferences: one JSON object in a file, read once and rewritten
// whole on every change. Values keep their JSON type, so a stored boolean reads
// back as a boolean and a stored text does not.
class Preferences {
public:
    static constexpr const char* kPlacementEnabled = "placementEnabled";
    static constexpr const char* kExcludedBundleIdentifiers = "excludedBundleIdentifiers";

    explicit Preferences(QString filePath);

    // $XDG_CONFIG_HOME/tarnwick/defaults.json, ~/.config when the variable is unset.
    static QString defaultPath();

    QString filePath() const { return filePath_; }

    // Absent unless the stored value is a JSON boolean.
    std::optional<bool> boolValue(const QString& key) const;
    // Absent unless the stored value is an array of strings only.
    std::optional<QStringList> stringList(const QString& key) const;

    // False when the file could not be written; the value is kept in memory anyway.
    bool setBool(const QString& key, bool value);
    bool setStringList(const QString& key, const QStringList& value);

private:
    bool write();
    bool keepUnreadableFileAside();

    QString filePath_;
    QJsonObject values_;
    // The file exists but held no JSON object; it must not be overwritten unseen.
    bool unreadable_ = false;
};

} // namespace tarnwick
