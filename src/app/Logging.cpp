#include "app/Logging.h"

namespace tarnwick {

// Critical is the threshold only so that the categories start silent; nothing
// logs at that level.
Q_LOGGING_CATEGORY(lcEngine, "tarnwick.engine", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcApp, "tarnwick.app", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcX11, "tarnwick.x11", QtCriticalMsg)

void QtEngineLog::decision(const std::string& message) {
    qCDebug(lcEngine).noquote() << QString::fromStdString(message);
}

void QtEngineLog::failure(const std::string& message) {
    qCWarning(lcEngine).noquote() << QString::fromStdString(message);
}

} // namespace tarnwick
