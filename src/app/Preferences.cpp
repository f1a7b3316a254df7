#include "app/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QtGlobal>

namespace tarnwick {

Preferences::Preferences(QString filePath) : filePath_(std::move(filePath)) {
    QFile file(filePath_);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable_ = true;
        return;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        unreadable_ = true;
        return;
    }
    values_ = document.object();
}

QString Preferences::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory rules ignore relative paths.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/tarnwick/defaults.json");
}

std::optional<bool> Preferences::boolValue(const QString& key) const {
    const QJsonValue value = values_.value(key);
    if (!value.isBool()) {
        return std::nullopt;
    }
    return value.toBool();
}

std::optional<QStringList> Preferences::stringList(const QString& key) const {
    const QJsonValue value = values_.value(key);
    if (!value.isArray()) {
        return std::nullopt;
    }
    QStringList list;
    for (const QJsonValue element : value.toArray()) {
        if (!element.isString()) {
            return std::nullopt;
        }
        list.append(element.toString());
    }
    return list;
}

bool Preferences::setBool(const QString& key, bool value) {
    values_.insert(key, value);
    return write();
}

bool Preferences::setStringList(const QString& key, const QStringList& value) {
    values_.insert(key, QJsonArray::fromStringList(value));
    return write();
}

bool Preferences::keepUnreadableFileAside() {
    // Never replace an earlier copy that was kept aside.
    QString target = filePath_ + QStringLiteral(".corrupt");
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) {
        target = filePath_ + QStringLiteral(".corrupt.%1").arg(n);
    }
    return QFile::rename(filePath_, target);
}

bool Preferences::write() {
    if (unreadable_) {
        if (QFileInfo::exists(filePath_) && !keepUnreadableFileAside()) {
            return false;
        }
        unreadable_ = false;
    }
    const QString folder = QFileInfo(filePath_).absolutePath();
    if (!QDir().mkpath(folder)) {
        return false;
    }
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray data = QJsonDocument(values_).toJson(QJsonDocument::Indented);
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tarnwick
