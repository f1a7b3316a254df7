// Measures tarnwick-headless on a real X server, from outside: the program runs
// behind xtrace, whose log gives every request, reply and event with a
// monotonic timestamp (millisecond resolution). Prints figures; asserts nothing.
//
//   tarnwick-bench-x11 [--burst N] [--singles N] [--idle-seconds S]

#include "Process.h"
#include "VirtualDesktop.h"
#include "XQuery.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace e2e;

namespace {

constexpr double deadline = 0.080;

struct Options {
    int burst = 200;
    int singles = 5;
    int idleSeconds = 60;
};

// One placed window as read from the trace.
struct Placement {
    double revealed = -1;  // the _NET_CLIENT_LIST change that made it known
    double requested = -1; // the _NET_MOVERESIZE_WINDOW request
    double confirmed = -1; // the first reply after it: the error check
};

struct Trace {
    // Ids come back when a client's resources are reused: one entry per appearance.
    std::map<uint32_t, std::vector<Placement>> windows;
    // Per connection, the times of replies that ended a run of requests: each one
    // is a round trip the program waited for.
    std::vector<double> roundTrips;
    int requests = 0;
};

Trace parseTrace(const std::string& path) {
    Trace trace;
    std::ifstream in(path);
    std::string line;
    struct Connection {
        char last = 0; // '<' request, '>' reply
        double listEvent = -1;
        std::map<std::string, std::string> pending; // sequence -> request text
        uint32_t awaitingConfirm = 0;
        std::set<uint32_t> clients;
    };
    std::map<std::string, Connection> connections;
    while (std::getline(in, line)) {
        // "2105.373 001:>:003c: Event PropertyNotify(28) ..."
        std::istringstream fields(line);
        double t = 0;
        std::string tag;
        if (!(fields >> t >> tag) || tag.size() < 10 || tag[3] != ':')
            continue;
        const std::string conn = tag.substr(0, 3);
        const char dir = tag[4];
        const std::string seq = tag.substr(6, 4);
        Connection& c = connections[conn];
        const bool isRequest = dir == '<' && line.find("Request(") != std::string::npos;
        const bool isReply = dir == '>' && line.find("Reply to") != std::string::npos;
        const bool isEvent = dir == '>' && line.find(" Event ") != std::string::npos;
        if (isEvent && line.find("(\"_NET_CLIENT_LIST\")") != std::string::npos)
            c.listEvent = t;
        if (isRequest) {
            ++trace.requests;
            c.pending[seq] = line;
            c.last = '<';
            auto at = line.find("_NET_MOVERESIZE_WINDOW");
            auto win = line.find(" window=0x");
            if (at != std::string::npos && win != std::string::npos && win < at) {
                uint32_t id = uint32_t(std::stoul(line.substr(win + 8, 10), nullptr, 16));
                auto& appearances = trace.windows[id];
                if (!appearances.empty() && appearances.back().requested < 0) {
                    appearances.back().requested = t;
                    c.awaitingConfirm = id;
                }
            }
        }
        if (isReply) {
            if (c.last == '<')
                trace.roundTrips.push_back(t);
            c.last = '>';
            if (c.awaitingConfirm) {
                trace.windows[c.awaitingConfirm].back().confirmed = t;
                c.awaitingConfirm = 0;
            }
            std::string request = c.pending[seq];
            c.pending.erase(seq);
            if (request.find("GetProperty") != std::string::npos &&
                request.find("(\"_NET_CLIENT_LIST\")") != std::string::npos) {
                auto data = line.find("data=");
                if (data == std::string::npos)
                    continue;
                std::stringstream ids(line.substr(data + 5));
                std::string id;
                std::set<uint32_t> now;
                while (std::getline(ids, id, ','))
                    if (id.rfind("0x", 0) == 0)
                        now.insert(uint32_t(std::stoul(id, nullptr, 16)));
                // xtrace sometimes prints a list as empty; its length tells.
                if (std::stoi(tag.substr(11)) != 32 + 4 * int(now.size()))
                    continue;
                for (uint32_t w : now)
                    if (!c.clients.contains(w))
                        trace.windows[w].push_back({c.listEvent >= 0 ? c.listEvent : t, -1, -1});
                c.clients = std::move(now);
            }
        }
    }
    return trace;
}

int roundTripsBetween(const Trace& trace, double from, double to) {
    return int(std::count_if(trace.roundTrips.begin(), trace.roundTrips.end(),
                             [&](double t) { return t > from && t <= to; }));
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
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

int waitForMoves(Process& program, const std::string& wmClass, int count) {
    int seen = 0;
    while (seen < count &&
           program.waitForLine(
               [&](const std::string& l) { return l.starts_with("moved " + wmClass + "\t"); }, 30s))
        ++seen;
    return seen;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (arg == "--burst")
            options.burst = value;
        else if (arg == "--singles")
            options.singles = value;
        else if (arg == "--idle-seconds")
            options.idleSeconds = value;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (auto reason = VirtualDesktop::unavailableReason()) {
        std::printf("cannot run: %s\n", reason->c_str());
        return 1;
    }

    const std::string layout = "1600x900+0+0*,1280x1024+1600+0";
    VirtualDesktop desktop(layout);
    if (!desktop.started()) {
        std::printf("the virtual desktop did not start\n");
        return 1;
    }
    XQuery x(desktop.display());
    const std::map<std::string, std::string> env{{"DISPLAY", desktop.display()}};
    Process dock({TARNWICK_TESTCLIENT, "--class", "BenchDock", "--type", "dock", "--pos", "0,0",
                  "--size", "1600,32", "--strut", "top,32,0,1599"},
                 env);
    waitUntil([&] { return x.clientWithClass("BenchDock").has_value(); }, 10s);
    runCommand({"xdotool", "mousemove", "2200", "500"}, env);
    std::printf("X server %s: Xorg (dummy driver), window manager %s, monitors %s\n",
                desktop.display().c_str(), x.windowManagerName().value_or("none").c_str(),
                layout.c_str());

    auto fake = freeDisplay(desktop.number());
    if (!fake) {
        std::printf("no free display for xtrace\n");
        return 1;
    }
    const std::string logPath = "/tmp/tarnwick-bench-xtrace-" + std::to_string(getpid()) + ".log";
    const std::string fakeDisplay = ":" + std::to_string(*fake);
    auto traced = std::make_unique<Process>(std::vector<std::string>{
        "xtrace", "-n", "--monotonic-timestamps", "-m", "100000", "-d", desktop.display(), "-D",
        fakeDisplay, "-o", logPath, "--", "env", "DISPLAY=" + fakeDisplay, TARNWICK_HEADLESS});
    if (!traced->waitForLine([](const std::string& l) { return l == "ready"; }, 20s)) {
        std::printf("tarnwick-headless did not start under xtrace\n");
        return 1;
    }

    std::vector<std::unique_ptr<Process>> clients;
    int singlesMoved = 0;
    for (int i = 0; i < options.singles; ++i) {
        const std::string cls = "BenchOne" + std::to_string(i);
        clients.push_back(std::make_unique<Process>(
            std::vector<std::string>{TARNWICK_TESTCLIENT, "--class", cls, "--pos", "300,300"},
            env));
        // Each stays open: a closed client's window ids would come back with the next.
        singlesMoved += waitForMoves(*traced, cls, 1);
    }
    Process burst({TARNWICK_TESTCLIENT, "--class", "BenchBurst", "--pos", "200,200", "--count",
                   std::to_string(options.burst)},
                  env);
    std::vector<uint32_t> burstIds;
    for (int i = 0; i < options.burst; ++i)
        if (auto l = burst.readLine(Clock::now() + 30s); l && l->starts_with("window "))
            burstIds.push_back(uint32_t(std::stoul(l->substr(7), nullptr, 16)));
    const int burstMoved = waitForMoves(*traced, "BenchBurst", options.burst);
    // Let the last error checks reach the log before xtrace goes.
    traced->waitForLine([](const std::string&) { return false; }, 500ms);
    traced.reset();
    std::filesystem::remove("/tmp/.X11-unix/X" + std::to_string(*fake)); // xtrace leaves it
    burst.terminate();
    clients.clear();
    // The next burst's windows may reuse these ids; a window manager that has not
    // yet let go of the old ones maps the new windows into their old, already
    // placed frames, which then rightly stay where they are.
    waitUntil([&] { return !x.clientWithClass("BenchBurst").has_value(); }, 30s);

    const Trace trace = parseTrace(logPath);
    std::set<uint32_t> burstSet(burstIds.begin(), burstIds.end());
    std::vector<double> singleLate, singleTrips;
    std::vector<double> burstLate;
    double burstFirst = 1e300, burstLast = 0;
    for (const auto& [id, appearances] : trace.windows)
        for (const Placement& p : appearances) {
            if (p.revealed < 0 || p.requested < 0)
                continue;
            const double late = (p.requested - p.revealed - deadline) * 1000;
            // The burst came last, so its windows are the last appearance of their ids.
            if (burstSet.contains(id) && &p == &appearances.back()) {
                burstLate.push_back(late);
                burstFirst = std::min(burstFirst, p.revealed);
                burstLast = std::max(burstLast, std::max(p.confirmed, p.requested));
            } else {
                singleLate.push_back(late);
                // From just before the deadline (1 ms clock) to the error check's reply.
                singleTrips.push_back(roundTripsBetween(trace, p.revealed + deadline - 0.001,
                                                        std::max(p.confirmed, p.requested)));
            }
        }
    std::printf("\none window (%d placed, median of %zu traced):\n", singlesMoved,
                singleLate.size());
    std::printf("  X round trips from the deadline to the confirmed position request: %.0f\n",
                percentile(singleTrips, 0.5));
    std::printf("  wall time from the 80 ms deadline to the position request: %.1f ms "
                "(min %.1f, max %.1f)\n",
                percentile(singleLate, 0.5), percentile(singleLate, 0), percentile(singleLate, 1));

    std::printf("\nburst of %d windows (%d placed, %zu traced):\n", options.burst, burstMoved,
                burstLate.size());
    if (!burstLate.empty()) {
        const int trips = roundTripsBetween(trace, burstFirst, burstLast);
        std::printf("  X round trips per window: %.1f (%d in all, the burst's bookkeeping "
                    "included)\n",
                    double(trips) / double(burstLate.size()), trips);
        std::printf("  wall time from each window's 80 ms deadline to its position request: "
                    "median %.1f ms, p90 %.1f ms, max %.1f ms\n",
                    percentile(burstLate, 0.5), percentile(burstLate, 0.9),
                    percentile(burstLate, 1));
        std::printf("  from the first window known to the last one placed: %.0f ms\n",
                    (burstLast - burstFirst) * 1000);
    }
    std::printf("  requests in the whole trace: %d\n", trace.requests);
    if (!std::getenv("TARNWICK_BENCH_KEEP_TRACE"))
        std::filesystem::remove(logPath);
    else
        std::printf("  trace kept in %s\n", logPath.c_str());

    // Idle: the program alone, untraced, with nothing happening.
    Process idle({TARNWICK_HEADLESS}, env);
    if (!idle.waitForLine([](const std::string& l) { return l == "ready"; }, 20s)) {
        std::printf("tarnwick-headless did not start\n");
        return 1;
    }
    {
        // The same burst untraced: xtrace's relaying slows every round trip.
        const auto begin = Clock::now();
        Process again({TARNWICK_TESTCLIENT, "--class", "BenchAgain", "--pos", "200,200", "--count",
                       std::to_string(options.burst)},
                      env);
        const int moved = waitForMoves(idle, "BenchAgain", options.burst);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        std::printf("\nthe burst untraced: %d of %d placed %.0f ms after the client started "
                    "(%.1f ms per window beyond the first 80 ms)\n",
                    moved, options.burst, ms, (ms - 80) / std::max(moved, 1));
    }
    waitUntil([] { return false; }, 3s, 100ms); // past the start-up and burst work
    const ProcSample before = sample(idle.pid());
    const auto start = Clock::now();
    waitUntil([] { return false; }, std::chrono::seconds(options.idleSeconds), 500ms);
    const ProcSample after = sample(idle.pid());
    const double minutes = std::chrono::duration<double>(Clock::now() - start).count() / 60;
    std::printf("\nidle for %d s:\n", options.idleSeconds);
    std::printf("  wake-ups (context switches, all threads): %.1f per minute\n",
                double(after.switches - before.switches) / minutes);
    const double tick = 1.0 / double(sysconf(_SC_CLK_TCK));
    if (after.cpuSeconds > before.cpuSeconds)
        std::printf("  CPU time: %.3f s per hour\n",
                    (after.cpuSeconds - before.cpuSeconds) / minutes * 60);
    else
        std::printf("  CPU time: below %.2f s per hour (not one %.0f ms tick used)\n",
                    tick / minutes * 60, tick * 1000);
    std::printf("  resident memory: %.1f MB\n", double(after.rssKb) / 1024);
    return 0;
}
