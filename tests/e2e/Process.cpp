#include "Process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace e2e {

namespace {
int ms(Clock::duration d) {
    return int(std::max<int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(d).count()));
}
} // namespace

Process::Process(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& env) {
    QStringList args;
    for (const std::string& a : argv)
        args << QString::fromStdString(a);
    process_.setProgram(args.takeFirst());
    process_.setArguments(args);
    auto environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [k, v] : env)
        environment.insert(QString::fromStdString(k), QString::fromStdString(v));
    process_.setProcessEnvironment(environment);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setChildProcessModifier([] {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process_.start();
    if (process_.waitForStarted())
        pid_ = pid_t(process_.processId());
}

void Process::take() {
    while (process_.canReadLine())
        lines_.push_back(process_.readLine().chopped(1).toStdString());
}

std::optional<std::string> Process::readLine(Clock::time_point deadline) {
    take();
    while (consumed_ >= lines_.size()) {
        if (Clock::now() >= deadline || !process_.waitForReadyRead(ms(deadline - Clock::now())))
            return std::nullopt;
        take();
    }
    return lines_[consumed_++];
}

std::optional<std::string>
Process::waitForLine(const std::function<bool(const std::string&)>& match,
                     Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (auto line = readLine(deadline))
        if (match(*line))
            return line;
    return std::nullopt;
}

const std::vector<std::string>& Process::lines() {
    while (process_.waitForReadyRead(0)) {
    }
    take();
    return lines_;
}

std::optional<int> Process::wait(Clock::duration timeout) {
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(ms(timeout)))
        return std::nullopt;
    take();
    if (process_.error() == QProcess::FailedToStart ||
        process_.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process_.exitCode();
}

void Process::terminate() {
    if (pid_ <= 0)
        return;
    if (process_.state() != QProcess::NotRunning) {
        ::kill(-pid_, SIGTERM);
        process_.waitForFinished(5000);
    }
    // Whatever is left in the group goes too, even once the leader is gone.
    ::kill(-pid_, SIGKILL);
    process_.waitForFinished(5000);
    pid_ = 0;
}

std::optional<std::string> runCommand(const std::vector<std::string>& argv,
                                      const std::map<std::string, std::string>& env) {
    Process p(argv, env);
    if (p.wait(60s) != 0)
        return std::nullopt;
    std::string out;
    for (const std::string& line : p.lines())
        out += line + "\n";
    return out;
}

bool waitUntil(const std::function<bool()>& condition, Clock::duration timeout,
               Clock::duration interval) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(interval);
    }
    return true;
}

} // namespace e2e
