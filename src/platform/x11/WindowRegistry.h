#pragma once

#include "platform/x11/ApplicationList.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// Turns the life of the top-level windows into "application launched",
// "application terminated" and "window created". A window is new only when it
// was created after the registry started, and it is reported once: the first
// time it is managed. Restarting the window manager, hiding and showing, and
// reparenting never make a window new. Knows nothing of the X connection: the
// caller feeds it events and the facts it asks for.
class WindowRegistry {
public:
    using Window = std::uint32_t;
    explicit WindowRegistry(ApplicationList::NameLookup nameFor)
        : applications_(std::move(nameFor)) {}

    struct Event {
        enum class Kind { Launched, Terminated, WindowCreated } kind;
        RunningApplicationRef application; // Launched, Terminated
        Pid pid = 0;                       // WindowCreated
        Window window = 0;
        std::uint64_t instance = 0; // tells a window from a later one with the same id
        Window frame = 0;           // the root's child that holds it; 0 when unknown
    };
    struct Read {
        Window window;
        bool rootLevel; // a child of the root, which may be a frame of the window manager
    };

    // The state at start: a child of the root, and a client that is shown.
    void rootChild(Window window, bool mapped);
    void existingClient(Window window);

    // Events: creation and mapping of the root's children, and the clients' own.
    void created(Window window);
    void destroyed(Window window);
    void reparented(Window window, Window parent, bool toRoot);
    void mapped(Window window);
    void unmapped(Window window);

    // Windows whose owner is to be read; each answer goes to factsRead, none
    // when the window is nobody's client.
    std::vector<Read> takeReads();
    void factsRead(Window window, const std::optional<ClientFacts>& facts);
    // Clients reparented into a window that is not a child of the root, with
    // that window; each answer goes to frameFound: the root's child that holds
    // it (0 when none) and whether the client is mapped.
    std::vector<std::pair<Window, Window>> takeFrameLookups();
    void frameFound(Window window, Window parent, Window frame, bool mapped);
    // Windows that were shown since the last call (they may be docks).
    std::vector<Window> takeShown();
    std::vector<Event> takeEvents();

    // The window manager's process: its panels and task bars are never new.
    void setManagerPid(std::optional<Pid> pid) { managerPid_ = pid; }

    std::vector<RunningApplicationRef> applications() const { return applications_.applications(); }
    // True while the window reported with this instance lives.
    bool isCurrent(Window window, std::uint64_t instance) const;
    // Forgets everything; every application terminates.
    void clear();

private:
    struct Entry {
        std::uint64_t instance = 0;
        bool fresh = false;   // created since the start and not reported yet
        Window frame = 0;     // the root's child that holds it
        Window nestedIn = 0;  // its parent while the frame holding that is looked up
        bool reading = false; // facts asked for
        bool read = false;    // facts known
        std::optional<ClientFacts> client;
    };
    Entry& entry(Window window, bool fresh);
    void manage(Window window);
    void attach(Window window, Window frame);

    std::unordered_map<Window, Entry> windows_;
    std::unordered_map<Window, bool> rootChildren_; // mapped or not
    std::unordered_map<Window, Window> frames_;     // frame -> client
    ApplicationList applications_;
    std::vector<Read> reads_;
    std::vector<std::pair<Window, Window>> lookups_;
    std::vector<Window> shown_;
    std::vector<Event> events_;
    std::uint64_t nextInstance_ = 1;
    std::optional<Pid> managerPid_;
};

} // namespace tarnwick
