#pragma once

#include "engine/ports/Accessibility.h"

#include <optional>
#include <string>

namespace tarnwick {

// Facts about the program's own process.
class ProcessInfo {
public:
    virtual ~ProcessInfo() = default;
    virtual Pid processIdentifier() = 0;
    // The program's own application identifier, when it has one.
    virtual std::optional<std::string> bundleIdentifier() = 0;
};

} // namespace tarnwick
