#pragma once

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
// whatever it started. Its stdout is read line by line; stderr goes to the
// test's stderr. The destructor ends the group.
class Process {
public:
    Process(std::vector<std::string> argv, std::map<std::string, std::string> env = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }

    // The next line of output, waiting until the deadline; nothing on timeout or EOF.
    std::optional<std::string> readLine(Clock::time_point deadline);
    // Reads lines until one satisfies the predicate; every line read is kept in lines().
    std::optional<std::string> waitForLine(const std::function<bool(const std::string&)>& match,
                                           Clock::duration timeout);
    // Every line read so far, in order.
    const std::vector<std::string>& lines() const { return lines_; }
    // Reads whatever is available now without blocking.
    void drain();

    // Waits for the process to end by itself; its exit status, or nothing on timeout.
    std::optional<int> wait(Clock::duration timeout);
    // SIGTERM to the group, SIGKILL after a grace period.
    void terminate();

private:
    bool fill(int timeoutMs);
    bool running();

    pid_t pid_ = -1;
    int out_ = -1;
    bool eof_ = false;
    bool terminated_ = false;
    std::optional<int> status_;
    std::string buffer_;
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
