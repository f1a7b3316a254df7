#include "platform/x11/DesktopEntries.h"

#include "platform/linux/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QLocale>
#include <QStandardPaths>

namespace tarnwick {

namespace {

constexpr qint64 kRescanIntervalMs = 30000;

struct Entry {
    QString name;
    QString wmClass;
    bool hidden = false;
};

std::optional<Entry> readEntry(const QString& path) {
    const DesktopEntry file = DesktopEntry::load(path);
    Entry entry;
    entry.name = file.localeString("Name", QLocale().name()).value_or(QString());
    if (entry.name.isEmpty()) {
        return std::nullopt;
    }
    entry.name = entry.name.normalized(QString::NormalizationForm_C);
    entry.wmClass = file.string("StartupWMClass").value_or(QString());
    entry.hidden = file.boolean("Hidden").value_or(false);
    return entry;
}

} // namespace

DesktopEntries::DesktopEntries(QStringList dataDirectories)
    : directories_(dataDirectories.isEmpty()
                       ? QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)
                       : std::move(dataDirectories)) {}

void DesktopEntries::scan() {
    byFileId_.clear();
    byWmClass_.clear();
    byFileIdFolded_.clear();
    byWmClassFolded_.clear();
    for (const QString& dataDir : directories_) {
        const QString root = QDir(dataDir).filePath(QStringLiteral("applications"));
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(root).relativeFilePath(path);
            id.chop(8); // ".desktop"
            id.replace(u'/', u'-');
            // An earlier directory shadows the same file id in later ones.
            if (byFileId_.contains(id)) {
                continue;
            }
            const auto entry = readEntry(path);
            if (!entry || entry->hidden) {
                byFileId_.insert(id, QString());
                continue;
            }
            byFileId_.insert(id, entry->name);
            byFileIdFolded_.insert(id.toCaseFolded(), entry->name);
            if (!entry->wmClass.isEmpty()) {
                byWmClass_.insert(entry->wmClass, entry->name);
                byWmClassFolded_.insert(entry->wmClass.toCaseFolded(), entry->name);
            }
        }
    }
    lastScan_.start();
}

std::optional<std::string> DesktopEntries::nameFor(const std::string& identifier) {
    if (identifier.empty()) {
        return std::nullopt;
    }
    const QString id = QString::fromStdString(identifier);
    const auto lookup = [&]() -> QString {
        for (const auto* map : {&byFileId_, &byWmClass_}) {
            const QString n = map->value(id);
            if (!n.isEmpty()) {
                return n;
            }
        }
        const QString folded = id.toCaseFolded();
        for (const auto* map : {&byFileIdFolded_, &byWmClassFolded_}) {
            const QString n = map->value(folded);
            if (!n.isEmpty()) {
                return n;
            }
        }
        return {};
    };
    if (!lastScan_.isValid()) {
        scan();
    }
    QString name = lookup();
    if (name.isEmpty() && lastScan_.elapsed() > kRescanIntervalMs) {
        scan(); // an application installed since the last scan
        name = lookup();
    }
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name.toStdString();
}

} // namespace tarnwick
