#pragma once

#include <string>

namespace tarnwick {

// Where the engine says what it decided and which request failed. The engine
// never stops for it; the platform decides whether anyone hears.
class EngineLog {
public:
    virtual ~EngineLog() = default;
    // Why a window or an application was left alone.
    virtual void decision(const std::string& message) = 0;
    // A request that the platform refused.
    virtual void failure(const std::string& message) = 0;
};

} // namespace tarnwick
