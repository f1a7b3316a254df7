#pragma once

#include <chrono>
#include <functional>

namespace tarnwick {

using Duration = std::chrono::duration<double>; // seconds

// The main thread's queue of deferred work.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Runs work once on the main thread, no earlier than delay from now.
    // A zero delay runs it after the work already under way has finished.
    virtual void after(Duration delay, std::function<void()> work) = 0;
    // Runs work on the main thread every interval, first one interval from now,
    // for as long as the program runs.
    virtual void every(Duration interval, std::function<void()> work) = 0;
};

} // namespace tarnwick
