// A tiny X client whose windows look like whatever the end-to-end tests and the
// benchmark need (the options are those parse() reads). It prints "window 0x<id>" for each window
// it maps and stays until its connection ends or it is killed.
//
// SIGUSR1 withdraws its windows, the next one maps them again ("hidden",
// "shown"). --exit-after ends the process, so that the next client may get the
// same window ids; --retitle-hz renames the windows that often. With --trace it
// also prints "map <id> <us>" and "configure <id> <x> <y> <us>" (monotonic
// microseconds).

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

namespace {

struct Options {
    std::string wmClass = "TarnwickTest", type = "normal", strutSide;
    bool programPosition = false, staticGravity = false, iconic = false, fullscreen = false,
         maximized = false, noMove = false, noPid = false, trace = false;
    int x = 100, y = 100, width = 400, height = 300, exitAfterMs = -1, retitleHz = 0, count = 1;
    xcb_window_t transientFor = 0;
    std::vector<uint32_t> shadow;  // drawn by the client itself, as GTK does
    uint32_t strut[3] = {0, 0, 0}; // size, start, end
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr, "tarnwick-testclient: %s; the options are in TestClient.cpp\n", why);
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage("missing value");
            return argv[++i];
        };
        bool ok = true;
        if (arg == "--class")
            o.wmClass = value();
        else if (arg == "--type")
            o.type = value();
        else if (arg == "--pos")
            ok = std::sscanf(value(), "%d,%d", &o.x, &o.y) == 2;
        else if (arg == "--size")
            ok = std::sscanf(value(), "%d,%d", &o.width, &o.height) == 2 && o.width > 0 &&
                 o.height > 0;
        else if (arg == "--position-hint")
            o.programPosition = std::string_view(value()) == "p";
        else if (arg == "--gravity")
            o.staticGravity = std::string_view(value()) == "static";
        else if (arg == "--transient-for")
            o.transientFor = static_cast<xcb_window_t>(std::strtoul(value(), nullptr, 0));
        else if (arg == "--shadow") {
            o.shadow.resize(4);
            ok = std::sscanf(value(), "%u,%u,%u,%u", &o.shadow[0], &o.shadow[1], &o.shadow[2],
                             &o.shadow[3]) == 4;
        } else if (arg == "--strut") {
            char side[16] = {};
            ok = std::sscanf(value(), "%15[a-z],%u,%u,%u", side, &o.strut[0], &o.strut[1],
                             &o.strut[2]) == 4;
            o.strutSide = side;
        } else if (arg == "--exit-after")
            o.exitAfterMs = std::atoi(value());
        else if (arg == "--retitle-hz")
            o.retitleHz = std::atoi(value());
        else if (arg == "--count")
            o.count = std::atoi(value());
        else if (arg == "--iconic")
            o.iconic = true;
        else if (arg == "--fullscreen")
            o.fullscreen = true;
        else if (arg == "--maximized")
            o.maximized = true;
        else if (arg == "--no-move")
            o.noMove = true;
        else if (arg == "--no-pid")
            o.noPid = true;
        else if (arg == "--trace")
            o.trace = true;
        else
            usage("unknown option");
        if (!ok)
            usage("bad value");
    }
    if (o.count < 1 || o.count > 1000)
        usage("bad --count");
    return o;
}

volatile std::sig_atomic_t toggles = 0;

int64_t nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

xcb_connection_t* c_ = nullptr;
xcb_screen_t* screen_ = nullptr;

xcb_atom_t atom(const std::string& name) {
    auto* reply = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return a;
}

void set(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type, const std::vector<uint32_t>& v) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, prop, type, 32,
                        static_cast<uint32_t>(v.size()), v.data());
}
void setText(xcb_window_t w, xcb_atom_t prop, const std::string& text) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, prop, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(text.size()), text.data());
}

xcb_window_t create(const Options& o) {
    const xcb_window_t w = xcb_generate_id(c_);
    const uint32_t values[] = {screen_->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen_->root, static_cast<int16_t>(o.x),
                      static_cast<int16_t>(o.y), static_cast<uint16_t>(o.width),
                      static_cast<uint16_t>(o.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    setText(w, XCB_ATOM_WM_CLASS, std::string("tarnwick-testclient\0", 20) + o.wmClass + '\0');
    setText(w, XCB_ATOM_WM_NAME, o.wmClass);

    xcb_size_hints_t size{};
    xcb_icccm_size_hints_set_position(&size, !o.programPosition, o.x, o.y);
    xcb_icccm_size_hints_set_size(&size, 1, o.width, o.height);
    xcb_icccm_size_hints_set_win_gravity(&size, o.staticGravity ? XCB_GRAVITY_STATIC
                                                                : XCB_GRAVITY_NORTH_WEST);
    xcb_icccm_set_wm_normal_hints(c_, w, &size);
    xcb_icccm_wm_hints_t hints{};
    xcb_icccm_wm_hints_set_input(&hints, 1);
    o.iconic ? xcb_icccm_wm_hints_set_iconic(&hints) : xcb_icccm_wm_hints_set_normal(&hints);
    xcb_icccm_set_wm_hints(c_, w, &hints);

    if (!o.noPid)
        set(w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, {static_cast<uint32_t>(getpid())});
    if (o.type != "none") {
        std::string type = o.type;
        std::transform(type.begin(), type.end(), type.begin(), ::toupper);
        set(w, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, {atom("_NET_WM_WINDOW_TYPE_" + type)});
    }
    if (o.transientFor)
        xcb_icccm_set_wm_transient_for(c_, w, o.transientFor);
    if (o.fullscreen)
        set(w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, {atom("_NET_WM_STATE_FULLSCREEN")});
    if (o.maximized)
        set(w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM,
            {atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ")});
    // Motif hints: with functions close and resize only, or without decorations.
    const xcb_atom_t motif = atom("_MOTIF_WM_HINTS");
    if (o.noMove)
        set(w, motif, motif, {1, 2 | 32, 0, 0, 0});
    if (!o.shadow.empty()) {
        set(w, motif, motif, {2, 0, 0, 0, 0});
        set(w, atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, o.shadow);
    }
    if (!o.strutSide.empty()) {
        // left, right, top, bottom, then start/end pairs in the same order.
        std::vector<uint32_t> partial(12, 0);
        const char* sides[] = {"left", "right", "top", "bottom"};
        for (size_t k = 0; k < 4; ++k)
            if (o.strutSide == sides[k]) {
                partial[k] = o.strut[0];
                partial[4 + 2 * k] = o.strut[1];
                partial[5 + 2 * k] = o.strut[2];
            }
        set(w, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, partial);
        set(w, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, {partial.begin(), partial.begin() + 4});
    }
    xcb_map_window(c_, w);
    return w;
}

// Withdrawn as ICCCM says: unmapped, and told to the window manager.
void withdraw(xcb_window_t w) {
    xcb_unmap_window(c_, w);
    xcb_unmap_notify_event_t e{};
    e.response_type = XCB_UNMAP_NOTIFY;
    e.event = screen_->root;
    e.window = w;
    xcb_send_event(c_, 0, screen_->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    xcb_connection_t* c = c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tarnwick-testclient: cannot open the display\n");
        return 1;
    }
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < options.count; ++i)
        windows.push_back(create(options));
    xcb_flush(c);
    for (xcb_window_t w : windows)
        std::printf("window 0x%x\n", w);

    std::signal(SIGUSR1, [](int) { toggles = toggles + 1; });
    int handledToggles = 0;
    const int64_t exitAt = options.exitAfterMs >= 0 ? nowUs() + options.exitAfterMs * 1000LL : -1;
    const int64_t retitleUs = options.retitleHz > 0 ? 1000000 / options.retitleHz : 0;
    int64_t nextTitle = retitleUs > 0 ? nowUs() + retitleUs : -1;
    long titles = 0;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const uint8_t kind = event->response_type & 0x7f;
            if (options.trace && kind == XCB_MAP_NOTIFY) {
                auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                std::printf("map 0x%x %lld\n", map->window, static_cast<long long>(nowUs()));
            } else if (options.trace && kind == XCB_CONFIGURE_NOTIFY) {
                auto* conf = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                std::printf("configure 0x%x %d %d %lld\n", conf->window, conf->x, conf->y,
                            static_cast<long long>(nowUs()));
            }
            std::free(event);
        }
        if (xcb_connection_has_error(c))
            return 0; // the server went away: so do we
        if (handledToggles != toggles) {
            const bool hide = ++handledToggles % 2 == 1;
            for (xcb_window_t w : windows)
                hide ? withdraw(w) : void(xcb_map_window(c, w));
            xcb_flush(c);
            std::printf(hide ? "hidden\n" : "shown\n");
            continue;
        }
        if (exitAt >= 0 && nowUs() >= exitAt) {
            xcb_disconnect(c);
            return 0;
        }
        if (nextTitle >= 0 && nowUs() >= nextTitle) {
            const std::string title = options.wmClass + " " + std::to_string(++titles);
            for (xcb_window_t w : windows)
                setText(w, XCB_ATOM_WM_NAME, title);
            xcb_flush(c);
            nextTitle += retitleUs;
            continue;
        }
        // A signal just before the poll is seen at the latest 200 ms later.
        int64_t wakeAt = nowUs() + 200000;
        for (int64_t at : {exitAt, nextTitle})
            if (at >= 0)
                wakeAt = std::min(wakeAt, at);
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        const int timeoutMs = static_cast<int>(std::max<int64_t>(wakeAt - nowUs() + 999, 0) / 1000);
        if (poll(&pfd, 1, timeoutMs) < 0 && errno != EINTR)
            return 1;
    }
}
