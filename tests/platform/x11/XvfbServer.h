#pragma once

// A plain Xvfb of its own for one test: no root needed. It picks a free
// display, which $DISPLAY then names; it ends with the object.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnwick {

class XvfbServer {
public:
    explicit XvfbServer(const char* screen = "1600x900x24") {
        int fds[2];
        if (::access("/usr/bin/Xvfb", X_OK) != 0 || ::pipe(fds) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen,
                    "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char number[16] = {};
        FILE* in = ::fdopen(fds[0], "r");
        if (in != nullptr && std::fgets(number, sizeof number, in) != nullptr) {
            display_ = ":" + std::string(number, std::strcspn(number, "\n"));
            ::setenv("DISPLAY", display_.c_str(), 1);
        }
        if (in != nullptr) {
            std::fclose(in);
        }
    }
    ~XvfbServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return !display_.empty(); }

private:
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace tarnwick
