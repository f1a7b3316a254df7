#pragma once

#include "engine/ports/Workspace.h"
#include "platform/x11/DesktopEntries.h"
#include "platform/x11/WindowRegistry.h"
#include "platform/x11/X11ClientReader.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11WindowManager.h"

#include <QObject>
#include <deque>
#include <functional>
#include <vector>

namespace tarnwick {

// The running applications of an X display: the processes that own top-level
// client windows. Feeds the window registry from the root's and the clients'
// structure events, reads the owners it asks for, and delivers its reports on
// the main loop.
class X11Workspace : public QObject, public Workspace {
    Q_OBJECT
public:
    X11Workspace(X11Connection& connection, DesktopEntries& desktopEntries,
                 QObject* parent = nullptr);

    std::vector<RunningApplicationRef> runningApplications() override;
    WorkspaceToken addObserver(WorkspaceNotification name, Handler handler) override;
    bool openURL(const std::string& url) override;

    // Receives every new window of a known process, after the launch it may
    // have caused. The instance tells it from a later window with the same id;
    // the frame is the root's child that holds it, 0 when not known.
    std::function<void(Pid pid, xcb_window_t window, std::uint64_t instance, xcb_window_t frame)>
        onWindowCreated;
    // Receives every window that was shown, at once: it may be a dock.
    std::function<void(xcb_window_t window)> onWindowShown;

    X11ClientReader& clientReader() { return reader_; }
    bool isCurrent(xcb_window_t window, std::uint64_t instance) const {
        return registry_.isCurrent(window, instance);
    }

    // Takes the current clients as they are, without reporting them as new.
    void attach();
    // Forgets everything after the connection is gone; every application terminates.
    void detach();
    void handleEvent(const xcb_generic_event_t& event);
    void eventsProcessed();

    const X11WindowManager& windowManager() const { return manager_; }

private:
    void selectStructure(xcb_window_t window);
    void readTopLevels();
    void findFrames();
    void readOwners();
    void deliver(std::vector<WindowRegistry::Event> events);
    void post(std::function<void()> delivery);
    void flush();
    void notify(WorkspaceNotification name, const RunningApplicationRef& application);

    X11Connection& x_;
    X11ClientReader reader_;
    X11WindowManager manager_{x_, reader_};
    WindowRegistry registry_;
    std::vector<std::pair<WorkspaceNotification, Handler>> handlers_;
    std::uint64_t nextToken_ = 1;

    std::deque<std::function<void()>> pending_;
    bool flushPosted_ = false;
};

} // namespace tarnwick
