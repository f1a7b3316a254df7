#pragma once

#include "engine/ports/EngineLog.h"

#include <QLoggingCategory>

namespace tarnwick {

// Silent unless enabled, e.g. QT_LOGGING_RULES="tarnwick.*=true":
// tarnwick.engine (placement decisions), tarnwick.app (preferences, login
// item), tarnwick.x11 (requests to the X server). Decisions log at debug
// level, failures at warning level.
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcX11)

// The engine's reports, in tarnwick.engine.
class QtEngineLog final : public EngineLog {
public:
    void decision(const std::string& message) override;
    void failure(const std::string& message) override;
};

} // namespace tarnwick
