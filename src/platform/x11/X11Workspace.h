#pragma once

#include "engine/ports/Workspace.h"
#include "platform/x11/DesktopEntries.h"
#include "platform/x11/StrutTable.h"
#include "platform/x11/X11Connection.h"

#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

// The running applications of an X display: the processes that own managed
// top-level client windows. Follows _NET_CLIENT_LIST under an EWMH window
// manager, else the mapping of the root's children, and reports launches,
// terminations and new windows on the main loop.
class X11Workspace : public QObject, public Workspace {
    Q_OBJECT
public:
    X11Workspace(X11Connection& connection, DesktopEntries& desktopEntries,
                 QObject* parent = nullptr);

    std::vector<RunningApplicationRef> runningApplications() override;
    WorkspaceToken addObserver(WorkspaceNotification name, Handler handler) override;
    bool openURL(const std::string& url) override;

    // Receives every new top-level client of a known process, after the launch
    // it may have caused.
    std::function<void(Pid pid, xcb_window_t window)> onWindowCreated;

    // The program's own process, whose windows carry its own identifier.
    void setOwnIdentity(Pid pid, std::string bundleIdentifier) {
        ownIdentity_.emplace(pid, std::move(bundleIdentifier));
    }

    // Takes the current clients as they are, without reporting them as new.
    void attach();
    // Forgets everything after the connection is gone; every application terminates.
    void detach();
    void handleEvent(const xcb_generic_event_t& event);
    void eventsProcessed();

    bool hasWindowManager() const { return wmWindow_ != 0; }
    // True when the window manager lists _NET_WM_ALLOWED_ACTIONS as supported.
    bool windowManagerPublishesAllowedActions() const { return wmAllowedActions_; }
    std::optional<Pid> pidOf(xcb_window_t window) const;

    // The struts of the windows that may be docks, as last reported by events.
    std::vector<X11Properties::Strut> struts(std::uint32_t screenWidth, std::uint32_t screenHeight);

private:
    std::optional<std::pair<Pid, std::string>> ownIdentity_;

    struct Client {
        xcb_window_t window = 0;
        Pid pid = 0;
        bool regular = false;
        std::optional<std::string> bundleIdentifier;
        std::optional<std::string> className;
    };
    struct Application {
        std::vector<xcb_window_t> windows; // in order of appearance
        RunningApplicationRef snapshot;
    };

    void detectWindowManager();
    void selectRootEvents();
    std::vector<xcb_window_t> currentTopLevels();
    std::vector<xcb_window_t> mappedRootChildren();
    void updateTopLevels();
    void trackStruts(const std::vector<xcb_window_t>& added,
                     const std::vector<xcb_window_t>& dropped);
    void selectWindowEvents(xcb_window_t window);
    void requestStruts();
    void collectStruts();
    std::vector<std::optional<Client>> fetchClients(const std::vector<xcb_window_t>& windows);
    void updateClients(const std::vector<xcb_window_t>& current, bool reportNewWindows);
    void addClients(const std::vector<xcb_window_t>& windows, bool reportNewWindows);
    void removeClient(xcb_window_t window, std::set<Pid>& touched);
    RunningApplicationRef makeSnapshot(Pid pid) const;
    void post(std::function<void()> delivery);
    void flush();
    void notify(WorkspaceNotification name, const RunningApplicationRef& application);

    X11Connection& x_;
    DesktopEntries& desktopEntries_;
    std::vector<std::pair<WorkspaceNotification, Handler>> handlers_;
    std::uint64_t nextToken_ = 1;

    xcb_window_t wmWindow_ = 0;
    bool wmAllowedActions_ = false;
    bool clientListDirty_ = false;
    bool wmDirty_ = false;
    std::vector<xcb_window_t> pendingMapped_, pendingUnmapped_;
    std::map<xcb_window_t, Client> clients_;
    std::set<xcb_window_t> unowned_; // top-levels of no known process
    std::map<Pid, Application> applications_;
    std::vector<Pid> applicationOrder_;
    StrutTable strutTable_;
    std::set<xcb_window_t> strutsToRead_;
    struct StrutRead {
        xcb_window_t window;
        xcb_get_property_cookie_t partial, plain;
    };
    std::vector<StrutRead> strutReads_; // sent, replies not yet taken
    bool rootChildrenDirty_ = false;
    std::deque<std::function<void()>> pending_;
    bool flushPosted_ = false;
};

} // namespace tarnwick
