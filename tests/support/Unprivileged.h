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
    int ends[2];
    if (::pipe(ends) != 0) {
        return "pipe failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(65534, 65534, 65534) == 0 &&
                             ::setresuid(65534, 65534, 65534) == 0;
        const std::string result = dropped ? body() : "could not drop privileges";
        (void)!::write(ends[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string result;
    char buffer[256];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<size_t>(n));
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? result : "child died";
}

} // namespace tarnwick::support
