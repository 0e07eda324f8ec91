// DC-09 through the real program as a centre runs it (voduro --headless, journal on, log files
// off, the Tx link to an automation receiver in this process that acknowledges every line):
// 200 TCP panels, each its own account and AES-128 key (Dc09Keys.txt) and on file in
// Accounts.PDB, sending encrypted SIA-DCS reports. In the same run, the same load against a
// bare thread-per-connection server (a process of its own) that answers every frame with a
// canned answer of the same size, no crypto and no disk; and the disk's own flush time in the
// monitor's working directory.
//
//   bench_program_dc09 [--program PATH] [dc09|dc09stream|both] [seconds per phase, default 20]
//
// dc09:       every panel waits for the answer to a report before it sends the next: frames/s
//             and the round trip's p50/p99/max.
// dc09stream: 20 of the 200 connections stream reports (up to 50 in flight, answers read as
//             they come); the other 180 wait as above: their round trips, the streams' frames/s.

#include "dc09load.h"
#include "programchild.h"

#include <QCoreApplication>
#include <array>
#include <sys/resource.h>

using namespace loopback;

namespace {

constexpr int panelCount = 200;
constexpr int streamCount = 20;
constexpr int streamWindow = 50;

struct PhaseResult {
    const char *name = "";
    double seconds = 0;
    Figures waiting, stream;
    long waitingAnswers = 0, streamAnswers = 0, notAcknowledged = 0, closed = 0;
    int connected = 0;
    double serverCpu = 0, driverCpu = 0;                // share of one core over the phase
    double flushes = 0, flushSeconds = 0, received = 0; // the monitor's metrics
};

double ownCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct MonitorCounters {
    double flushes = 0, flushSeconds = 0, received = 0;
};

MonitorCounters countersOf(const Child &monitor) {
    const std::string page = metricsPage(monitor);
    return {metric(page, "voduro_journal_flush_seconds_count"),
            metric(page, "voduro_journal_flush_seconds_sum"),
            metric(page, "voduro_messages_received_total{input=\"tcp\"}")};
}

PhaseResult runPhase(const char *name, const Child &server, bool isMonitor, int streams,
                     double seconds) {
    PhaseResult result;
    result.name = name;
    Dc09Load load(server.port, panelCount, streams, streamWindow);
    load.connectAll(30000);
    result.connected = load.connectedCount();
    const MonitorCounters before = isMonitor ? countersOf(server) : MonitorCounters{};
    const double serverCpu = cpuSeconds(server.pid), driverCpu = ownCpuSeconds();
    load.measure(nowMs() + seconds * 1000, 5000);
    result.seconds = load.seconds();
    result.serverCpu = (cpuSeconds(server.pid) - serverCpu) / result.seconds;
    result.driverCpu = (ownCpuSeconds() - driverCpu) / result.seconds;
    if (isMonitor) {
        const MonitorCounters after = countersOf(server);
        result.flushes = after.flushes - before.flushes;
        result.flushSeconds = after.flushSeconds - before.flushSeconds;
        result.received = after.received - before.received;
    }
    result.waiting = figures(load.waitingTrips);
    result.stream = figures(load.streamTrips);
    result.waitingAnswers = load.waitingAnswers;
    result.streamAnswers = load.streamAnswers;
    result.notAcknowledged = load.notAcknowledged;
    result.closed = load.closed;
    return result;
}

// 200 writes of 100 bytes, each followed by fdatasync, to a file in `dir` (the monitor's
// working directory, where its journal is), `gapMs` apart: before the monitor's phase, during
// it (beside the monitor's own flushes) and after the echo's.
Figures diskFlushes(const std::string &dir, int gapMs = 0, const char *name = "flush-probe") {
    const std::string path = dir + "/" + name + ".bin";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    std::vector<double> times;
    const std::string bytes(100, 'x');
    for (int i = 0; i < 200 && fd >= 0; ++i) {
        const double start = nowMs();
        if (::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) ||
            ::fdatasync(fd) != 0)
            break;
        times.push_back(nowMs() - start);
        ::usleep(useconds_t(gapMs) * 1000);
    }
    ::close(fd);
    ::unlink(path.c_str());
    return figures(times);
}

void printTrips(const char *what, const Figures &f, double perSecond) {
    std::printf("    %-22s %8.0f frames/s  p50 %7.3f ms  p99 %8.3f ms  max %8.3f ms  (%zu)\n", what,
                perSecond, f.p50, f.p99, f.max, f.count);
}

void printPhase(const PhaseResult &r, bool streaming) {
    std::printf("  %s: %d of %d connected, %.1f s\n", r.name, r.connected, panelCount, r.seconds);
    printTrips(streaming ? "180 waiting panels" : "200 waiting panels", r.waiting,
               double(r.waitingAnswers) / r.seconds);
    if (streaming)
        printTrips("20 streams", r.stream, double(r.streamAnswers) / r.seconds);
    std::printf("    answers other than ACK: %ld, connections closed: %ld; CPU: server %.0f%%, "
                "load driver %.0f%% of one core\n",
                r.notAcknowledged, r.closed, r.serverCpu * 100, r.driverCpu * 100);
    if (r.flushes > 0)
        std::printf("    journal: %.0f flushes/s, %.1f messages per flush, flush mean %.2f ms; "
                    "%.0f messages taken/s\n",
                    r.flushes / r.seconds, r.received / r.flushes,
                    r.flushSeconds / r.flushes * 1000, r.received / r.seconds);
}

void printSideBySide(const PhaseResult &monitor, const PhaseResult &echo,
                     const std::array<Figures, 3> &disk, bool streaming) {
    const auto rate = [](const PhaseResult &r) {
        return double(r.waitingAnswers + r.streamAnswers) / r.seconds;
    };
    std::printf("  side by side (%s):\n",
                streaming ? "the 180 waiting panels' round trips" : "round trips");
    std::printf("    %-26s %10s %9s %9s %9s\n", "", "frames/s", "p50 ms", "p99 ms", "max ms");
    std::printf("    %-26s %10.0f %9.3f %9.3f %9.3f\n", "monitor", rate(monitor),
                monitor.waiting.p50, monitor.waiting.p99, monitor.waiting.max);
    std::printf("    %-26s %10.0f %9.3f %9.3f %9.3f\n", "echo server", rate(echo), echo.waiting.p50,
                echo.waiting.p99, echo.waiting.max);
    const char *when[] = {"before", "during the monitor's", "after"};
    for (std::size_t i = 0; i < disk.size(); ++i)
        std::printf("    disk flush, %-21s %3s %9.3f %9.3f %9.3f\n", when[i], "", disk[i].p50,
                    disk[i].p99, disk[i].max);
}

// Waits up to 15 s for the automation receiver to have `lines` lines.
long deliveredLines(AutomationReceiver &receiver, long lines) {
    const double until = nowMs() + 15000;
    while (receiver.lines() < lines && nowMs() < until)
        ::usleep(20000);
    return receiver.lines();
}

void scenario(bool streaming, Child &monitor, Child &echo, AutomationReceiver &receiver,
              double seconds) {
    std::printf("%s, %.0f s per phase; load average %s\n",
                streaming ? "200 AES-128 SIA-DCS panels, 20 of them streaming (50 in flight)"
                          : "200 AES-128 SIA-DCS panels, each waiting for its answer",
                seconds, loadAverage().c_str());
    const int streams = streaming ? streamCount : 0;
    const long linesBefore = receiver.lines();
    const Figures diskBefore = diskFlushes(monitor.dir);
    Figures diskDuring;
    std::thread probe([&] { diskDuring = diskFlushes(monitor.dir, 40, "flush-probe-during"); });
    const PhaseResult m = runPhase("monitor", monitor, true, streams, seconds);
    probe.join();
    printPhase(m, streaming);
    const long taken = long(m.received);
    std::printf("    lines at the automation receiver: %ld of the %ld messages taken\n",
                deliveredLines(receiver, linesBefore + taken) - linesBefore, taken);
    const PhaseResult e = runPhase("echo server", echo, false, streams, seconds);
    printPhase(e, streaming);
    const Figures diskAfter = diskFlushes(monitor.dir);
    printSideBySide(m, e, {diskBefore, diskDuring, diskAfter}, streaming);
    std::printf("  load average after: %s\n", loadAverage().c_str());
}

MonitorSetup dc09Setup() {
    MonitorSetup setup = defaultSetup();
    for (int i = 0; i < panelCount; ++i) {
        AccountRecord account;
        account.accNum = quint32(std::stoul(dc09Account(i)));
        account.pollDelay = 10;
        setup.accounts.push_back(account);
    }
    setup.dc09Keys = dc09KeyFile(panelCount);
    return setup;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv); // Qt's time zone and crypto helpers
    std::signal(SIGPIPE, SIG_IGN);
    std::string own = argv[0];
    programPath = own.substr(0, own.rfind('/') + 1) + "voduro"; // beside it in the build
    std::string mode = "both";
    double seconds = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            programPath = argv[++i];
        else if (std::isdigit(static_cast<unsigned char>(arg[0])))
            seconds = std::atof(arg.c_str());
        else
            mode = arg;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The comparison server is forked before this process starts any thread.
    const std::string answer = dc09CannedAnswer();
    Child echo =
        startServer([&answer](unsigned short port) { return runDc09EchoServer(port, answer); });
    AutomationReceiver receiver;
    Child monitor = startMonitor(receiver.port(), dc09Setup());
    std::printf("monitor %s, pid %d; the echo server answers %zu bytes a frame\n",
                programPath.c_str(), int(monitor.pid), answer.size());
    if (mode == "dc09" || mode == "both")
        scenario(false, monitor, echo, receiver, seconds);
    if (mode == "dc09stream" || mode == "both")
        scenario(true, monitor, echo, receiver, seconds);
    stop(echo);
    std::printf("monitor exit: %.1f ms\n", stop(monitor));
    return 0;
}
