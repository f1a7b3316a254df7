#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>
#include <xcb/xcb.h>

// Watches the root's children on its own connection and notes when each was
// mapped and moved, on the clock the test client prints (steady, in µs), so
// that a window's time to its place can be split into the window manager's
// share and the program's.
class FrameWatch {
public:
    struct Moved {
        int x, y;
        long long us;
    };

    explicit FrameWatch(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        thread_ = std::thread([this] { run(); });
    }
    ~FrameWatch() {
        stop_ = true;
        thread_.join();
        xcb_disconnect(c_);
    }
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

    // The root's child that holds the client, once the manager reparented it.
    std::optional<uint32_t> frameOf(uint32_t client) {
        std::lock_guard lock(m_);
        auto it = parent_.find(client);
        return it == parent_.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<long long> mappedAt(uint32_t frame) {
        std::lock_guard lock(m_);
        auto it = mapped_.find(frame);
        return it == mapped_.end() ? std::nullopt : std::optional(it->second);
    }
    // When the frame's top-left corner first reached (x, y) after `after`.
    std::optional<long long> movedAt(uint32_t frame, int x, int y, long long after) {
        std::lock_guard lock(m_);
        for (const Moved& m : moved_[frame])
            if (m.x == x && m.y == y && m.us >= after)
                return m.us;
        return std::nullopt;
    }

    // Asks the window manager to move a client as a pager would, and returns
    // how long until the frame was seen there.
    std::optional<double> managerMoveMs(uint32_t client, int frameX, int frameY) {
        auto frame = frameOf(client);
        if (!frame)
            return std::nullopt;
        xcb_intern_atom_cookie_t ck = xcb_intern_atom(c_, 0, 22, "_NET_MOVERESIZE_WINDOW");
        xcb_intern_atom_reply_t* a = xcb_intern_atom_reply(c_, ck, nullptr);
        if (!a)
            return std::nullopt;
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = client;
        e.type = a->atom;
        free(a);
        // x and y given, source a pager; the manager turns the frame's place into the client's.
        e.data.data32[0] = (1u << 8) | (1u << 9) | (2u << 12) | XCB_GRAVITY_NORTH_WEST;
        e.data.data32[1] = uint32_t(frameX);
        e.data.data32[2] = uint32_t(frameY);
        const long long start = nowUs();
        xcb_send_event(c_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(c_);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            if (auto at = movedAt(*frame, frameX, frameY, start))
                return double(*at - start) / 1000;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return std::nullopt;
    }

    static long long nowUs() {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }

private:
    void run() {
        pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
        while (!stop_ && !xcb_connection_has_error(c_)) {
            ::poll(&fd, 1, 50);
            while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
                note(ev, nowUs());
                free(ev);
            }
        }
    }
    void note(const xcb_generic_event_t* ev, long long us) {
        std::lock_guard lock(m_);
        switch (ev->response_type & 0x7F) {
        case XCB_MAP_NOTIFY: {
            auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(ev);
            mapped_.try_emplace(e->window, us);
            break;
        }
        case XCB_REPARENT_NOTIFY: {
            auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(ev);
            parent_[e->window] = e->parent;
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(ev);
            moved_[e->window].push_back({e->x, e->y, us});
            break;
        }
        default:
            break;
        }
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex m_;
    std::map<uint32_t, uint32_t> parent_;
    std::map<uint32_t, long long> mapped_;
    std::map<uint32_t, std::vector<Moved>> moved_;
};
