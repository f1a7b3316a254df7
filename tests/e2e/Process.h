#pragma once

#include <QProcess>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A child process in a process group of its own, so that ending it also ends
// whatever it started; it dies with the test, even one killed on timeout. Its
// stdout is read line by line; stderr goes to the test's stderr.
class Process {
public:
    Process(const std::vector<std::string>& argv,
            const std::map<std::string, std::string>& env = {});
    ~Process() { terminate(); }

    pid_t pid() const { return pid_; }
    // The next line of output, waiting until the deadline; nothing on timeout or end.
    std::optional<std::string> readLine(Clock::time_point deadline);
    // Reads lines until one satisfies the predicate.
    std::optional<std::string> waitForLine(const std::function<bool(const std::string&)>& match,
                                           Clock::duration timeout);
    // Every line written so far, read or not.
    const std::vector<std::string>& lines();
    // Waits for the process to end by itself: its exit code, or nothing on timeout or crash.
    std::optional<int> wait(Clock::duration timeout);
    // SIGTERM to the group, SIGKILL after a grace period.
    void terminate();

private:
    void take();

    QProcess process_;
    pid_t pid_ = 0;
    std::vector<std::string> lines_;
    size_t consumed_ = 0;
};

// Runs a command to completion, for up to a minute; its stdout, or nothing when it fails.
std::optional<std::string> runCommand(const std::vector<std::string>& argv,
                                      const std::map<std::string, std::string>& env = {});

// Polls the condition until it holds or the timeout passes.
bool waitUntil(const std::function<bool()>& condition, Clock::duration timeout,
               Clock::duration interval = 20ms);

} // namespace e2e
