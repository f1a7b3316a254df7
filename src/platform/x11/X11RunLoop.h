#pragma once

#include "engine/ports/RunLoop.h"

#include <set>

namespace tarnwick {

// The Qt main loop seen as a run loop: it serves an observer's callbacks while
// the observer's source is added.
class X11RunLoop : public RunLoop {
public:
    void addSource(const RunLoopSourceRef& source) override {
        if (source) {
            sources_.insert(source);
        }
    }
    void removeSource(const RunLoopSourceRef& source) override { sources_.erase(source); }
    bool contains(const RunLoopSourceRef& source) const { return sources_.count(source) != 0; }

private:
    std::set<RunLoopSourceRef> sources_;
};

} // namespace tarnwick
