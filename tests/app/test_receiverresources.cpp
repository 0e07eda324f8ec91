#include "watchedservice.h"

#include "common/openfilelimit.h"

#include <QDir>
#include <QTimer>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

// Descriptors the program may hold: its own files and sockets, and a handful of connections.
constexpr rlim_t descriptorLimit = 64;
constexpr int panelCount = 100;
// The open-file limit of the program whose every panel slot is taken.
constexpr rlim_t tightLimit = 256;
const QByteArray contactId = "25801181130010010";

int openDescriptors(qint64 pid) {
    return int(QDir(u"/proc/%1/fd"_s.arg(pid)).entryList(QDir::Files | QDir::System).size());
}

bool setOpenFileLimit(qint64 pid, rlim_t soft) {
    rlimit limit{};
    if (::prlimit(pid_t(pid), RLIMIT_NOFILE, nullptr, &limit) != 0)
        return false;
    limit.rlim_cur = soft;
    return ::prlimit(pid_t(pid), RLIMIT_NOFILE, &limit, nullptr) == 0;
}

double figure(quint16 metricsPort, const QByteArray &name) {
    return metricSample(httpGet(metricsPort, "/metrics").body, name);
}

// Panels that hold their connections open: each sends a text the receiver answers every few
// seconds, so none is closed for its silence.
class HeldPanels : public QObject {
public:
    HeldPanels(quint16 port, int count) {
        for (int i = 0; i < count; ++i) {
            m_panels.push_back(std::make_unique<QTcpSocket>());
            m_panels.back()->connectToHost(QHostAddress::LocalHost, port);
        }
        m_keepAlive.setInterval(3000);
        connect(&m_keepAlive, &QTimer::timeout, this, [this] {
            for (auto &panel : m_panels) {
                panel->readAll();
                if (panel != m_panels.front() && panel->state() == QAbstractSocket::ConnectedState)
                    panel->write("IP TEST");
            }
        });
        m_keepAlive.start();
    }
    // The first one is kept for the test's own texts.
    QTcpSocket &first() { return *m_panels.front(); }

private:
    std::vector<std::unique_ptr<QTcpSocket>> m_panels;
    QTimer m_keepAlive;
};

} // namespace

// The program's descriptors: those it keeps for its own work, and what happens when they run out
// all the same.
class ReceiverResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { raiseOpenFileLimit(); } // the test holds every panel's connection

    // Connections it cannot take while its limit was lowered under it wait in the system's
    // queue and are served as others end; every descriptor comes back, and the program runs on.
    void outOfDescriptorsConnectionsWaitAndDescriptorsComeBack() {
        WatchedService service;
        QVERIFY(service.start());
        QTRY_VERIFY_WITH_TIMEOUT(service.panelDelivered("IP TEST"), 30000);
        const qint64 pid = service.process.processId();
        QVERIFY(setOpenFileLimit(pid, descriptorLimit));
        QTest::qWait(500);
        const int idle = openDescriptors(pid);

        std::vector<std::unique_ptr<QTcpSocket>> panels;
        for (int i = 0; i < panelCount; ++i) {
            panels.push_back(std::make_unique<QTcpSocket>());
            panels.back()->connectToHost(QHostAddress::LocalHost, service.ipPort);
        }
        for (auto &panel : panels)
            QVERIFY(panel->waitForConnected(15000)); // queued by the system, if not taken
        // More than the descriptors allow: each is answered once an earlier one has ended.
        for (auto &panel : panels) {
            panel->write("IP TEST");
            QVERIFY(QTest::qWaitFor([&] { return panel->bytesAvailable() >= 3; }, 30000));
            QCOMPARE(panel->readAll(), QByteArray("\x06\r\n"));
            panel->close();
        }
        QCOMPARE(service.process.state(), QProcess::Running);
        QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(pid), idle, 15000);
        QVERIFY(service.stop());
    }

    // A low open-file limit and every panel slot taken: the limit in effect is lower than "Max
    // Connections" and says so; the Tx link still reaches the restarted automation receiver
    // with an alarm, and the status command is answered.
    void everyPanelSlotTakenTheMonitorStillDeliversAndAnswers() {
        WatchedService service;
        service.process.setChildProcessModifier([] {
            const rlimit tight{tightLimit, tightLimit};
            ::setrlimit(RLIMIT_NOFILE, &tight);
        });
        const quint16 metrics = unusedLoopbackPort();
        QVERIFY(service.start({"--metrics", "127.0.0.1:" + QString::number(metrics)}));
        QTRY_COMPARE_WITH_TIMEOUT(httpGet(metrics, "/health").status, 200, 20000);
        QVERIFY(service.panelDelivered(contactId));
        QTRY_COMPARE_WITH_TIMEOUT(service.automation.chunks().size(), 1, 20000);
        const int panelSlots = int(figure(metrics, "voduro_connections_limit{kind=\"in_effect\"}"));
        QVERIFY2(panelSlots >= 1 && panelSlots < int(tightLimit) - 100,
                 QByteArray::number(panelSlots).constData());

        HeldPanels panels(service.ipPort, panelSlots + 20);
        QTRY_COMPARE_WITH_TIMEOUT(figure(metrics, "voduro_connections"), double(panelSlots), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(
            figure(metrics, "voduro_connections_refused_total{reason=\"limit\"}") >= 20, 30000);

        QVERIFY(service.automation.restart());
        panels.first().write(contactId);
        const QByteArray line = service.automation.received();
        QTRY_COMPARE_WITH_TIMEOUT(service.automation.received(), line + line, 30000);
        const auto [exitCode, report] = WatchedService::statusCommand(service.workDirectory());
        QCOMPARE(exitCode, 0);
        QVERIFY2(report.contains("IP connections: " + QByteArray::number(panelSlots) + " open"),
                 report.constData());

        const QByteArray notice = "Max Connections: set to 20000, but the open-file limit of " +
                                  QByteArray::number(tightLimit);
        QVERIFY(service.stop());
        QVERIFY2(service.process.readAllStandardError().contains(notice), notice.constData());
        QFile log(service.filePath("IP_EXPlog.TXT"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("[set to 20000, but the open-file limit of "));
    }

    // Qt's local and TCP servers stop for good when an accept fails: the program out of
    // descriptors for a moment, its status socket and its metrics page answer again once they
    // are back.
    void watchEndpointsComeBackAfterDescriptorsRanOut() {
        WatchedService service;
        const quint16 metrics = unusedLoopbackPort();
        QVERIFY(service.start({"--metrics", "127.0.0.1:" + QString::number(metrics)}));
        const QString directory = service.workDirectory();
        QTRY_COMPARE_WITH_TIMEOUT(WatchedService::statusCommand(directory).first, 0, 20000);
        rlimit saved{};
        const pid_t pid = pid_t(service.process.processId());
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, nullptr, &saved), 0);
        QVERIFY(setOpenFileLimit(pid, 3)); // not one descriptor free
        QTcpSocket scrape;
        scrape.connectToHost(QHostAddress::LocalHost, metrics);
        QVERIFY(scrape.waitForConnected(10000)); // by the system; the program cannot take it
        QVERIFY(WatchedService::statusCommand(directory).first != 0);
        QCOMPARE(::prlimit(pid, RLIMIT_NOFILE, &saved, nullptr), 0);
        QTRY_COMPARE_WITH_TIMEOUT(WatchedService::statusCommand(directory).first, 0, 20000);
        QCOMPARE(httpGet(metrics, "/health").status, 200);
        QVERIFY(service.stop());
    }
};

QTEST_GUILESS_MAIN(ReceiverResourcesTest)
#include "test_receiverresources.moc"
