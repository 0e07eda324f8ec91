// The IP receiver as a centre runs it: the real program (voduro --headless) in a temporary
// working directory, journal on, log files off, one known account polled by every panel; the
// loopback panels and the automation software in this process. Beside it, in the same run and
// alternating with it, a minimal thread-per-connection echo server in a process of its own
// sends the same reply bytes, for comparison.
//
//   bench_program [--program PATH] [polls|alarm|burst|scale|all] [seconds]
//
// polls: 100 and 1,000 panels polling every 2 s, three rounds each against the monitor and the
//        echo server: p50/p99/max of the poll round trip and the ratios.
// alarm: single alarms (2 a second) under 1,000 polling panels: panel send to automation receipt.
// burst: 1,000 panels send one alarm each at once: the time until the last line is delivered.
// scale: 20,000 connections polling every 90 s and 50 alarms a second from 100 of them: polls
//        answered, alarms delivered once, alarm latency, the monitor's resident memory and
//        threads, and the time it takes to exit with the connections open.

#include "accounts/accountrecord.h"
#include "panelload.h"

#include <QByteArray>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace loopback;

namespace {

std::string programPath;
double phaseSeconds = 20;

unsigned short freePort() {
    const int fd = listenLoopback(0);
    const unsigned short port = boundPort(fd);
    ::close(fd);
    return port;
}

void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Child {
    pid_t pid = -1;
    std::string dir;
    unsigned short port = 0;
};

bool waitListening(unsigned short port) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        const bool up = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(fd);
        if (up)
            return true;
        ::usleep(50000);
    }
    return false;
}

Child startMonitor(unsigned short automationPort) {
    Child monitor;
    char pattern[] = "/tmp/voduro-bench-XXXXXX";
    monitor.dir = ::mkdtemp(pattern);
    monitor.port = freePort();
    ::mkdir((monitor.dir + "/config").c_str(), 0700);
    writeFile(monitor.dir + "/config/Voduro.conf",
              "[Integers]\nTx Num=9\nMax Connections=30000\n[Logic]\nTCP Open=1\nTx Open=1\n"
              "Save Rx=0\n[Strings]\nTCP Port=" +
                  std::to_string(monitor.port) + "\nTx IP Add=127.0.0.1\nTx IP Port=" +
                  std::to_string(automationPort) + "\nTX Timeout=2\nHeart Beat=0\n");
    AccountRecord account;
    account.accNum = 5801;
    account.pollDelay = 10;
    writeFile(monitor.dir + "/Accounts.PDB", accountImage(account).toStdString());
    monitor.pid = ::fork();
    if (monitor.pid == 0) {
        ::setenv("XDG_CONFIG_HOME", (monitor.dir + "/config").c_str(), 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 2);
        ::execl(programPath.c_str(), programPath.c_str(), "--headless", "--workdir",
                monitor.dir.c_str(), "--test-listen-address", "127.0.0.1", nullptr);
        ::_exit(127);
    }
    if (!waitListening(monitor.port))
        std::printf("the monitor did not start listening\n");
    return monitor;
}

Child startEcho() {
    Child echo;
    echo.port = freePort();
    echo.pid = ::fork();
    if (echo.pid == 0)
        ::_exit(runEchoServer(echo.port));
    waitListening(echo.port);
    return echo;
}

// Milliseconds from SIGTERM to the end of the process.
double stop(Child &child) {
    const double start = nowMs();
    ::kill(child.pid, SIGTERM);
    ::waitpid(child.pid, nullptr, 0);
    const double took = nowMs() - start;
    if (!child.dir.empty())
        std::system(("rm -rf " + child.dir).c_str());
    return took;
}

// "VmRSS" in MB and "Threads" of a process.
std::pair<double, int> residentAndThreads(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    double mb = 0;
    int threads = 0;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            mb = std::atof(line.c_str() + 6) / 1024.0;
        if (line.rfind("Threads:", 0) == 0)
            threads = std::atoi(line.c_str() + 8);
    }
    return {mb, threads};
}

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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            programPath = argv[++i];
        else if (std::isdigit(static_cast<unsigned char>(arg[0])))
            phaseSeconds = std::atof(arg.c_str());
        else
            scenario = arg;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    AutomationReceiver receiver;
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
