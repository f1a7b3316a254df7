#include "platform/x11/DesktopEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

namespace tarnwick {

namespace {

constexpr qint64 kRescanIntervalMs = 30000;
constexpr qint64 kMaxEntryBytes = 256 * 1024;

struct Entry {
    QString name;
    QString wmClass;
    bool hidden = false;
};

QString unescape(const QString& v) {
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\' && i + 1 < v.size()) {
            const QChar n = v[++i];
            out += n == u's'   ? QChar(u' ')
                   : n == u'n' ? QChar(u'\n')
                   : n == u't' ? QChar(u'\t')
                               : n;
        } else {
            out += v[i];
        }
    }
    return out;
}

std::optional<Entry> readEntry(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxEntryBytes || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QLocale locale;
    const QString full = locale.name(); // ll_CC
    const QString language = full.section(u'_', 0, 0);
    QString plain, byLanguage, byFull;
    Entry entry;
    bool inMainGroup = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = unescape(line.mid(eq + 1).trimmed());
        if (key == u"Name") {
            plain = value;
        } else if (key == QStringLiteral("Name[%1]").arg(full)) {
            byFull = value;
        } else if (key == QStringLiteral("Name[%1]").arg(language)) {
            byLanguage = value;
        } else if (key == u"StartupWMClass") {
            entry.wmClass = value;
        } else if (key == u"Hidden") {
            entry.hidden = value == u"true";
        }
    }
    entry.name = !byFull.isEmpty() ? byFull : !byLanguage.isEmpty() ? byLanguage : plain;
    if (entry.name.isEmpty()) {
        return std::nullopt;
    }
    entry.name = entry.name.normalized(QString::NormalizationForm_C);
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
