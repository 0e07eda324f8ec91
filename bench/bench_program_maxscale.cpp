// As many concurrent panel connections as this machine lets the real program hold (voduro
// --headless, journal on, log files off, Tx link to an automation receiver in this process,
// "Max Connections" 1,000,000), every connection polling. The load driver is spread over
// several processes (forked from this one, each well under its descriptor limit), each
// connecting from its own loopback source address (127.0.0.2, 127.0.0.3, ...), so no process
// and no source address runs out of descriptors or ephemeral ports before the monitor does.
// The monitor closes a connection after 10 s without data, so to hold a connection a panel
// polls more often than that (every 8 s here, each at its own moment); a connection the
// monitor closes is opened again at once.
//
//   bench_program_maxscale [--program PATH] [connections, default 20500] [seconds, default 60]
//
// Reports: connections asked for and held (the monitor's own count), the monitor's resident
// memory, threads and open descriptors (and its limit), its CPU, and the poll round trips
// (polls sent in the measured window; a poll never answered counts as unanswered).

#include "panelload.h"
#include "programchild.h"

#include <sys/resource.h>

using namespace loopback;

namespace {

constexpr double pollIntervalMs = 8000;
constexpr int perProcess = 7000;

struct Share {
    pid_t pid = -1;
    int connections = 0;
    std::string results; // the file the process writes its figures to
};

// One load process: its share of connections from `source`, polling from the start; polls
// sent from `fromMs` on are written to `results` (counts, then the round trips) at `untilMs`.
[[noreturn]] void loadProcess(unsigned short port, int connections, std::uint32_t source,
                              double fromMs, double untilMs, const std::string &results) {
    PanelLoad load(port, connections, pollIntervalMs, 0, false, source);
    load.startPolling();
    long sentBefore = 0;
    bool counting = false;
    load.run(untilMs, [&](double now) {
        if (!counting && now >= fromMs) {
            counting = true;
            sentBefore = load.sentPolls;
        }
    });
    std::vector<double> trips;
    for (std::size_t i = 0; i < load.pollSentAt.size(); ++i)
        if (load.pollSentAt[i] >= fromMs)
            trips.push_back(load.pollLatencies[i]);
    long counts[4] = {load.sentPolls - sentBefore, long(trips.size()), load.reconnects,
                      load.connectedCount()};
    std::FILE *file = std::fopen(results.c_str(), "wb");
    std::fwrite(counts, sizeof counts, 1, file);
    std::fwrite(trips.data(), sizeof(double), trips.size(), file);
    std::fclose(file);
    ::_exit(0);
}

struct Totals {
    long sent = 0, answered = 0, reconnects = 0, connected = 0;
    std::vector<double> trips;
};

Totals collect(std::vector<Share> &shares) {
    Totals totals;
    for (Share &share : shares) {
        ::waitpid(share.pid, nullptr, 0);
        std::FILE *file = std::fopen(share.results.c_str(), "rb");
        long counts[4] = {};
        if (!file || std::fread(counts, sizeof counts, 1, file) != 1) {
            std::printf("  load process %d wrote no figures\n", int(share.pid));
            if (file)
                std::fclose(file);
            continue;
        }
        double trip;
        while (std::fread(&trip, sizeof trip, 1, file) == 1)
            totals.trips.push_back(trip);
        std::fclose(file);
        std::remove(share.results.c_str());
        totals.sent += counts[0];
        totals.answered += counts[1];
        totals.reconnects += counts[2];
        totals.connected += counts[3];
    }
    return totals;
}

std::string openFileLimit(pid_t pid) {
    std::ifstream limits("/proc/" + std::to_string(pid) + "/limits");
    std::string line;
    while (std::getline(limits, line))
        if (line.rfind("Max open files", 0) == 0)
            return line.substr(26, 40);
    return "?";
}

struct Peak {
    double rss = 0, cpu = 0;
    int threads = 0, descriptors = 0, descriptorsMin = 1 << 30, base = 0;
    double held = 0, refusedLimit = 0, refusedResources = 0;
    int pagesRead = 0, samples = 0; // the metrics page needs a descriptor too
};

// Samples the monitor once a second from `fromMs` to `untilMs`. Connections held: the
// descriptors it has open beyond the `base` it had with none.
Peak watchMonitor(const Child &monitor, int base, double fromMs, double untilMs) {
    Peak peak;
    peak.base = base;
    while (nowMs() < fromMs)
        ::usleep(50000);
    const double cpuBefore = cpuSeconds(monitor.pid);
    while (nowMs() < untilMs) {
        const auto [rss, threads] = residentAndThreads(monitor.pid);
        peak.rss = std::max(peak.rss, rss);
        peak.threads = std::max(peak.threads, threads);
        const int descriptors = openDescriptors(monitor.pid);
        peak.descriptors = std::max(peak.descriptors, descriptors);
        peak.descriptorsMin = std::min(peak.descriptorsMin, descriptors);
        const std::string page = metricsPage(monitor);
        ++peak.samples;
        if (!page.empty()) {
            ++peak.pagesRead;
            peak.held = std::max(peak.held, metric(page, "voduro_connections"));
            peak.refusedLimit = metric(page, "voduro_connections_refused_total{reason=\"limit\"}");
            peak.refusedResources =
                metric(page, "voduro_connections_refused_total{reason=\"resources\"}");
        }
        ::usleep(1000000);
    }
    peak.cpu = (cpuSeconds(monitor.pid) - cpuBefore) / ((untilMs - fromMs) / 1000);
    return peak;
}

void report(int asked, const Peak &peak, const Totals &totals, const Child &monitor) {
    const Figures polls = figures(totals.trips);
    std::printf("  connections: %d asked for, %ld open at the panels' side at the end (those "
                "the monitor has not accepted wait in the system's queue); the monitor held "
                "%d to %d (its descriptors beyond the %d it has with none)\n",
                asked, totals.connected, peak.descriptorsMin - peak.base,
                peak.descriptors - peak.base, peak.base);
    std::printf("  metrics page read %d of %d times: connections %.0f at most, refused %.0f over "
                "\"Max Connections\" and %.0f for want of resources\n",
                peak.pagesRead, peak.samples, peak.held, peak.refusedLimit, peak.refusedResources);
    std::printf("  monitor: resident %.1f MB at most, %d threads, %d descriptors open at most "
                "(open-file limit %s), CPU %.0f%% of one core\n",
                peak.rss, peak.threads, peak.descriptors, openFileLimit(monitor.pid).c_str(),
                peak.cpu * 100);
    std::printf("  polls: %ld sent in the window, %ld answered (%ld unanswered), %ld "
                "reconnections at the panels' side\n",
                totals.sent, totals.answered, std::max(0L, totals.sent - totals.answered),
                totals.reconnects);
    std::printf("  poll round trip: p50 %.3f ms  p99 %.3f ms  max %.3f ms  (%zu)\n", polls.p50,
                polls.p99, polls.max, polls.count);
}

// What the monitor said on standard error meanwhile: each kind of line (the text after its
// date and time) with how often it came.
void printStandardError(const Child &monitor) {
    std::ifstream file(monitor.dir + "/standard-error.txt");
    std::map<std::string, int> kinds;
    int lines = 0;
    for (std::string line; std::getline(file, line); ++lines)
        ++kinds[line.size() > 20 && line[4] == '-' ? line.substr(20, 160) : line.substr(0, 160)];
    std::printf("  the monitor wrote %d lines to standard error\n", lines);
    for (const auto &[text, count] : kinds)
        std::printf("    %6d x %s\n", count, text.c_str());
}

void maxScale(int connections, double seconds, AutomationReceiver &receiver) {
    MonitorSetup setup = defaultSetup();
    setup.integers = "Max Connections=1000000\n";
    setup.keepStandardError = true;
    Child monitor = startMonitor(receiver.port(), setup);
    std::printf("monitor %s, pid %d; %d connections polling every %.0f s, %.0f s measured; "
                "load average %s\n",
                programPath.c_str(), int(monitor.pid), connections, pollIntervalMs / 1000, seconds,
                loadAverage().c_str());
    // Connecting and one whole poll interval before the window, so every panel has polled.
    ::sleep(1); // the Tx link connected
    const int base = openDescriptors(monitor.pid);
    const double fromMs = nowMs() + 30000 + pollIntervalMs, untilMs = fromMs + seconds * 1000;
    std::vector<Share> shares;
    for (int left = connections, k = 0; left > 0; left -= perProcess, ++k) {
        Share share;
        share.connections = std::min(left, perProcess);
        share.results = monitor.dir + "/load-" + std::to_string(k) + ".bin";
        const std::uint32_t source = (127u << 24) | std::uint32_t(2 + k);
        share.pid = ::fork();
        if (share.pid == 0)
            loadProcess(monitor.port, share.connections, source, fromMs, untilMs, share.results);
        shares.push_back(share);
    }
    std::printf("  %zu load processes, each from its own source address\n", shares.size());
    const Peak peak = watchMonitor(monitor, base, fromMs, untilMs);
    const Totals totals = collect(shares);
    report(connections, peak, totals, monitor);
    printStandardError(monitor);
    std::printf("  load average %s; monitor exit %.1f ms\n", loadAverage().c_str(), stop(monitor));
}

} // namespace

int main(int argc, char *argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string own = argv[0];
    programPath = own.substr(0, own.rfind('/') + 1) + "voduro"; // beside it in the build
    std::vector<double> numbers;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            programPath = argv[++i];
        else
            numbers.push_back(std::atof(arg.c_str()));
    }
    const int connections = numbers.size() > 0 ? int(numbers[0]) : 20500;
    const double seconds = numbers.size() > 1 ? numbers[1] : 60;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max; // the monitor raises its own the same way
    ::setrlimit(RLIMIT_NOFILE, &limit);
    std::printf("open-file limit of this process and its children: %llu\n",
                static_cast<unsigned long long>(limit.rlim_max));
    AutomationReceiver receiver;
    maxScale(connections, seconds, receiver);
    return 0;
}
