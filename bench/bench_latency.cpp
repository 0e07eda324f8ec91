// Alarm latency through the whole program: from a panel's message on 127.0.0.1 to the automation
// receiver's receipt of its line, while 1,000 panels poll every 10 s. First single alarms under
// that steady load, then a burst of 1,000 alarms at once (one from every panel). Prints p50, p99
// and max of each, and how long the burst took to be fully delivered. The receiver acknowledges
// every line at once; panels, receiver and monitor each run on their own thread, as in a centre.
//
//   bench_latency [seconds of single alarms, default 60] [single alarms a second, default 2]
//                 [longest wait for the burst in seconds, default 120]

#include "app/monitorcore.h"
#include "benchengine.h"
#include "common/openfilelimit.h"
#include "engine/engine.h"
#include "ipserver/ipserver.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QHash>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

namespace {

constexpr int panelCount = 1000;
constexpr qint64 pollIntervalNs = 10'000'000'000;
const QByteArray ack("\x06\r\n");

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QByteArray accountOf(int panel) {
    return QByteArray::number(2000 + panel);
}

// A Contact ID burglary report with a valid check digit.
QByteArray alarmReport(int panel, int zone) {
    const QByteArray digits =
        accountOf(panel) + "18113001" + QByteArray::number(zone).rightJustified(3, '0');
    int sum = 0;
    for (char digit : digits)
        sum += digit == '0' ? 10 : digit - '0';
    const int check = 15 - sum % 15;
    return '2' + digits +
           (check == 10  ? '0'
            : check < 10 ? char('0' + check)
                         : char('A' + check - 10));
}

// When each alarm was sent and when its line arrived, by account and zone.
class Recorder {
public:
    void sent(const QByteArray &key) {
        QMutexLocker lock(&m_mutex);
        if (!m_sent.contains(key))
            m_sent.insert(key, nowNs());
    }
    void received(const QByteArray &key) {
        QMutexLocker lock(&m_mutex);
        if (!m_received.contains(key))
            m_received.insert(key, nowNs());
    }
    // Latencies of the given alarms that arrived, and the time the last one arrived.
    std::vector<qint64> latencies(const QByteArrayList &keys, qint64 *lastArrival = nullptr) {
        QMutexLocker lock(&m_mutex);
        std::vector<qint64> result;
        for (const QByteArray &key : keys) {
            if (!m_received.contains(key) || !m_sent.contains(key))
                continue;
            result.push_back(m_received.value(key) - m_sent.value(key));
            if (lastArrival)
                *lastArrival = std::max(*lastArrival, m_received.value(key));
        }
        return result;
    }
    qint64 firstSent(const QByteArrayList &keys) {
        QMutexLocker lock(&m_mutex);
        qint64 first = std::numeric_limits<qint64>::max();
        for (const QByteArray &key : keys)
            if (m_sent.contains(key))
                first = std::min(first, m_sent.value(key));
        return first;
    }

private:
    QMutex m_mutex;
    QHash<QByteArray, qint64> m_sent;
    QHash<QByteArray, qint64> m_received;
};

QByteArray alarmKey(int panel, int zone) {
    return accountOf(panel) + QByteArray::number(zone).rightJustified(3, '0');
}

// The automation software: acknowledges every line as soon as its terminator is in.
class Receiver : public QObject {
public:
    explicit Receiver(Recorder &recorder)
        : m_recorder(recorder) {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(*socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void read(QTcpSocket &socket) {
        m_buffer += socket.readAll();
        qsizetype end;
        while ((end = m_buffer.indexOf('\x14')) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (line.startsWith("5041 18") && line.size() >= 20)
                m_recorder.received(line.mid(7, 4) + line.right(3));
            socket.write("\x06");
        }
    }

    Recorder &m_recorder;
    QTcpServer m_server;
    QByteArray m_buffer;
};

// A panel that keeps its connection, sends one text at a time and the next after the reply, and
// connects again (sending the unanswered text again) when the monitor closes an idle connection.
class Panel : public QObject {
public:
    Panel(int number, quint16 port, Recorder &recorder)
        : m_number(number)
        , m_port(port)
        , m_recorder(recorder) {
        connect(&m_socket, &QTcpSocket::connected, this, &Panel::sendNext);
        connect(&m_socket, &QTcpSocket::readyRead, this, &Panel::onReply);
        connect(&m_socket, &QTcpSocket::disconnected, this, &Panel::onClosed);
        connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
            if (m_socket.state() == QAbstractSocket::UnconnectedState)
                onClosed();
        });
    }
    void poll() { queue("POLL" + accountOf(m_number) + "#A", QByteArray()); }
    void alarm(int zone) { queue(alarmReport(m_number, zone), alarmKey(m_number, zone)); }
    int replies() const { return m_replies; }

private:
    struct Text {
        QByteArray bytes;
        QByteArray alarmKey; // empty for a poll
    };

    void queue(const QByteArray &bytes, const QByteArray &key) {
        m_queue.push_back({bytes, key});
        sendNext();
    }
    void sendNext() {
        if (m_inFlight || m_queue.empty())
            return;
        if (m_socket.state() == QAbstractSocket::UnconnectedState) {
            m_socket.connectToHost(QHostAddress::LocalHost, m_port);
            return;
        }
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            return;
        const Text &text = m_queue.front();
        if (!text.alarmKey.isEmpty())
            m_recorder.sent(text.alarmKey);
        m_socket.write(text.bytes);
        m_inFlight = true;
    }
    void onReply() {
        m_received += m_socket.readAll();
        if (!m_inFlight || !m_received.endsWith(ack))
            return;
        m_received.clear();
        m_inFlight = false;
        m_queue.pop_front();
        ++m_replies;
        sendNext();
    }
    void onClosed() {
        m_inFlight = false; // the text at the front goes again on the next connection
        m_received.clear();
        if (!m_queue.empty())
            QTimer::singleShot(0, this, &Panel::sendNext);
    }

    QTcpSocket m_socket;
    int m_number;
    quint16 m_port;
    Recorder &m_recorder;
    std::deque<Text> m_queue;
    bool m_inFlight = false;
    QByteArray m_received;
    int m_replies = 0;
};

// All panels, on their own thread: polls spread evenly over the interval.
class PanelDriver : public QObject {
public:
    PanelDriver(quint16 port, Recorder &recorder)
        : m_port(port)
        , m_recorder(recorder) {}

    void start() {
        const qint64 start = nowNs();
        for (int i = 0; i < panelCount; ++i) {
            m_panels.push_back(std::make_unique<Panel>(i, m_port, m_recorder));
            m_nextPoll.push_back(start + pollIntervalNs * i / panelCount);
        }
        m_timer = new QTimer(this);
        m_timer->setInterval(10);
        connect(m_timer, &QTimer::timeout, this, &PanelDriver::pollDue);
        m_timer->start();
    }
    void stop() {
        delete m_timer;
        m_panels.clear();
    }
    void alarm(int panel, int zone) { m_panels.at(std::size_t(panel))->alarm(zone); }
    int replies() const {
        int total = 0;
        for (const auto &panel : m_panels)
            total += panel->replies();
        return total;
    }

private:
    void pollDue() {
        const qint64 now = nowNs();
        for (std::size_t i = 0; i < m_panels.size(); ++i) {
            if (m_nextPoll[i] > now)
                continue;
            m_panels[i]->poll();
            m_nextPoll[i] += pollIntervalNs;
        }
    }

    quint16 m_port;
    Recorder &m_recorder;
    std::vector<std::unique_ptr<Panel>> m_panels;
    std::vector<qint64> m_nextPoll;
    QTimer *m_timer = nullptr;
};

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Call> void onThread(QObject *object, Call call) {
    QMetaObject::invokeMethod(object, call, Qt::BlockingQueuedConnection);
}

void printLatencies(const char *what, std::vector<qint64> ns, int expected) {
    std::sort(ns.begin(), ns.end());
    if (ns.empty()) {
        std::printf("%-24s none of %d delivered\n", what, expected);
        return;
    }
    const auto at = [&](double q) {
        return double(ns[std::min(ns.size() - 1, std::size_t(q * double(ns.size())))]) / 1e6;
    };
    std::printf("%-24s %4zu of %4d delivered   p50 %8.1f ms   p99 %8.1f ms   max %8.1f ms\n", what,
                ns.size(), expected, at(0.5), at(0.99), double(ns.back()) / 1e6);
    std::fflush(stdout);
}

void configure(MonitorCore &core, quint16 listenPort, quint16 receiverPort) {
    Settings &settings = core.settings();
    settings.setText(SettingKey::TcpPort, QString::number(listenPort));
    settings.setFlag(SettingKey::TcpOpen, true);
    settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
    settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
    settings.setText(SettingKey::TxIpPort, QString::number(receiverPort));
    settings.setFlag(SettingKey::TxOpen, true);
    settings.setText(SettingKey::HeartBeat, QStringLiteral("0"));
    for (int panel = 0; panel < panelCount; ++panel) {
        AccountRecord record;
        record.accNum = quint32(2000 + panel);
        record.pollDelay = 5;
        core.accounts().InsertAcc(record);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    raiseOpenFileLimit();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int steadySeconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;
    const int alarmsPerSecond = argc > 2 ? QByteArray(argv[2]).toInt() : 2;
    const int burstLimitSeconds = argc > 3 ? QByteArray(argv[3]).toInt() : 120;

    Recorder recorder;
    QThread receiverThread;
    QObject receiverHome; // where the receiver is made and deleted: its thread
    receiverHome.moveToThread(&receiverThread);
    receiverThread.start();
    Receiver *receiver = nullptr;
    onThread(&receiverHome, [&] { receiver = new Receiver(recorder); });

    QuietDialogs dialogs;
    QuietBeeper beeper;
    MonitorCore core(dialogs, beeper, {QHostAddress::LocalHost});
    core.loadStore();
    const quint16 listenPort = freeLoopbackPort();
    configure(core, listenPort, receiver->port());
    core.startLines();
    core.startTimer();

    QThread panelThread;
    panelThread.start();
    PanelDriver driver(listenPort, recorder);
    driver.moveToThread(&panelThread);
    onThread(&driver, [&] { driver.start(); });
    std::printf("%d panels polling every 10 s; warming up\n", panelCount);
    std::fflush(stdout);
    runFor(12000);

    QByteArrayList singles;
    const int singleCount = steadySeconds * alarmsPerSecond;
    for (int k = 0; k < singleCount; ++k) {
        const int panel = (k * 37) % panelCount;
        const int zone = 500 + k / panelCount;
        singles.append(alarmKey(panel, zone));
        QMetaObject::invokeMethod(&driver, [&driver, panel, zone] { driver.alarm(panel, zone); });
        runFor(1000 / alarmsPerSecond);
    }
    runFor(3000);
    printLatencies("single alarms:", recorder.latencies(singles), singleCount);

    QByteArrayList burst;
    for (int panel = 0; panel < panelCount; ++panel)
        burst.append(alarmKey(panel, 1));
    QMetaObject::invokeMethod(&driver, [&driver] {
        for (int panel = 0; panel < panelCount; ++panel)
            driver.alarm(panel, 1);
    });
    const qint64 burstLimit = nowNs() + qint64(burstLimitSeconds) * 1'000'000'000;
    while (recorder.latencies(burst).size() < std::size_t(panelCount) && nowNs() < burstLimit)
        runFor(100);
    qint64 lastArrival = 0;
    const std::vector<qint64> burstLatencies = recorder.latencies(burst, &lastArrival);
    printLatencies("burst of 1,000 alarms:", burstLatencies, panelCount);
    if (!burstLatencies.empty()) {
        const double seconds = double(lastArrival - recorder.firstSent(burst)) / 1e9;
        std::printf("burst: %zu lines delivered in %.2f s (%.1f lines/s)%s\n",
                    burstLatencies.size(), seconds, double(burstLatencies.size()) / seconds,
                    burstLatencies.size() < std::size_t(panelCount) ? ", stopped waiting" : "");
    }
    int replies = 0;
    onThread(&driver, [&] { replies = driver.replies(); });
    std::printf("panel texts answered: %d; Pending Messages %d, Tx Pending %d\n", replies,
                core.engine().pendingMessages().size(), core.txQueue().size());

    onThread(&driver, [&] { driver.stop(); });
    panelThread.quit();
    panelThread.wait();
    core.shutDown();
    onThread(&receiverHome, [&] { delete receiver; });
    receiverThread.quit();
    receiverThread.wait();
    return 0;
}
