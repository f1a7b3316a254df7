// Measures tarnwick-headless on a real X server, from outside. Prints figures;
// asserts nothing.
//
//   tarnwick-bench-x11 [--program PATH] [--singles N] [--burst N] [--idle-seconds S]
//
// Traced (the program behind xtrace, whose log gives every request, reply and
// event): the X requests and waits of one placement, with 2, 4 and 16
// monitors. A placement's handling is the program's run of requests that ends
// with its position request, after the 80 ms of quiet; a wait is a reply the
// program needed before it could send anything more. Untraced: from a window's
// map to its frame observed at the place the rule computes, with 1, 100 and
// 1,000 windows open, and the window manager's share of that apart; a burst;
// the idle program's wake-ups, also while another window retitles ten times a
// second. Every client stays open to the end, so that no window id comes back.

#include "FrameWatch.h"
#include "Placement.h"
#include "Process.h"
#include "VirtualDesktop.h"
#include "XQuery.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace e2e;

namespace {

struct Options {
    std::string program = TARNWICK_HEADLESS;
    int singles = 5;
    int burst = 200;
    int idleSeconds = 60;
};

const std::string kLayout2 = "1600x900+0+0*,1280x1024+1600+0";
const std::string kLayout4 = kLayout2 + ",1024x768+2880+0,1024x768+3904+0";
std::string layout16() {
    std::string s;
    for (int i = 0; i < 16; ++i)
        s += (i ? "," : "") + std::string("640x480+") + std::to_string(640 * (i % 8)) + "+" +
             std::to_string(480 * (i / 8)) + (i == 0 ? "*" : "");
    return s;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

// One placement in the trace: its handling's requests and waits.
struct Handling {
    uint32_t window = 0;
    int requests = 0;
    int waits = 0;
};

std::vector<Handling> parseTrace(const std::string& path) {
    struct Entry {
        double t;
        bool request;
        bool reply;
        std::string seq;
        std::string text;
    };
    std::vector<Entry> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        // "2105.373 001:>:003c: Event PropertyNotify(28) ..."
        std::istringstream fields(line);
        double t = 0;
        std::string tag;
        if (!(fields >> t >> tag) || tag.size() < 10 || tag[3] != ':')
            continue;
        const bool request = tag[4] == '<' && line.find("Request(") != std::string::npos;
        const bool reply = tag[4] == '>' && line.find("Reply to") != std::string::npos;
        if (request || reply)
            entries.push_back({t, request, reply, tag.substr(6, 4), line});
    }
    // Where each request's reply is in the log.
    constexpr size_t kNever = ~size_t{0};
    std::vector<size_t> answeredAt(entries.size(), kNever);
    std::map<std::string, size_t> lastAsked; // sequence -> its latest request
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].request)
            lastAsked[entries[i].seq] = i;
        else if (auto q = lastAsked.find(entries[i].seq); q != lastAsked.end())
            answeredAt[q->second] = std::min(answeredAt[q->second], i);
    }
    std::vector<Handling> handlings;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const auto at = e.text.find("_NET_MOVERESIZE_WINDOW");
        const auto win = e.text.find(" window=0x");
        if (!e.request || at == std::string::npos || win == std::string::npos || win > at)
            continue;
        // Back to the first request after the quiet before the deadline.
        size_t start = i;
        for (size_t k = i; k-- > 0;) {
            if (!entries[k].request)
                continue;
            if (entries[start].t - entries[k].t >= 0.040)
                break;
            start = k;
        }
        Handling h;
        h.window = uint32_t(std::stoul(e.text.substr(win + 8, 10), nullptr, 16));
        // A wait: the program sends again only after the latest of its questions
        // was answered. Replies that xtrace logs between the requests of one
        // pipelined batch are no wait.
        // The position request ends the handling: what follows at once is the
        // next window's first reads, not part of this placement.
        const size_t end = i;
        std::optional<size_t> question; // the latest request that has a reply
        bool counted = false;
        for (size_t k = start; k <= end; ++k) {
            if (!entries[k].request)
                continue;
            if (question && !counted && answeredAt[*question] < k) {
                ++h.waits;
                counted = true;
            }
            ++h.requests;
            if (answeredAt[k] != kNever) {
                question = k;
                counted = false;
            }
        }
        if (question && !counted && answeredAt[*question] <= end)
            ++h.waits; // the last answer the handling took
        handlings.push_back(h);
    }
    return handlings;
}

struct ProcSample {
    double cpuSeconds = 0;
    long switches = 0;
    long rssKb = 0;
};

ProcSample sample(pid_t pid) {
    ProcSample s;
    const std::string base = "/proc/" + std::to_string(pid);
    {
        std::ifstream stat(base + "/stat");
        std::string all;
        std::getline(stat, all);
        std::istringstream rest(all.substr(all.rfind(')') + 2));
        std::string field;
        std::vector<std::string> f;
        while (rest >> field)
            f.push_back(field);
        // Fields 14 and 15 (utime, stime) are at 11 and 12 after the name.
        if (f.size() > 12)
            s.cpuSeconds =
                double(std::stol(f[11]) + std::stol(f[12])) / double(sysconf(_SC_CLK_TCK));
    }
    for (const auto& task : std::filesystem::directory_iterator(base + "/task")) {
        std::ifstream status(task.path() / "status");
        std::string key;
        long value = 0;
        while (status >> key) {
            if (key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:") {
                status >> value;
                s.switches += value;
            }
        }
    }
    std::ifstream status(base + "/status");
    std::string key;
    while (status >> key)
        if (key == "VmRSS:")
            status >> s.rssKb;
    return s;
}

std::optional<int> freeDisplay(int avoid) {
    for (int n = 50; n < 70; ++n)
        if (n != avoid && !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) &&
            !std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            return n;
    return std::nullopt;
}

class Bench {
public:
    Bench(const Options& options, VirtualDesktop& desktop)
        : o_(options), desktop_(desktop),
          x_(desktop.display()), env_{{"DISPLAY", desktop.display()}} {}

    std::unique_ptr<Process> startProgram(const std::string& display) {
        auto p =
            std::make_unique<Process>(std::vector<std::string>{o_.program},
                                      std::map<std::string, std::string>{{"DISPLAY", display}});
        if (!p->waitForLine([](const std::string& l) { return l == "ready"; }, 20s))
            return nullptr;
        return p;
    }

    void pointAtLast() {
        const Rect& f = desktop_.monitors().back().frame;
        const int px = int(f.x + f.width / 2), py = int(f.y + f.height / 2);
        runCommand({"xdotool", "mousemove", std::to_string(px), std::to_string(py)}, env_);
        waitUntil([&] { return x_.pointer() == std::pair{px, py}; }, 5s);
        pointer_ = {px, py};
    }

    // Opens count windows at (x, y) on the primary monitor and follows them from
    // their map until their clients are told they are where the rule puts them.
    struct Opened {
        std::vector<uint32_t> ids;
        struct Placed {
            uint32_t id;
            long long mappedUs, toldUs; // the client's map, and its news of the new place
            int frameX, frameY;
        };
        std::vector<Placed> details;
    };
    Opened open(const std::string& cls, int count, int x, int y, int w, int h,
                Clock::duration timeout = 30s) {
        auto p = std::make_unique<Process>(
            std::vector<std::string>{TARNWICK_TESTCLIENT, "--class", cls, "--pos",
                                     std::to_string(x) + "," + std::to_string(y), "--size",
                                     std::to_string(w) + "," + std::to_string(h), "--count",
                                     std::to_string(count), "--trace"},
            env_);
        const Rect initial{double(x), double(y), double(w + extents_[0] + extents_[1]),
                           double(h + extents_[2] + extents_[3])};
        auto target = expectedPosition(initial, pointer_.first, pointer_.second, screens());
        std::map<uint32_t, long long> mapped; // µs
        Opened result;
        const auto deadline = Clock::now() + timeout;
        while (target && int(result.details.size()) < count) {
            auto line = p->readLine(deadline);
            if (!line)
                break;
            unsigned id = 0;
            int cx = 0, cy = 0;
            long long us = 0;
            if (std::sscanf(line->c_str(), "window 0x%x", &id) == 1) {
                result.ids.push_back(id);
            } else if (std::sscanf(line->c_str(), "map 0x%x %lld", &id, &us) == 2) {
                mapped.emplace(id, us);
            } else if (std::sscanf(line->c_str(), "configure 0x%x %d %d %lld", &id, &cx, &cy,
                                   &us) == 4 &&
                       mapped.contains(id) && std::abs(cx - extents_[0] - target->first) <= 1 &&
                       std::abs(cy - extents_[2] - target->second) <= 1) {
                result.details.push_back(
                    {id, mapped[id], us, cx - int(extents_[0]), cy - int(extents_[2])});
                mapped.erase(id); // counted once
            }
        }
        kept_.push_back(std::move(p));
        return result;
    }

    // Windows on the pointer's monitor, where they stay: the crowd of open windows.
    void openCrowd(int count) {
        const size_t before = x_.clientList().size();
        const Rect& f = desktop_.monitors().back().frame;
        kept_.push_back(std::make_unique<Process>(
            std::vector<std::string>{TARNWICK_TESTCLIENT, "--class", "BenchCrowd", "--pos",
                                     std::to_string(int(f.x) + 50) + "," +
                                         std::to_string(int(f.y) + 50),
                                     "--size", "200,150", "--count", std::to_string(count)},
            env_));
        waitUntil([&] { return x_.clientList().size() >= before + size_t(count); }, 120s, 200ms);
    }

    bool readExtents() {
        auto p =
            std::make_unique<Process>(std::vector<std::string>{TARNWICK_TESTCLIENT, "--class",
                                                               "BenchProbe", "--pos", "1700,100"},
                                      env_);
        std::optional<xcb_window_t> id;
        waitUntil(
            [&] {
                id = x_.clientWithClass("BenchProbe");
                return id && x_.cardinals(*id, "_NET_FRAME_EXTENTS").size() == 4;
            },
            10s);
        if (!id)
            return false;
        auto e = x_.cardinals(*id, "_NET_FRAME_EXTENTS");
        std::copy(e.begin(), e.end(), extents_);
        kept_.push_back(std::move(p));
        return true;
    }

    std::vector<Screen> screens() {
        return screensOf(desktop_.monitors(), {{Strut::Top, 32, 0, 1599}}, x_.rootSize().second);
    }

    void relayout(const std::string& layout) {
        desktop_.relayout(layout);
        const auto& last = desktop_.monitors().back().frame;
        waitUntil([&] { return x_.rootSize().first == int(last.x + last.width); }, 10s);
        pointAtLast();
    }

    const Options& o_;
    VirtualDesktop& desktop_;
    XQuery x_;
    std::map<std::string, std::string> env_;
    std::pair<int, int> pointer_{0, 0};
    uint32_t extents_[4] = {0, 0, 0, 0};
    std::vector<std::unique_ptr<Process>> kept_;
};

void printIdle(const char* what, Process& program, int seconds) {
    const ProcSample before = sample(program.pid());
    const auto start = Clock::now();
    waitUntil([] { return false; }, std::chrono::seconds(seconds), 500ms);
    const ProcSample after = sample(program.pid());
    const double minutes = std::chrono::duration<double>(Clock::now() - start).count() / 60;
    std::printf("  %s: %.1f wake-ups per minute, CPU %.3f s per hour, resident %.1f MB\n", what,
                double(after.switches - before.switches) / minutes,
                (after.cpuSeconds - before.cpuSeconds) / minutes * 60, double(after.rssKb) / 1024);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--program")
            options.program = argv[i + 1];
        else if (arg == "--singles")
            options.singles = std::atoi(argv[i + 1]);
        else if (arg == "--burst")
            options.burst = std::atoi(argv[i + 1]);
        else if (arg == "--idle-seconds")
            options.idleSeconds = std::atoi(argv[i + 1]);
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (auto reason = VirtualDesktop::unavailableReason()) {
        std::printf("cannot run: %s\n", reason->c_str());
        return 1;
    }
    VirtualDesktop desktop(kLayout2);
    if (!desktop.started()) {
        std::printf("the virtual desktop did not start\n");
        return 1;
    }
    Bench b(options, desktop);
    Process dock({TARNWICK_TESTCLIENT, "--class", "BenchDock", "--type", "dock", "--pos", "0,0",
                  "--size", "1600,32", "--strut", "top,32,0,1599"},
                 b.env_);
    waitUntil([&] { return b.x_.clientWithClass("BenchDock").has_value(); }, 10s);
    if (!b.readExtents()) {
        std::printf("no window was managed\n");
        return 1;
    }
    b.pointAtLast();
    std::printf("program %s\nX server %s: Xorg (dummy driver), window manager %s, a docked strut\n",
                options.program.c_str(), desktop.display().c_str(),
                b.x_.windowManagerName().value_or("none").c_str());

    // Traced: requests and waits of one placement, by the number of monitors.
    auto fake = freeDisplay(desktop.number());
    if (!fake) {
        std::printf("no free display for xtrace\n");
        return 1;
    }
    const std::string logPath = "/tmp/tarnwick-bench-xtrace-" + std::to_string(getpid()) + ".log";
    const std::string fakeDisplay = ":" + std::to_string(*fake);
    {
        Process traced({"xtrace", "-n", "--monotonic-timestamps", "-m", "100000", "-d",
                        desktop.display(), "-D", fakeDisplay, "-o", logPath, "--", "env",
                        "DISPLAY=" + fakeDisplay, options.program});
        if (!traced.waitForLine([](const std::string& l) { return l == "ready"; }, 20s)) {
            std::printf("the program did not start under xtrace\n");
            return 1;
        }
        std::map<uint32_t, int> monitorsOf;
        for (const std::string& layout : {kLayout2, kLayout4, layout16()}) {
            b.relayout(layout);
            const int n = int(desktop.monitors().size());
            // The first placement after a layout change reads the monitors' names
            // again; what is measured is the steady cost.
            b.open("BenchWarmUp" + std::to_string(n), 1, 100, 100, 300, 200, 10s);
            for (int i = 0; i < options.singles; ++i)
                for (uint32_t id :
                     b.open("BenchTraced" + std::to_string(n), 1, 100, 100, 300, 200, 10s).ids)
                    monitorsOf[id] = n;
        }
        traced.waitForLine([](const std::string&) { return false; }, 500ms);
        traced.terminate();
        std::filesystem::remove("/tmp/.X11-unix/X" + std::to_string(*fake)); // xtrace leaves it
        std::map<int, std::vector<double>> requests, waits;
        for (const Handling& h : parseTrace(logPath))
            if (monitorsOf.contains(h.window)) {
                requests[monitorsOf[h.window]].push_back(h.requests);
                waits[monitorsOf[h.window]].push_back(h.waits);
            }
        std::printf("\none placement, traced, from the end of the 80 ms to its last request "
                    "(median of %d windows):\n",
                    options.singles);
        for (const auto& [n, list] : requests)
            std::printf("  %2d monitors: %.0f waits, %.0f requests (%zu traced)\n", n,
                        median(waits[n]), median(list), list.size());
        if (!std::getenv("TARNWICK_BENCH_KEEP_TRACE"))
            std::filesystem::remove(logPath);
        else
            std::printf("  trace kept in %s\n", logPath.c_str());
    }
    b.relayout(kLayout2);

    auto program = b.startProgram(desktop.display());
    if (!program) {
        std::printf("the program did not start\n");
        return 1;
    }
    FrameWatch watch(desktop.display());
    std::printf("\none window, untraced, from its map to its frame observed at its place, with "
                "other windows open:\n");
    int open = 3; // the probe, the dock and the one measured
    // From each window's map to its frame seen at its place by the watch; also
    // when the manager showed the frame, and when the client was told.
    struct Split {
        std::vector<double> atPlace, shown, told;
    };
    auto split = [&](const std::vector<Bench::Opened::Placed>& details) {
        Split s;
        for (const auto& d : details) {
            std::optional<uint32_t> frame;
            std::optional<long long> shownAt, movedAt;
            // The watch may lag a moment behind the client's news.
            waitUntil(
                [&] {
                    frame = watch.frameOf(d.id);
                    shownAt = frame ? watch.mappedAt(*frame) : std::nullopt;
                    movedAt = shownAt ? watch.movedAt(*frame, d.frameX, d.frameY, *shownAt)
                                      : std::nullopt;
                    return movedAt.has_value();
                },
                1s, 1ms);
            if (movedAt) {
                s.atPlace.push_back(double(*movedAt - d.mappedUs) / 1000);
                s.shown.push_back(double(*shownAt - d.mappedUs) / 1000);
                s.told.push_back(double(d.toldUs - *movedAt) / 1000);
            }
        }
        return s;
    };
    auto among = [&](int crowd) {
        if (crowd > open) {
            b.openCrowd(crowd - open);
            open = crowd;
        }
        std::vector<Bench::Opened::Placed> details;
        std::vector<double> moving;
        for (int i = 0; i < options.singles; ++i) {
            auto opened = b.open("BenchAmong" + std::to_string(crowd), 1, 300, 300, 400, 300);
            details.insert(details.end(), opened.details.begin(), opened.details.end());
            // The same move asked by a pager, straight of the manager.
            for (const auto& d : opened.details)
                if (auto ms = watch.managerMoveMs(d.id, d.frameX + 10, d.frameY))
                    moving.push_back(*ms);
        }
        open += options.singles;
        const Split s = split(details);
        std::printf("  %4d open: %zu of %d at their place, median %.1f ms, max %.1f ms\n", crowd,
                    s.atPlace.size(), options.singles, median(s.atPlace), percentile(s.atPlace, 1));
        std::printf("             the window manager's own share: map to frame shown %.1f ms, a "
                    "move asked alone %.1f ms; the client told %.1f ms after\n",
                    median(s.shown), median(moving), median(s.told));
    };
    among(1);
    among(100);

    {
        const ProcSample cpu = sample(program->pid());
        const auto start = Clock::now();
        const auto opened = b.open("BenchBurst", options.burst, 200, 200, 300, 200, 60s);
        const std::vector<double> placed = split(opened.details).atPlace;
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const double cpuMs = (sample(program->pid()).cpuSeconds - cpu.cpuSeconds) * 1000;
        open += options.burst;
        std::printf("\nburst of %d windows, untraced: %zu observed at their place; map to place "
                    "median %.0f ms, p90 %.0f ms, max %.0f ms; all within %.0f ms of the start\n",
                    options.burst, placed.size(), median(placed), percentile(placed, 0.9),
                    percentile(placed, 1), ms);
        std::printf("  the program's CPU time meanwhile: %.0f ms\n", cpuMs);
    }

    std::printf("\nidle for %d s each, untraced:\n", options.idleSeconds);
    waitUntil([] { return false; }, 3s, 100ms); // past the burst's work
    printIdle("nothing happening", *program, options.idleSeconds);
    Process retitler({TARNWICK_TESTCLIENT, "--class", "BenchRetitle", "--pos", "1700,600", "--size",
                      "200,100", "--retitle-hz", "10"},
                     b.env_);
    waitUntil([&] { return b.x_.clientWithClass("BenchRetitle").has_value(); }, 10s);
    waitUntil([] { return false; }, 1s, 100ms);
    printIdle("a window retitled 10 times a second", *program, options.idleSeconds);
    ++open;

    std::printf("\none window among many, untraced:\n");
    among(1000);
    return 0;
}
