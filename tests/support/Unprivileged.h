#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace tarnwick::support {

// Runs body where file permissions bind, as it is for an ordinary user, in a
// child dropped to nobody for root, and expects it to report no failure.
inline void expectUnprivileged(const std::function<std::string()>& body) {
    if (::geteuid() != 0) {
        EXPECT_EQ(body(), "");
        return;
    }
    EXPECT_EXIT(
        {
            const bool dropped = ::setgroups(0, nullptr) == 0 &&
                                 ::setresgid(65534, 65534, 65534) == 0 &&
                                 ::setresuid(65534, 65534, 65534) == 0;
            const std::string failure = dropped ? body() : "could not drop privileges";
            std::fputs(failure.c_str(), stderr);
            std::_Exit(failure.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace tarnwick::support
