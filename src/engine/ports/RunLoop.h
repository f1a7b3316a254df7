#pragma once

#include <memory>

namespace tarnwick {

// A source of callbacks that the main run loop serves while it is added.
class RunLoopSource {
public:
    virtual ~RunLoopSource() = default;
};
using RunLoopSourceRef = std::shared_ptr<RunLoopSource>;

// The main run loop, in all of its common modes.
class RunLoop {
public:
    virtual ~RunLoop() = default;
    virtual void addSource(const RunLoopSourceRef& source) = 0;
    virtual void removeSource(const RunLoopSourceRef& source) = 0;
};

} // namespace tarnwick
