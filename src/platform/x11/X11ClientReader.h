#pragma once

#include "platform/x11/ApplicationList.h"
#include "platform/x11/X11Connection.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

// Reads who owns a client window and which application it belongs to.
class X11ClientReader {
public:
    explicit X11ClientReader(X11Connection& connection) : x_(connection) {}

    // The program's own process, whose windows carry its own identifier.
    void setOwnIdentity(Pid pid, std::string applicationId) {
        ownIdentity_.emplace(pid, std::move(applicationId));
    }

    struct Request {
        xcb_window_t window = 0;
        bool mustBeManaged = false; // only a window with WM_STATE is a client
    };
    // One batch, one round trip (two for windows without _NET_WM_PID); none for
    // a window that is gone or that no process owns.
    std::vector<std::optional<ClientFacts>> read(const std::vector<Request>& requests);

    // _GTK_APPLICATION_ID, else _KDE_NET_WM_DESKTOP_FILE, else WM_CLASS's class.
    static std::optional<std::string> applicationId(std::optional<std::string> gtk,
                                                    std::optional<std::string> kde,
                                                    const std::optional<std::string>& className);

private:
    void readPidsFromServer(const std::vector<Request>& requests,
                            std::vector<std::optional<ClientFacts>>& facts,
                            std::vector<std::optional<Pid>>& pids);

    X11Connection& x_;
    std::optional<std::pair<Pid, std::string>> ownIdentity_;
};

} // namespace tarnwick
