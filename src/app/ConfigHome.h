#pragma once

#include <QDir>
#include <QString>

namespace tarnwick {

// The user's configuration folder: $XDG_CONFIG_HOME, or ~/.config when it is
// unset. The base directory rules ignore a relative value.
inline QString configHome() {
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        return QDir::homePath() + QStringLiteral("/.config");
    }
    return base;
}

} // namespace tarnwick
