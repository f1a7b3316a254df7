#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace tarnwick {

// Names of applications from the desktop entries in the XDG data directories.
class DesktopEntries {
public:
    // Data directories in precedence order; empty means the user's XDG ones.
    explicit DesktopEntries(QStringList dataDirectories = {});

    // The Name of the entry whose file name or StartupWMClass matches the
    // identifier (exactly, else ignoring case).
    std::optional<std::string> nameFor(const std::string& identifier);

private:
    void scan();

    QStringList directories_;
    QHash<QString, QString> byFileId_, byWmClass_, byFileIdFolded_, byWmClassFolded_;
    QElapsedTimer lastScan_;
};

} // namespace tarnwick
