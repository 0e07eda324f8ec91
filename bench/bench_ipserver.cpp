// IP receiver figures: N simulated panels (100, 1,000, then 5,000) on persistent loopback
// connections, each polling every 8 s, against the monitor's receiver (with the engine ticking and
// the decoder taking one message per tick, log files off) and, at the same time and under the same
// load, against a minimal thread-per-connection echo server written with plain POSIX sockets. Each
// server runs in a child process of its own, so its threads, descriptors, memory and CPU are
// measured alone. Both raise their open-file limit as the program does at start-up.
//
//   bench_ipserver                  the whole run (under two minutes)
//   bench_ipserver <N>              one run with N panels
//   bench_ipserver monitor <N>      child: the monitor's receiver with N polled accounts
//   bench_ipserver echo             child: the echo server
//
// A child prints "PORT <p>" when it listens and answers the lines "STATS" ("STATS <pending>")
// and "STOP" ("STOPPED <ms> <connections> <threads>").

#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "benchengine.h"
#include "common/logbook.h"
#include "common/openfilelimit.h"
#include "common/operatordialogs.h"
#include "decoder/messagedecoder.h"
#include "engine/engine.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "settings/settings.h"
#include "strings/eventtexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr quint32 firstAccount = 1000;
constexpr quint16 pollDelayMinutes = 10;
constexpr int pollIntervalMs = 8000;
// "[P]", the delay high and low byte, ACK CR LF.
const QByteArray pollReply = QByteArrayLiteral("[P]\x00\x0A\x06\r\n");

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---- the monitor's receiver, as a child process ----

void reply(const QByteArray &line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Calls `handle` with every line that arrives on standard input.
void readCommands(QObject *owner, std::function<void(const QByteArray &)> handle) {
    auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, owner);
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [=] {
        char chunk[256];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            notifier->setEnabled(false);
            return;
        }
        buffer->append(chunk, got);
        qsizetype end;
        while ((end = buffer->indexOf('\n')) >= 0) {
            handle(buffer->left(end));
            buffer->remove(0, end + 1);
        }
    });
}

struct MonitorSide {
    QTemporaryDir dir;
    Settings settings;
    LogBook logs{dir.path()}; // saving stays off: no log files
    AccountTable accounts{dir.filePath(QStringLiteral("Accounts.PDB"))};
    EventLists lists;
    TxQueue txQueue;
    QuietDialogs dialogs;
    QuietBeeper beeper;
    Engine engine{{settings, logs, accounts, lists, txQueue, dialogs, beeper}};
    EventTexts texts;
    MessageDecoder decoder{lists,
                           txQueue,
                           logs,
                           accounts,
                           texts,
                           {[] {
                                return DecoderSettings{{"04", "1"}, OutputFormat::HighSpeed};
                            },
                            [this] { engine.txLink().reloadAttemptsIfIdle(); }}};
    PollReportLines reportLines{settings, txQueue, logs};
    PollSupervision polls{accounts, reportLines, [] { return 1; }};
    IpServer server{accounts, polls, logs};

    explicit MonitorSide(int panels) {
        for (int i = 0; i < panels; ++i) {
            AccountRecord record;
            record.accNum = firstAccount + quint32(i);
            record.pollDelay = pollDelayMinutes;
            accounts.InsertAcc(record);
        }
        engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
            decoder.Process_data(source, message);
        });
        connectReceiverToEngine(server.output(), engine);
        engine.setIpServer(&server);
        server.setListenAddress(QHostAddress::LocalHost);
        server.setPort(freeLoopbackPort());
        server.activate();
        engine.startTimer();
    }

    void command(const QByteArray &line) {
        if (line == "STATS") {
            reply("STATS " + QByteArray::number(engine.pendingMessages().size()));
        } else if (line == "STOP") {
            const QByteArray connections = server.threadCount().toLatin1();
            QElapsedTimer timer;
            timer.start();
            server.deactivate(); // every connection still open
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            reply("STOPPED " + QByteArray::number(ms, 'f', 1) + " ms, " + connections +
                  " connections open, " + QByteArray::number(server.openConnections()) +
                  " threads left unjoined");
            QCoreApplication::quit();
        }
    }
};

int runMonitor(int argc, char **argv, int panels) {
    QCoreApplication app(argc, argv);
    MonitorSide side(panels);
    if (!side.server.isActive())
        return 1;
    readCommands(&app, [&side](const QByteArray &line) { side.command(line); });
    reply("PORT " + QByteArray::number(side.server.serverPort()));
    return app.exec();
}

// ---- the reference: one thread per connection, read and answer ----

void serveEcho(int fd) {
    char buffer[1024];
    while (::read(fd, buffer, sizeof buffer) > 0) {
        if (::write(fd, pollReply.constData(), size_t(pollReply.size())) != pollReply.size())
            break;
    }
    ::close(fd);
}

int runEcho() {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(listener, 8192) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 1;
    std::thread([listener] {
        for (int fd; (fd = ::accept(listener, nullptr, nullptr)) >= 0;)
            std::thread(serveEcho, fd).detach();
    }).detach();
    reply("PORT " + QByteArray::number(ntohs(address.sin_port)));
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::strncmp(line, "STATS", 5) == 0)
            reply("STATS 0");
        else if (std::strncmp(line, "STOP", 4) == 0)
            break;
    }
    reply("STOPPED");
    std::_Exit(0);
}

// ---- the panels and the measurement ----

struct ProcessFigures {
    int threads = 0;
    int descriptors = 0;
    long rssKb = 0;
    double cpuSeconds = 0;
};

ProcessFigures figuresOf(qint64 pid) {
    ProcessFigures figures;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Threads:"))
                figures.threads = line.mid(8).trimmed().toInt();
            else if (line.startsWith("VmRSS:"))
                figures.rssKb = line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    figures.descriptors = int(
        QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::Files | QDir::System).size());
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            figures.cpuSeconds =
                double(fields[11].toLongLong() + fields[12].toLongLong()) / sysconf(_SC_CLK_TCK);
    }
    return figures;
}

struct LoadResult {
    std::vector<double> roundTrips; // ms
    int sent = 0;
    int closed = 0;
};

struct Panel {
    int fd = -1;
    QByteArray request;
    LoadResult *result = nullptr; // of the server this panel polls
    Clock::time_point due;
    Clock::time_point sentAt;
    bool waiting = false;
    int received = 0;
    bool closed = false;
};

int connectPanel(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

void sendDuePolls(std::vector<Panel> &panels, Clock::time_point now) {
    for (Panel &panel : panels) {
        if (panel.closed || panel.due > now)
            continue;
        panel.due += std::chrono::milliseconds(pollIntervalMs);
        if (panel.waiting)
            continue; // the last poll is still unanswered: it counts as lost
        panel.sentAt = Clock::now();
        panel.waiting = true;
        panel.received = 0;
        ++panel.result->sent;
        if (::write(panel.fd, panel.request.constData(), size_t(panel.request.size())) < 0) {
            panel.closed = true;
            ++panel.result->closed;
        }
    }
}

void readReplies(Panel &panel) {
    char buffer[256];
    for (;;) {
        const ssize_t got = ::read(panel.fd, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            if (panel.closed)
                return;
            panel.closed = true;
            ++panel.result->closed;
            return;
        }
        if (got < 0)
            return;
        panel.received += int(got);
        if (panel.waiting && panel.received >= pollReply.size()) {
            panel.result->roundTrips.push_back(msSince(panel.sentAt));
            panel.waiting = false;
        }
    }
}

// Every panel polls every 8 s, the panels spread evenly over the interval in their order.
void pollFor(std::vector<Panel> &panels, int seconds) {
    const int epoll = ::epoll_create1(0);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = i;
        ::epoll_ctl(epoll, EPOLL_CTL_ADD, panels[i].fd, &event);
    }
    const auto start = Clock::now();
    for (std::size_t i = 0; i < panels.size(); ++i)
        panels[i].due = start + std::chrono::milliseconds(pollIntervalMs * i / panels.size());
    std::vector<epoll_event> events(panels.size());
    const auto readReady = [&](int timeoutMs) {
        const int ready = ::epoll_wait(epoll, events.data(), int(events.size()), timeoutMs);
        for (int i = 0; i < ready; ++i) {
            Panel &panel = panels[events[std::size_t(i)].data.u64];
            readReplies(panel);
            if (panel.closed) // counted once, and no longer reported
                ::epoll_ctl(epoll, EPOLL_CTL_DEL, panel.fd, nullptr);
        }
    };
    for (const auto end = start + std::chrono::seconds(seconds); Clock::now() < end;) {
        sendDuePolls(panels, Clock::now());
        readReady(1);
    }
    // The replies still on their way; no panel may stay silent long enough to be closed.
    const auto waiting = [&panels] {
        return std::any_of(panels.begin(), panels.end(),
                           [](const Panel &panel) { return panel.waiting && !panel.closed; });
    };
    for (const auto grace = Clock::now(); waiting() && msSince(grace) < 1000;)
        readReady(10);
    ::close(epoll);
}

class Child {
public:
    Child(const QString &program, const QStringList &arguments) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, arguments);
    }
    ~Child() { m_process.waitForFinished(10000); }

    QByteArray ask(const QByteArray &command) {
        if (!command.isEmpty())
            m_process.write(command + '\n');
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(30000))
                return {};
        return m_process.readLine().trimmed();
    }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

// One server under test: its child process, its panels' results and its figures.
struct Server {
    const char *name;
    Child child;
    LoadResult load;
    quint16 port = 0;
    int pendingBefore = 0;
    double cpuBefore = 0;
    ProcessFigures process;
    double cpuPercent = 0;
    double pendingPerSecond = 0;
    QByteArray stopped;

    Server(const char *serverName, const QString &program, const QStringList &arguments)
        : name(serverName)
        , child(program, arguments) {
        const QByteArray line = child.ask({});
        port = line.startsWith("PORT ") ? quint16(line.mid(5).toUInt()) : 0;
    }
    void startMeasuring() {
        pendingBefore = child.ask("STATS").mid(6).toInt();
        cpuBefore = figuresOf(child.pid()).cpuSeconds;
    }
    void stopMeasuring(int seconds) {
        process = figuresOf(child.pid());
        cpuPercent = 100.0 * (process.cpuSeconds - cpuBefore) / seconds;
        pendingPerSecond = double(child.ask("STATS").mid(6).toInt() - pendingBefore) / seconds;
    }
    double p99() const { return percentile(load.roundTrips, 0.99); }
    bool everyPollAnswered() const {
        return int(load.roundTrips.size()) == load.sent && load.closed == 0;
    }
};

void print(const Server &server, int panels, int seconds) {
    const LoadResult &load = server.load;
    std::printf("%-8s %5d panels: %6.1f polls/s answered (%zu of %d sent, %d closed), "
                "p50 %.2f ms, p99 %.2f ms, %d threads, %d descriptors, RSS %.1f MiB, CPU %.1f %%",
                server.name, panels, double(load.roundTrips.size()) / seconds,
                load.roundTrips.size(), load.sent, load.closed, percentile(load.roundTrips, 0.5),
                server.p99(), server.process.threads, server.process.descriptors,
                double(server.process.rssKb) / 1024.0, server.cpuPercent);
    if (std::strcmp(server.name, "monitor") == 0)
        std::printf(", Pending Messages +%.1f/s, stop: %s", server.pendingPerSecond,
                    server.stopped.constData());
    std::printf("\n");
    std::fflush(stdout);
}

// Both servers under the same load at the same time, their polls interleaved, so that whatever
// else the machine does weighs on both alike.
void runBoth(const QString &program, int panelCount, int seconds) {
    Server monitor("monitor", program, {QStringLiteral("monitor"), QString::number(panelCount)});
    Server echo("echo", program, {QStringLiteral("echo")});
    if (monitor.port == 0 || echo.port == 0)
        return;
    std::vector<Panel> panels;
    int refused = 0;
    const auto connecting = Clock::now();
    for (int i = 0; i < panelCount; ++i) {
        const QByteArray request = "POLL" + QByteArray::number(firstAccount + quint32(i)) + "#A";
        for (Server *server : {&monitor, &echo}) {
            Panel panel;
            panel.fd = connectPanel(server->port);
            panel.request = request;
            panel.result = &server->load;
            if (panel.fd < 0)
                ++refused;
            else
                panels.push_back(panel);
        }
    }
    std::printf("%5d panels: %d connections made in %.0f ms, %d refused\n", panelCount,
                int(panels.size()), msSince(connecting), refused);
    QThread::msleep(500); // every connection accepted and its thread started
    for (Server *server : {&monitor, &echo})
        server->startMeasuring();
    pollFor(panels, seconds);
    for (Server *server : {&monitor, &echo})
        server->stopMeasuring(seconds);
    monitor.stopped = monitor.child.ask("STOP"); // with every connection still open
    echo.child.ask("STOP");
    for (Panel &panel : panels)
        ::close(panel.fd);
    print(monitor, panelCount, seconds);
    print(echo, panelCount, seconds);
    const double ratio = echo.p99() > 0 ? monitor.p99() / echo.p99() : 0;
    std::printf("%5d panels: p99 monitor/echo %.2fx (target 1.5x), monitor p99 %s 10 ms, %s\n\n",
                panelCount, ratio, monitor.p99() < 10 ? "under" : "NOT under",
                monitor.everyPollAnswered() ? "every poll answered"
                                            : "POLLS LOST OR CONNECTIONS CLOSED");
}

void reportOpenFileLimit() {
    const OpenFileLimit limit = raiseOpenFileLimit();
    std::printf("open-file limit %lld (was %lld)\n", limit.after, limit.before);
}

int runAll(const char *self, int onlyPanels) {
    reportOpenFileLimit();
    const QString program = QString::fromLocal8Bit(self);
    if (onlyPanels > 0) {
        runBoth(program, onlyPanels, 16);
        return 0;
    }
    runBoth(program, 100, 24);
    runBoth(program, 1000, 16);
    runBoth(program, 5000, 16); // two rounds of polls from every panel
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && std::strcmp(argv[1], "monitor") == 0) {
        raiseOpenFileLimit(); // as the program does at start-up
        return runMonitor(argc, argv, std::atoi(argv[2]));
    }
    if (argc >= 2 && std::strcmp(argv[1], "echo") == 0) {
        raiseOpenFileLimit();
        return runEcho();
    }
    QCoreApplication app(argc, argv); // for QProcess
    return runAll(argv[0], argc >= 2 ? std::atoi(argv[1]) : 0);
}
