#include "app/Preferences.h"

#include "app/ConfigHome.h"
#include "app/L10n.h"
#include "app/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QtGlobal>
#include <filesystem>
#include <system_error>

namespace tarnwick {

namespace {

std::optional<QJsonObject> parseObject(const QByteArray& content) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

} // namespace

Preferences::Preferences(QString filePath) : filePath_(std::move(filePath)) {
    (void)readAgain();
}

// Reads the file into values_; values set in memory meanwhile win over stored ones.
bool Preferences::readAgain() {
    const RegularFile file = RegularFile::read(filePath_, kMaxFileBytes);
    unread_ = file.outcome == RegularFile::Outcome::Unreadable;
    if (unread_) {
        problem_ = L10n::format(QStringLiteral("preferences.unreadable"),
                                QDir::toNativeSeparators(filePath_), file.problem);
        return false;
    }
    if (file.outcome == RegularFile::Outcome::Read) {
        const std::optional<QJsonObject> stored = parseObject(file.content);
        corrupt_ = !stored;
        if (stored) {
            QJsonObject merged = *stored;
            for (auto it = values_.constBegin(); it != values_.constEnd(); ++it) {
                merged.insert(it.key(), it.value());
            }
            values_ = merged;
        }
    }
    return true;
}

QString Preferences::defaultPath() {
    return configHome() + QStringLiteral("/tarnwick/defaults.json");
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

QString Preferences::keepCorruptFileAside() {
    // Never replace an earlier copy that was kept aside.
    QString target = filePath_ + QStringLiteral(".corrupt");
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) {
        target = filePath_ + QStringLiteral(".corrupt.%1").arg(n);
    }
    QFile file(filePath_);
    return file.rename(target) ? QString() : file.errorString();
}

bool Preferences::write() {
    // A file that could not be read may have been repaired since.
    if (unread_ && !readAgain()) {
        return false;
    }
    const auto fail = [this](const QString& reason) {
        problem_ = L10n::format(QStringLiteral("preferences.writeFailed"),
                                QDir::toNativeSeparators(filePath_), reason);
        return false;
    };
    if (corrupt_ && QFileInfo::exists(filePath_)) {
        if (const QString error = keepCorruptFileAside(); !error.isEmpty()) {
            return fail(error);
        }
    }
    corrupt_ = false;
    std::error_code error;
    std::filesystem::create_directories(
        QFile::encodeName(QFileInfo(filePath_).absolutePath()).toStdString(), error);
    if (error) {
        return fail(QString::fromLocal8Bit(error.message()));
    }
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    const QByteArray data = QJsonDocument(values_).toJson(QJsonDocument::Indented);
    if (file.write(data) != data.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    problem_.reset();
    return true;
}

} // namespace tarnwick
