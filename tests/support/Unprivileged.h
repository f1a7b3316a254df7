#pragma once

#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick::support {

// Runs body where file permissions bind: as it is for an ordinary user, in a
// child dropped to nobody for root. Returns what body reports, empty for success.
inline std::string unprivileged(const std::function<std::string()>& body) {
    if (::geteuid() != 0) {
        return body();
    }
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return "pipe failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string result = "could not drop privileges";
        if (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
            ::setresuid(65534, 65534, 65534) == 0) {
            result = body();
        }
        (void)!::write(pipeEnds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? result : "child died";
}

} // namespace tarnwick::support
