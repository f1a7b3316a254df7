// A tiny X client whose windows look like whatever the end-to-end tests need:
// any window type, transient, iconic, fullscreen, not movable, without a pid,
// a dock with a strut, placed by position hints. It prints "window 0x<id>" for
// each window it maps and stays until its connection ends or it is killed.
//
// SIGUSR1 withdraws its windows, the next one maps them again ("hidden",
// "shown"). --exit-after ends the process, so that the next client may get the
// same window ids; --retitle-hz renames the windows that often.
//
// With --trace it also prints "map <id> <us>" and "configure <id> <x> <y> <us>"
// (CLOCK_MONOTONIC microseconds) for the benchmark.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
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
    std::string wmClass = "TarnwickTest";
    std::string type = "normal";
    std::string positionHint = "us";
    std::string gravity = "nw";
    int x = 100, y = 100, width = 400, height = 300;
    xcb_window_t transientFor = 0;
    bool iconic = false, fullscreen = false, maximized = false, noMove = false, noPid = false,
         trace = false;
    std::string strutSide;
    std::vector<uint32_t> shadow;  // drawn by the client itself, as GTK does
    uint32_t strut[3] = {0, 0, 0}; // size, start, end
    int destroyAfterMs = -1;
    int exitAfterMs = -1;
    int retitleHz = 0;
    int count = 1;
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr,
                 "tarnwick-testclient: %s\n"
                 "options: --class C --type normal|dialog|utility|toolbar|splash|dock|none\n"
                 "  --pos X,Y --size W,H --position-hint us|p|none --gravity nw|static|center\n"
                 "  --transient-for WID --iconic --fullscreen --maximized --no-move --no-pid\n"
                 "  --strut top|bottom|left|right,SIZE,START,END --destroy-after MS\n"
                 "  --exit-after MS --retitle-hz N --count N --trace --shadow L,R,T,B\n",
                 why);
    std::exit(2);
}

bool parsePair(const char* text, int& a, int& b) {
    return std::sscanf(text, "%d,%d", &a, &b) == 2;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage("missing value");
            return argv[++i];
        };
        if (arg == "--class")
            o.wmClass = value();
        else if (arg == "--type")
            o.type = value();
        else if (arg == "--pos") {
            if (!parsePair(value(), o.x, o.y))
                usage("bad --pos");
        } else if (arg == "--size") {
            if (!parsePair(value(), o.width, o.height) || o.width <= 0 || o.height <= 0)
                usage("bad --size");
        } else if (arg == "--position-hint")
            o.positionHint = value();
        else if (arg == "--gravity")
            o.gravity = value();
        else if (arg == "--transient-for")
            o.transientFor = static_cast<xcb_window_t>(std::strtoul(value(), nullptr, 0));
        else if (arg == "--iconic")
            o.iconic = true;
        else if (arg == "--fullscreen")
            o.fullscreen = true;
        else if (arg == "--maximized")
            o.maximized = true;
        else if (arg == "--shadow") {
            uint32_t l, r, t, b;
            if (std::sscanf(value(), "%u,%u,%u,%u", &l, &r, &t, &b) != 4)
                usage("bad --shadow");
            o.shadow = {l, r, t, b};
        } else if (arg == "--no-move")
            o.noMove = true;
        else if (arg == "--no-pid")
            o.noPid = true;
        else if (arg == "--trace")
            o.trace = true;
        else if (arg == "--destroy-after")
            o.destroyAfterMs = std::atoi(value());
        else if (arg == "--exit-after")
            o.exitAfterMs = std::atoi(value());
        else if (arg == "--retitle-hz")
            o.retitleHz = std::atoi(value());
        else if (arg == "--count")
            o.count = std::atoi(value());
        else if (arg == "--strut") {
            char side[16] = {};
            if (std::sscanf(value(), "%15[a-z],%u,%u,%u", side, &o.strut[0], &o.strut[1],
                            &o.strut[2]) != 4)
                usage("bad --strut");
            o.strutSide = side;
        } else
            usage("unknown option");
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

class Client {
public:
    explicit Client(xcb_connection_t* c) : c_(c) {
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    }

    xcb_atom_t atom(const char* name) {
        auto cookie = xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c_, cookie, nullptr);
        if (!reply)
            return XCB_ATOM_NONE;
        xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    }

    void setCardinals(xcb_window_t w, const char* prop, xcb_atom_t type,
                      const std::vector<uint32_t>& values) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(prop), type, 32,
                            static_cast<uint32_t>(values.size()), values.data());
    }

    xcb_window_t create(const Options& o) {
        xcb_window_t w = xcb_generate_id(c_);
        uint32_t values[] = {screen_->white_pixel,
                             XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen_->root, static_cast<int16_t>(o.x),
                          static_cast<int16_t>(o.y), static_cast<uint16_t>(o.width),
                          static_cast<uint16_t>(o.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

        std::string cls = "tarnwick-testclient";
        cls.push_back('\0');
        cls += o.wmClass;
        cls.push_back('\0');
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(cls.size()), cls.data());
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(o.wmClass.size()), o.wmClass.data());

        xcb_size_hints_t size{};
        if (o.positionHint == "us")
            xcb_icccm_size_hints_set_position(&size, 1, o.x, o.y);
        else if (o.positionHint == "p")
            xcb_icccm_size_hints_set_position(&size, 0, o.x, o.y);
        xcb_icccm_size_hints_set_size(&size, 1, o.width, o.height);
        if (o.gravity == "static")
            xcb_icccm_size_hints_set_win_gravity(&size, XCB_GRAVITY_STATIC);
        else if (o.gravity == "center")
            xcb_icccm_size_hints_set_win_gravity(&size, XCB_GRAVITY_CENTER);
        else
            xcb_icccm_size_hints_set_win_gravity(&size, XCB_GRAVITY_NORTH_WEST);
        xcb_icccm_set_wm_normal_hints(c_, w, &size);

        xcb_icccm_wm_hints_t hints{};
        xcb_icccm_wm_hints_set_input(&hints, 1);
        if (o.iconic)
            xcb_icccm_wm_hints_set_iconic(&hints);
        else
            xcb_icccm_wm_hints_set_normal(&hints);
        xcb_icccm_set_wm_hints(c_, w, &hints);

        if (!o.noPid)
            setCardinals(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, {static_cast<uint32_t>(getpid())});

        if (o.type != "none") {
            std::string typeAtom = "_NET_WM_WINDOW_TYPE_" + upper(o.type);
            setCardinals(w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, {atom(typeAtom.c_str())});
        }

        if (o.transientFor)
            xcb_icccm_set_wm_transient_for(c_, w, o.transientFor);
        if (o.fullscreen)
            setCardinals(w, "_NET_WM_STATE", XCB_ATOM_ATOM, {atom("_NET_WM_STATE_FULLSCREEN")});
        if (o.maximized)
            setCardinals(
                w, "_NET_WM_STATE", XCB_ATOM_ATOM,
                {atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ")});
        if (o.noMove) {
            // Motif hints: functions given, and they are close and resize only.
            constexpr uint32_t functionsFlag = 1, resize = 2, close = 32;
            xcb_atom_t motif = atom("_MOTIF_WM_HINTS");
            setCardinals(w, "_MOTIF_WM_HINTS", motif, {functionsFlag, resize | close, 0, 0, 0});
        }
        if (!o.strutSide.empty())
            setStrut(w, o);
        if (!o.shadow.empty()) {
            // Client-side decorations: no frame from the manager, a shadow of its own.
            constexpr uint32_t decorationsFlag = 2;
            xcb_atom_t motif = atom("_MOTIF_WM_HINTS");
            setCardinals(w, "_MOTIF_WM_HINTS", motif, {decorationsFlag, 0, 0, 0, 0});
            setCardinals(w, "_GTK_FRAME_EXTENTS", XCB_ATOM_CARDINAL, o.shadow);
        }

        xcb_map_window(c_, w);
        return w;
    }

    xcb_connection_t* connection() const { return c_; }

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

private:
    static std::string upper(std::string s) {
        for (char& ch : s)
            ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
        return s;
    }

    void setStrut(xcb_window_t w, const Options& o) {
        // left, right, top, bottom, then start/end pairs in the same order.
        std::vector<uint32_t> partial(12, 0);
        const char* sides[] = {"left", "right", "top", "bottom"};
        for (size_t k = 0; k < 4; ++k) {
            if (o.strutSide == sides[k]) {
                partial[k] = o.strut[0];
                partial[4 + 2 * k] = o.strut[1];
                partial[5 + 2 * k] = o.strut[2];
            }
        }
        setCardinals(w, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, partial);
        setCardinals(w, "_NET_WM_STRUT", XCB_ATOM_CARDINAL,
                     {partial[0], partial[1], partial[2], partial[3]});
    }

    xcb_connection_t* c_;
    xcb_screen_t* screen_;
};

} // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tarnwick-testclient: cannot open the display\n");
        return 1;
    }
    Client client(c);
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < options.count; ++i)
        windows.push_back(client.create(options));
    xcb_flush(c);
    for (xcb_window_t w : windows)
        std::printf("window 0x%x\n", w);

    std::signal(SIGUSR1, [](int) { toggles = toggles + 1; });
    int handledToggles = 0;
    const int64_t exitAt =
        options.exitAfterMs >= 0 ? nowUs() + int64_t{options.exitAfterMs} * 1000 : -1;
    const int64_t retitleUs = options.retitleHz > 0 ? 1000000 / options.retitleHz : 0;
    int64_t nextTitle = retitleUs > 0 ? nowUs() + retitleUs : -1;
    long titles = 0;
    const int64_t destroyAt =
        options.destroyAfterMs >= 0 ? nowUs() + int64_t{options.destroyAfterMs} * 1000 : -1;
    bool destroyed = false;
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
        int timeoutMs = -1;
        const auto wakeAt = [&](int64_t at) {
            const int ms = static_cast<int>(std::max<int64_t>(at - nowUs() + 999, 0) / 1000);
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        };
        if (handledToggles != toggles) {
            ++handledToggles;
            const bool hide = handledToggles % 2 == 1;
            for (xcb_window_t w : windows)
                hide ? client.withdraw(w) : void(xcb_map_window(c, w));
            xcb_flush(c);
            std::printf(hide ? "hidden\n" : "shown\n");
            continue;
        }
        if (exitAt >= 0) {
            if (nowUs() >= exitAt) {
                xcb_disconnect(c);
                return 0;
            }
            wakeAt(exitAt);
        }
        if (nextTitle >= 0) {
            if (nowUs() >= nextTitle) {
                const std::string title = options.wmClass + " " + std::to_string(++titles);
                for (xcb_window_t w : windows)
                    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME,
                                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(title.size()),
                                        title.data());
                xcb_flush(c);
                nextTitle += retitleUs;
                continue;
            }
            wakeAt(nextTitle);
        }
        if (destroyAt >= 0 && !destroyed) {
            const int64_t left = destroyAt - nowUs();
            if (left <= 0) {
                for (xcb_window_t w : windows)
                    xcb_destroy_window(c, w);
                xcb_flush(c);
                destroyed = true;
                std::printf("destroyed\n");
                continue;
            }
            wakeAt(destroyAt);
        }
        // A signal just before the poll is seen at the latest this late.
        wakeAt(nowUs() + 200000);
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) < 0 && errno != EINTR)
            return 1;
    }
}
