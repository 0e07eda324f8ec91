// The IP receiver as a centre runs it: the real program (voduro --headless) in a temporary
// working directory, journal on, log files off, one known account polled by every panel; the
// loopback panels and the automation software in this process. Beside it, in the same run and
// alternating with it, a minimal thread-per-connection echo server in a process of its own
// sends the same reply bytes, for comparison.
//
//   bench_program [--program PATH] [--alarms-per-second N]
//                 [polls|alarm|burst|scale|compaction|all] [seconds]
//
// polls: 100 and 1,000 panels polling every 2 s, three rounds each against the monitor and the
//        echo server: p50/p99/max of the poll round trip and the ratios.
// alarm: single alarms (2 a second) under 1,000 polling panels: panel send to automation receipt.
// burst: 1,000 panels send one alarm each at once: the time until the last line is delivered.
// scale: 20,000 connections polling every 90 s and 50 alarms a second from 100 of them: polls
//        answered, alarms delivered once, alarm latency, the monitor's resident memory and
//        threads, and the time it takes to exit with the connections open.
// compaction: a monitor of its own with 20,000 lines in "Tx Pending" (the automation receiver
//        holds its ACKs back), then 1,000 panels polling every 2 s while alarms come
//        (--alarms-per-second, default 1,000) and the receiver answers one line for each, so the
//        queue stays at 20,000 and the journal's history grows until it is compacted (3 times,
//        or at most max(seconds, 240) s): the poll round trips in flight at each compaction's
//        end, and the others.

#include "compactionwatch.h"
#include "panelload.h"
#include "programchild.h"

#include <sys/resource.h>

using namespace loopback;

namespace {

double phaseSeconds = 20;

bool connectAll(PanelLoad &load, int count, double timeoutMs) {
    const double until = nowMs() + timeoutMs;
    while (load.connectedCount() < count && nowMs() < until)
        load.run(nowMs() + 50);
    return load.connectedCount() >= count;
}

Figures pollPhase(unsigned short port, int panels) {
    PanelLoad load(port, panels, 2000, 0);
    if (!connectAll(load, panels, 60000))
        std::printf("  only %d of %d connected\n", load.connectedCount(), panels);
    load.startPolling();
    load.run(nowMs() + phaseSeconds * 1000);
    load.stopPolling();
    load.run(nowMs() + 1000); // the last replies
    const Figures f = figures(load.pollLatencies);
    std::printf("    %ld polls sent, %zu answered, %ld sent again after a close\n", load.sentPolls,
                f.count, load.resent);
    return f;
}

void printFigures(const char *what, const Figures &f) {
    std::printf("  %-8s p50 %7.3f ms  p99 %7.3f ms  max %8.3f ms  (%zu)\n", what, f.p50, f.p99,
                f.max, f.count);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void polls(Child &monitor, Child &echo) {
    for (int panels : {100, 1000}) {
        std::printf("%d panels polling every 2 s, %.0f s per phase\n", panels, phaseSeconds);
        std::vector<double> monitorP50, monitorP99, echoP50, echoP99;
        for (int round = 0; round < 3; ++round) {
            const Figures m = pollPhase(monitor.port, panels);
            printFigures("monitor", m);
            const Figures e = pollPhase(echo.port, panels);
            printFigures("echo", e);
            monitorP50.push_back(m.p50);
            monitorP99.push_back(m.p99);
            echoP50.push_back(e.p50);
            echoP99.push_back(e.p99);
        }
        std::printf("  medians of three: monitor p50 %.3f p99 %.3f, echo p50 %.3f p99 %.3f, "
                    "ratio p50 %.1fx p99 %.1fx\n",
                    median(monitorP50), median(monitorP99), median(echoP50), median(echoP99),
                    median(monitorP50) / median(echoP50), median(monitorP99) / median(echoP99));
    }
}

// Alarm panel `index` sends its next report; its send time is noted under its line's key.
struct AlarmSender {
    PanelLoad &load;
    int firstZone; // each scenario its own zones, so no line is taken for another's
    std::map<std::string, double> sent;
    std::vector<int> zones;

    bool send(int index) {
        if (zones.size() <= std::size_t(index))
            zones.resize(std::size_t(index) + 1, 0);
        const int account = 1000 + index;
        const int zone = firstZone + zones[std::size_t(index)] % (1000 - firstZone);
        if (!load.sendAlarm(index, alarmReport(account, zone)))
            return false;
        ++zones[std::size_t(index)];
        sent[alarmKey(account, zone)] = nowMs();
        return true;
    }
    // Latencies of the alarms that arrived; waits up to `waitMs` for the rest.
    std::vector<double> latencies(AutomationReceiver &receiver, double waitMs) {
        const double until = nowMs() + waitMs;
        std::map<std::string, double> arrived = receiver.arrivals();
        while (nowMs() < until && arrivedCount(arrived) < sent.size()) {
            load.run(nowMs() + 20);
            arrived = receiver.arrivals();
        }
        std::vector<double> result;
        for (const auto &[key, at] : sent)
            if (auto found = arrived.find(key); found != arrived.end())
                result.push_back(found->second - at);
        return result;
    }
    std::size_t arrivedCount(const std::map<std::string, double> &arrived) const {
        return std::size_t(std::count_if(sent.begin(), sent.end(), [&](const auto &entry) {
            return arrived.count(entry.first) > 0;
        }));
    }
};

void singleAlarms(Child &monitor, AutomationReceiver &receiver) {
    std::printf("single alarms (2 a second) under 1,000 panels polling every 2 s, %.0f s\n",
                phaseSeconds);
    PanelLoad load(monitor.port, 1000, 2000, 1);
    connectAll(load, 1001, 60000);
    load.startPolling();
    AlarmSender alarms{load, 1, {}, {}};
    double next = nowMs() + 500;
    load.run(nowMs() + phaseSeconds * 1000, [&](double now) {
        if (now >= next && alarms.send(0))
            next = now + 500;
    });
    const std::vector<double> latencies = alarms.latencies(receiver, 10000);
    std::printf("  %zu alarms sent, %zu delivered\n", alarms.sent.size(), latencies.size());
    printFigures("alarm", figures(latencies));
    printFigures("polls", figures(load.pollLatencies));
}

void burst(Child &monitor, AutomationReceiver &receiver) {
    PanelLoad load(monitor.port, 0, 0, 1000);
    connectAll(load, 1000, 60000);
    AlarmSender alarms{load, 100, {}, {}};
    const double start = nowMs();
    for (int i = 0; i < 1000; ++i)
        alarms.send(i);
    const std::vector<double> latencies = alarms.latencies(receiver, 60000);
    double last = start;
    for (const auto &[key, at] : receiver.arrivals())
        if (alarms.sent.count(key))
            last = std::max(last, at);
    std::printf("burst of 1,000 alarms: %zu delivered, the last %.1f ms after the first was sent\n",
                latencies.size(), last - start);
}

// The monitor with 20,000 connections open at once: its memory and threads, then its exit.
void twentyThousandOpen(Child &monitor) {
    PanelLoad load(monitor.port, 20000, 0, 0);
    if (!connectAll(load, 20000, 9000))
        std::printf("  only %d of 20000 connected\n", load.connectedCount());
    const auto [mb, threads] = residentAndThreads(monitor.pid);
    std::printf("  %d connections open: resident %.1f MB, %d threads; exit %.1f ms\n",
                load.connectedCount(), mb, threads, stop(monitor));
}

void scale(Child &monitor, AutomationReceiver &receiver, double seconds) {
    std::printf("20,000 panels polling every 90 s (each connects for its poll and is closed after "
                "10 s of silence), 50 alarms a second from 100 more, %.0f s\n",
                seconds);
    PanelLoad load(monitor.port, 19900, 90000, 100, true);
    connectAll(load, 20000, 9000);
    std::printf("  %d connected at the start\n", load.connectedCount());
    load.startPolling();
    AlarmSender alarms{load, 200, {}, {}};
    int nextPanel = 0;
    double nextAlarm = nowMs();
    double nextSample = nowMs();
    double maxRss = 0;
    int maxThreads = 0, maxOpen = 0;
    long skipped = 0;
    load.run(nowMs() + seconds * 1000, [&](double now) {
        if (now >= nextSample) {
            const auto [mb, threads] = residentAndThreads(monitor.pid);
            maxRss = std::max(maxRss, mb);
            maxThreads = std::max(maxThreads, threads);
            maxOpen = std::max(maxOpen, load.connectedCount());
            nextSample = now + 1000;
        }
        while (now >= nextAlarm) {
            if (!alarms.send(nextPanel))
                ++skipped;
            nextPanel = (nextPanel + 1) % 100;
            nextAlarm += 20;
        }
    });
    load.stopPolling();
    const std::vector<double> latencies = alarms.latencies(receiver, 15000);
    const Figures polls = figures(load.pollLatencies);
    std::printf("  polls: %ld sent, %zu answered, %ld sent again after a close, %ld "
                "reconnections\n",
                load.sentPolls, polls.count, load.resent, load.reconnects);
    printFigures("polls", polls);
    std::printf("  alarms: %zu sent (%ld skipped: previous not answered), %zu delivered, %d "
                "delivered twice\n",
                alarms.sent.size(), skipped, latencies.size(), receiver.duplicates());
    printFigures("alarm", figures(latencies));
    std::printf("  monitor: resident %.1f MB at most, %d threads at most; up to %d panels "
                "connected at once\n",
                maxRss, maxThreads, maxOpen);
}

constexpr long queuedLines = 20000;
constexpr int feedPanels = 100;

// Runs the load until `done()` or `timeoutMs`, `tick` called as in PanelLoad::run.
void runUntil(PanelLoad &load, const std::function<bool()> &done, double timeoutMs,
              const std::function<void(double)> &tick = {}) {
    const double until = nowMs() + timeoutMs;
    while (!done() && nowMs() < until)
        load.run(nowMs() + 20, tick);
}

// Alarms from the feed panels (the load's alarm panels), each free panel in turn; `perSecond`
// at most when above 0. Every account and zone differs from its neighbours'.
struct AlarmFeed {
    PanelLoad &load;
    double perSecond = 0;
    long sent = 0, skipped = 0;
    int next = 0;
    double due = 0;

    bool sendOne() {
        for (int tried = 0; tried < feedPanels; ++tried) {
            const int index = next;
            next = (next + 1) % feedPanels;
            if (load.sendAlarm(index,
                               alarmReport(1000 + index, 1 + int(sent / feedPanels % 999)))) {
                ++sent;
                return true;
            }
        }
        return false;
    }
    void tick(double now) {
        if (perSecond <= 0) {
            while (sent < queuedLines && sendOne()) {
            }
            return;
        }
        for (due = due == 0 ? now : due; due <= now; due += 1000.0 / perSecond)
            if (!sendOne())
                ++skipped;
    }
};

// "Tx Pending" filled with 20,000 lines while the automation receiver does not answer.
bool fillTxPending(PanelLoad &load, Child &monitor, AutomationReceiver &receiver) {
    receiver.setAnswering(false);
    AlarmFeed feed{load};
    const double start = nowMs();
    runUntil(
        load,
        [&] { return feed.sent == queuedLines && long(load.alarmAcks.size()) == queuedLines; },
        300000, [&](double now) { feed.tick(now); });
    double pending = 0;
    for (int i = 0; i < 300 && pending < double(queuedLines); ++i, ::usleep(100000))
        pending = metric(metricsPage(monitor), "voduro_tx_pending");
    std::printf("  filled: %zu alarms answered in %.1f s; Tx Pending %.0f\n", load.alarmAcks.size(),
                (nowMs() - start) / 1000, pending);
    return pending >= double(queuedLines);
}

// The five longest poll round trips, each with when it was sent from the nearest compaction's
// end (+: after it).
void printLongest(std::vector<std::pair<double, double>> trips,
                  const std::vector<CompactionWatch::Compaction> &compactions) {
    std::sort(trips.rbegin(), trips.rend());
    std::printf("  longest poll round trips:");
    for (std::size_t i = 0; i < std::min<std::size_t>(5, trips.size()); ++i) {
        double nearest = 1e12; // sent this long after the nearest compaction's end
        for (const auto &c : compactions)
            if (std::abs(trips[i].second - c.at) < std::abs(nearest))
                nearest = trips[i].second - c.at;
        std::printf(" %.1f ms (sent %+.0f ms from a compaction's end)", trips[i].first, nearest);
    }
    std::printf("\n");
}

// The polls in flight when a compaction ended (the directory's flush after the rename: a poll
// that waited for the journal's lock is answered only after that), by compaction; the polls no
// compaction touched; the longest round trips and how far each was from the nearest compaction.
void reportCompactions(const PanelLoad &load, double from,
                       const std::vector<CompactionWatch::Compaction> &compactions) {
    std::vector<double> all, untouched, touched;
    std::vector<std::pair<double, double>> longest; // round trip, sent at
    const auto inFlight = [&](std::size_t i, double at) {
        return at >= load.pollSentAt[i] && at <= load.pollSentAt[i] + load.pollLatencies[i];
    };
    for (std::size_t i = 0; i < load.pollSentAt.size(); ++i) {
        if (load.pollSentAt[i] < from)
            continue;
        all.push_back(load.pollLatencies[i]);
        longest.emplace_back(load.pollLatencies[i], load.pollSentAt[i]);
        const bool hit = std::any_of(compactions.begin(), compactions.end(),
                                     [&](const auto &c) { return inFlight(i, c.at); });
        (hit ? touched : untouched).push_back(load.pollLatencies[i]);
    }
    for (const CompactionWatch::Compaction &c : compactions) {
        double worst = 0;
        int count = 0;
        for (std::size_t i = 0; i < load.pollSentAt.size(); ++i)
            if (inFlight(i, c.at)) {
                worst = std::max(worst, load.pollLatencies[i]);
                ++count;
            }
        std::printf("  compaction at %+.1f s (directory flushed %.1f ms after the rename): Tx "
                    "Pending %.0f, journal %.0f bytes; %d polls in flight at its end, the "
                    "longest answered in %.1f ms\n",
                    (c.at - from) / 1000, c.at - c.renamed, c.txPending, c.journalBytes, count,
                    worst);
    }
    const auto print = [](const char *what, const Figures &f) {
        std::printf("  %-38s p50 %7.3f ms  p99 %8.3f ms  max %8.3f ms  (%zu)\n", what, f.p50, f.p99,
                    f.max, f.count);
    };
    print("all polls", figures(all));
    print("polls in flight at a compaction's end", figures(touched));
    print("polls no compaction touched", figures(untouched));
    printLongest(longest, compactions);
}

// Compactions of a journal holding 20,000 lines while 1,000 panels poll every 2 s: alarms keep
// coming (`perSecond`) and the receiver answers one line for each, so the queue stays at 20,000
// while the journal's history grows by every addition and removal until it is compacted.
void compaction(AutomationReceiver &receiver, double perSecond, double capSeconds) {
    MonitorSetup setup = defaultSetup();
    setup.strings = "TX Timeout=3600\n"; // an unanswered line waits; nothing is sent again
    Child monitor = startMonitor(receiver.port(), setup);
    std::printf("compaction: %ld lines queued, 1,000 panels polling every 2 s, %.0f alarms/s, "
                "until 3 compactions or %.0f s; load average %s\n",
                queuedLines, perSecond, capSeconds, loadAverage().c_str());
    CompactionWatch watch(monitor);
    PanelLoad load(monitor.port, 1000, 2000, feedPanels);
    connectAll(load, 1000 + feedPanels, 60000);
    if (!fillTxPending(load, monitor, receiver))
        std::printf("  Tx Pending did not reach %ld lines\n", queuedLines);
    const double from = nowMs();
    const std::size_t acksBefore = load.alarmAcks.size();
    long credited = 0;
    AlarmFeed feed{load, perSecond};
    load.startPolling();
    const auto inWindow = [&] {
        const auto all = watch.compactions();
        return std::count_if(all.begin(), all.end(), [&](auto &c) { return c.at >= from; });
    };
    runUntil(
        load, [&] { return inWindow() >= 3; }, capSeconds * 1000,
        [&](double now) {
            feed.tick(now);
            const long acked = long(load.alarmAcks.size() - acksBefore);
            receiver.giveCredit(acked - std::exchange(credited, acked));
        });
    load.stopPolling();
    load.run(nowMs() + 2000);
    std::vector<CompactionWatch::Compaction> seen;
    for (const auto &c : watch.compactions())
        if (c.at >= from)
            seen.push_back(c);
    std::printf("  %.1f s: %ld alarms sent (%ld skipped: no panel free), %zu answered; %zu "
                "compactions; load average %s\n",
                (nowMs() - from) / 1000, feed.sent, feed.skipped,
                load.alarmAcks.size() - acksBefore, seen.size(), loadAverage().c_str());
    reportCompactions(load, from, seen);
    receiver.setAnswering(true);
    std::printf("  exit: %.1f ms\n", stop(monitor));
}

// Both sides need more than 20,000 descriptors; where allowed, more than the hard limit.
void raiseFileLimit() {
    rlimit limit{200000, 200000};
    if (::setrlimit(RLIMIT_NOFILE, &limit) == 0)
        return;
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

} // namespace

int main(int argc, char *argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    raiseFileLimit();
    std::string own = argv[0];
    programPath = own.substr(0, own.rfind('/') + 1) + "voduro"; // beside it in the build
    std::string scenario = "all";
    double alarmsPerSecond = 1000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            programPath = argv[++i];
        else if (arg == "--alarms-per-second" && i + 1 < argc)
            alarmsPerSecond = std::atof(argv[++i]);
        else if (std::isdigit(static_cast<unsigned char>(arg[0])))
            phaseSeconds = std::atof(arg.c_str());
        else
            scenario = arg;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    AutomationReceiver receiver;
    if (scenario == "compaction" || scenario == "all")
        compaction(receiver, alarmsPerSecond, std::max(phaseSeconds, 240.0));
    if (scenario == "compaction")
        return 0;
    Child monitor = startMonitor(receiver.port());
    std::printf("monitor %s, pid %d\n", programPath.c_str(), int(monitor.pid));
    if (scenario == "polls" || scenario == "all") {
        Child echo = startEcho();
        polls(monitor, echo);
        stop(echo);
    }
    if (scenario == "alarm" || scenario == "all")
        singleAlarms(monitor, receiver);
    if (scenario == "burst" || scenario == "all")
        burst(monitor, receiver);
    if (scenario == "scale" || scenario == "all") {
        scale(monitor, receiver, std::max(phaseSeconds, 100.0));
        twentyThousandOpen(monitor);
        return 0;
    }
    std::printf("exit: %.1f ms\n", stop(monitor));
    return 0;
}
