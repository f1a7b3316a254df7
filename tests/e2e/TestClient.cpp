// A tiny X client whose windows look like whatever the end-to-end tests and the
// benchmark need. It prints "window 0x<id>" for each window it maps and stays
// until its connection ends or it is killed. Options (defaults in main):
//   --class NAME --type normal|dialog|utility|dock|none --pos X,Y --size W,H --count N
//   --position-hint p (program-specified) --gravity static --transient-for ID
//   --shadow L,R,T,B (drawn by the client, as GTK does) --strut top|bottom,SIZE,START,END
//   --iconic --fullscreen --maximized --no-move (Motif) --no-pid
//   --exit-after MS: ends the process, so that the next client may get the same ids
//   --retitle-hz N: renames the windows that often
//   --trace: also prints "map 0x<id> <us>" and "configure 0x<id> <x> <y> <us>"
//   (monotonic microseconds)
// SIGUSR1 withdraws its windows, the next one maps them again ("hidden", "shown").

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

namespace {

std::map<std::string, std::string> options; // by name without the dashes; "" for a switch
xcb_connection_t* c = nullptr;
xcb_screen_t* screen = nullptr;
volatile std::sig_atomic_t toggles = 0;

[[noreturn]] void usage(const std::string& why) {
    std::fprintf(stderr, "tarnwick-testclient: %s\n", why.c_str());
    std::exit(2);
}

// The option's comma-separated numbers, after a leading word if there is one.
std::vector<uint32_t> numbers(const std::string& name, size_t count) {
    std::vector<uint32_t> result;
    std::stringstream in(options[name]);
    for (std::string item; std::getline(in, item, ',');) {
        char* end = nullptr;
        const long n = std::strtol(item.c_str(), &end, 0);
        if (end != item.c_str() && !*end)
            result.push_back(uint32_t(n));
    }
    if (result.size() != count)
        usage("bad --" + name);
    return result;
}

int64_t nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

xcb_atom_t atom(const std::string& name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return a;
}

void set(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type, const std::vector<uint32_t>& v) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, prop, type, 32,
                        static_cast<uint32_t>(v.size()), v.data());
}
void setText(xcb_window_t w, xcb_atom_t prop, const std::string& text) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, prop, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(text.size()), text.data());
}

xcb_window_t create() {
    const xcb_window_t w = xcb_generate_id(c);
    const auto pos = numbers("pos", 2), size = numbers("size", 2);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, int16_t(pos[0]), int16_t(pos[1]),
                      uint16_t(size[0]), uint16_t(size[1]), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string& wmClass = options["class"];
    setText(w, XCB_ATOM_WM_CLASS, std::string("tarnwick-testclient\0", 20) + wmClass + '\0');
    setText(w, XCB_ATOM_WM_NAME, wmClass);

    xcb_size_hints_t sizeHints{};
    xcb_icccm_size_hints_set_position(&sizeHints, options["position-hint"] != "p", int(pos[0]),
                                      int(pos[1]));
    xcb_icccm_size_hints_set_size(&sizeHints, 1, int(size[0]), int(size[1]));
    xcb_icccm_size_hints_set_win_gravity(
        &sizeHints, options["gravity"] == "static" ? XCB_GRAVITY_STATIC : XCB_GRAVITY_NORTH_WEST);
    xcb_icccm_set_wm_normal_hints(c, w, &sizeHints);
    xcb_icccm_wm_hints_t hints{};
    xcb_icccm_wm_hints_set_input(&hints, 1);
    options.contains("iconic") ? xcb_icccm_wm_hints_set_iconic(&hints)
                               : xcb_icccm_wm_hints_set_normal(&hints);
    xcb_icccm_set_wm_hints(c, w, &hints);

    if (!options.contains("no-pid"))
        set(w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, {uint32_t(getpid())});
    if (std::string type = options["type"]; type != "none") {
        std::transform(type.begin(), type.end(), type.begin(), ::toupper);
        set(w, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, {atom("_NET_WM_WINDOW_TYPE_" + type)});
    }
    if (options.contains("transient-for"))
        xcb_icccm_set_wm_transient_for(c, w, numbers("transient-for", 1)[0]);
    if (options.contains("fullscreen"))
        set(w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, {atom("_NET_WM_STATE_FULLSCREEN")});
    if (options.contains("maximized"))
        set(w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM,
            {atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ")});
    // Motif hints: with functions close and resize only, or without decorations.
    const xcb_atom_t motif = atom("_MOTIF_WM_HINTS");
    if (options.contains("no-move"))
        set(w, motif, motif, {1, 2 | 32, 0, 0, 0});
    if (options.contains("shadow")) {
        set(w, motif, motif, {2, 0, 0, 0, 0});
        set(w, atom("_GTK_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, numbers("shadow", 4));
    }
    if (options.contains("strut")) {
        // left, right, top, bottom, then start/end pairs in the same order.
        const size_t k = options["strut"].starts_with("top,") ? 2 : 3;
        const auto strut = numbers("strut", 3);
        std::vector<uint32_t> partial(12, 0);
        partial[k] = strut[0];
        partial[4 + 2 * k] = strut[1];
        partial[5 + 2 * k] = strut[2];
        set(w, atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, partial);
        set(w, atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, {partial.begin(), partial.begin() + 4});
    }
    xcb_map_window(c, w);
    return w;
}

// Withdrawn as ICCCM says: unmapped, and told to the window manager.
void withdraw(xcb_window_t w) {
    xcb_unmap_window(c, w);
    xcb_unmap_notify_event_t e{};
    e.response_type = XCB_UNMAP_NOTIFY;
    e.event = screen->root;
    e.window = w;
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args{"--class", "TarnwickTest", "--type",  "normal",  "--pos",
                                  "100,100", "--size",       "400,300", "--count", "1"};
    args.insert(args.end(), argv + 1, argv + argc);
    const std::string valued =
        " class type pos size position-hint gravity transient-for shadow strut exit-after "
        "retitle-hz count ";
    const std::string switches = " iconic fullscreen maximized no-move no-pid trace ";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = arg.starts_with("--") ? arg.substr(2) : "";
        if (valued.find(" " + name + " ") != std::string::npos && i + 1 < args.size())
            options[name] = args[++i];
        else if (switches.find(" " + name + " ") != std::string::npos)
            options[name] = "";
        else
            usage("unknown option " + arg);
    }
    const uint32_t count = numbers("count", 1)[0];
    if (count < 1 || count > 1000)
        usage("bad --count");
    const bool trace = options.contains("trace");
    const int64_t exitAt =
        options.contains("exit-after") ? nowUs() + numbers("exit-after", 1)[0] * 1000LL : -1;
    const int64_t retitleUs =
        options.contains("retitle-hz") ? 1000000 / std::max(1u, numbers("retitle-hz", 1)[0]) : 0;

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        usage("cannot open the display");
    screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::vector<xcb_window_t> windows;
    for (uint32_t i = 0; i < count; ++i)
        windows.push_back(create());
    xcb_flush(c);
    for (xcb_window_t w : windows)
        std::printf("window 0x%x\n", w);

    std::signal(SIGUSR1, [](int) { toggles = toggles + 1; });
    int handledToggles = 0;
    int64_t nextTitle = retitleUs > 0 ? nowUs() + retitleUs : -1;
    for (long titles = 1;;) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            const auto* conf = reinterpret_cast<xcb_configure_notify_event_t*>(e);
            if (trace && (e->response_type & 0x7f) == XCB_MAP_NOTIFY)
                std::printf("map 0x%x %lld\n", reinterpret_cast<xcb_map_notify_event_t*>(e)->window,
                            static_cast<long long>(nowUs()));
            else if (trace && (e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY)
                std::printf("configure 0x%x %d %d %lld\n", conf->window, conf->x, conf->y,
                            static_cast<long long>(nowUs()));
            std::free(e);
        }
        // The server went away, or the time is up: the windows end with the connection.
        if (xcb_connection_has_error(c) || (exitAt >= 0 && nowUs() >= exitAt))
            return 0;
        for (; handledToggles != toggles; ++handledToggles) {
            const bool hide = handledToggles % 2 == 0;
            for (xcb_window_t w : windows)
                hide ? withdraw(w) : void(xcb_map_window(c, w));
            xcb_flush(c);
            std::printf(hide ? "hidden\n" : "shown\n");
        }
        if (nextTitle >= 0 && nowUs() >= nextTitle) {
            for (xcb_window_t w : windows)
                setText(w, XCB_ATOM_WM_NAME, options["class"] + " " + std::to_string(titles++));
            xcb_flush(c);
            nextTitle += retitleUs;
        }
        // A signal just before the poll is seen at the latest 200 ms later.
        int64_t wakeAt = nowUs() + 200000;
        for (int64_t at : {exitAt, nextTitle})
            if (at >= 0)
                wakeAt = std::min(wakeAt, at);
        pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (poll(&pfd, 1, int(std::max<int64_t>(wakeAt - nowUs() + 999, 0) / 1000)) < 0 &&
            errno != EINTR)
            return 1;
    }
}
