#include "Process.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {

Process::Process(std::vector<std::string> argv, std::map<std::string, std::string> env) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    // Prepared before fork: only async-signal-safe calls happen in the child.
    std::vector<char*> args;
    for (auto& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (!env.contains(entry.substr(0, entry.find('='))))
            envStrings.push_back(entry);
    }
    for (auto& [k, v] : env)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        // Even a test killed on timeout leaves nothing running behind it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(fds[1], STDOUT_FILENO);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, STDIN_FILENO);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    setpgid(pid_, pid_); // also here, so that the group exists before we may kill it
    close(fds[1]);
    out_ = fds[0];
}

Process::~Process() {
    terminate();
    if (out_ >= 0)
        close(out_);
}

bool Process::fill(int timeoutMs) {
    if (eof_)
        return false;
    pollfd pfd{out_, POLLIN, 0};
    int r = poll(&pfd, 1, timeoutMs);
    if (r <= 0)
        return false;
    char chunk[4096];
    ssize_t n = read(out_, chunk, sizeof chunk);
    if (n <= 0) {
        eof_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<size_t>(n));
    size_t nl;
    while ((nl = buffer_.find('\n')) != std::string::npos) {
        lines_.push_back(buffer_.substr(0, nl));
        buffer_.erase(0, nl + 1);
    }
    return true;
}

std::optional<std::string> Process::readLine(Clock::time_point deadline) {
    while (consumed_ >= lines_.size()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || eof_)
            return std::nullopt;
        fill(static_cast<int>(left.count()));
    }
    return lines_[consumed_++];
}

std::optional<std::string>
Process::waitForLine(const std::function<bool(const std::string&)>& match,
                     Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (auto line = readLine(deadline)) {
        if (match(*line))
            return line;
    }
    return std::nullopt;
}

void Process::drain() {
    while (fill(0)) {
    }
}

bool Process::running() {
    if (status_)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        return false;
    }
    return true;
}

std::optional<int> Process::wait(Clock::duration timeout) {
    waitUntil([&] { return !running(); }, timeout, 10ms);
    return status_;
}

void Process::terminate() {
    if (pid_ <= 0 || terminated_)
        return;
    terminated_ = true;
    if (running()) {
        kill(-pid_, SIGTERM);
        if (!wait(5s)) {
            kill(-pid_, SIGKILL);
            wait(5s);
        }
    } else {
        // The leader is gone; anything it left in its group goes too.
        kill(-pid_, SIGKILL);
    }
}

std::optional<std::string> runCommand(const std::vector<std::string>& argv,
                                      const std::map<std::string, std::string>& env) {
    Process p(argv, env);
    std::string out;
    const auto deadline = Clock::now() + 60s;
    while (auto line = p.readLine(deadline))
        out += *line + "\n";
    auto status = p.wait(deadline - Clock::now());
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        return std::nullopt;
    return out;
}

bool waitUntil(const std::function<bool()>& condition, Clock::duration timeout,
               Clock::duration interval) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(interval);
    }
}

} // namespace e2e
