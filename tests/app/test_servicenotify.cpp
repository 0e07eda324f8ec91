#include "watchedservice.h"

#include "app/servicenotifier.h"

#include <QFile>
#include <QFileInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// What the service manager hears from the program over its notification socket, and what the
// status command says of a running monitor and of none.
class ServiceNotifyTest : public QObject {
    Q_OBJECT

    // The manager's end: a datagram socket in the test's directory.
    class ManagerSocket {
    public:
        explicit ManagerSocket(const QString &path)
            : m_fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const QByteArray bytes = QFile::encodeName(path);
            qstrncpy(address.sun_path, bytes.constData(), sizeof address.sun_path);
            m_bound = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        }
        ~ManagerSocket() { ::close(m_fd); }
        bool bound() const { return m_bound; }

        // Every datagram received since the last call.
        QList<QByteArray> take() {
            QList<QByteArray> datagrams;
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::recv(m_fd, buffer, sizeof buffer, 0)) >= 0)
                datagrams.append(QByteArray(buffer, qsizetype(got)));
            return datagrams;
        }
        // Reads until a datagram holds `line`; the datagrams read meanwhile are kept in `seen`.
        bool waitFor(const QByteArray &line, QList<QByteArray> &seen, int timeoutMs = 20000) {
            return QTest::qWaitFor(
                [&] {
                    const QList<QByteArray> fresh = take();
                    seen += fresh;
                    for (const QByteArray &datagram : fresh) {
                        if (datagram.split('\n').contains(line))
                            return true;
                    }
                    return false;
                },
                timeoutMs);
        }

    private:
        int m_fd;
        bool m_bound = false;
    };

    static QByteArray lastStatus(const QList<QByteArray> &datagrams) {
        QByteArray status;
        for (const QByteArray &datagram : datagrams) {
            for (const QByteArray &line : datagram.split('\n')) {
                if (line.startsWith("STATUS="))
                    status = line.mid(7);
            }
        }
        return status;
    }

private slots:
    void watchdogPingsAtHalfTheManagersInterval_data() {
        QTest::addColumn<QByteArray>("usec");
        QTest::addColumn<QByteArray>("pid");
        QTest::addColumn<qint64>("intervalMs");
        QTest::newRow("two seconds") << QByteArray("2000000") << QByteArray() << qint64(1000);
        QTest::newRow("for this process")
            << QByteArray("30000000") << QByteArray("42") << qint64(15000);
        QTest::newRow("for another process")
            << QByteArray("30000000") << QByteArray("43") << qint64(0);
        QTest::newRow("no watchdog") << QByteArray() << QByteArray() << qint64(0);
        QTest::newRow("not a number") << QByteArray("soon") << QByteArray() << qint64(0);
        QTest::newRow("zero") << QByteArray("0") << QByteArray() << qint64(0);
    }
    void watchdogPingsAtHalfTheManagersInterval() {
        QFETCH(QByteArray, usec);
        QFETCH(QByteArray, pid);
        QFETCH(qint64, intervalMs);
        QCOMPARE(watchdogPingIntervalMs(usec, pid, 42), intervalMs);
    }

    // Ready once started with its status, pings while the tick runs and none while it hangs,
    // the status command repeats the status word for word, and the stop is announced.
    void theManagerHearsReadinessPingsStatusAndTheStop() {
        WatchedService service;
        ManagerSocket manager(service.filePath("notify"));
        QVERIFY(manager.bound());
        QProcessEnvironment environment = displaylessEnvironment();
        environment.insert("NOTIFY_SOCKET", service.filePath("notify"));
        environment.insert("WATCHDOG_USEC", "2000000");
        const QString stallFile = service.filePath("stall");
        QVERIFY(service.start({"--test-stall-file", stallFile}, environment));

        QList<QByteArray> seen;
        QVERIFY(manager.waitFor("READY=1", seen));
        const QByteArray ready = seen.last();
        QVERIFY2(ready.contains("\nSTATUS=Tx link ") || ready.startsWith("STATUS=Tx link "),
                 ready.constData());
        QVERIFY2(!seen.join().contains("WATCHDOG=1"), seen.join().constData());
        for (int ping = 0; ping < 3; ++ping)
            QVERIFY(manager.waitFor("WATCHDOG=1", seen));

        // The IP server answers, the link is up: the status settles.
        QTRY_VERIFY_WITH_TIMEOUT(service.panelDelivered("IP TEST"), 20000);
        const QByteArray settled = "Tx link OK; Pending Messages 0; Tx Pending 0; IP connections 0";
        QTRY_COMPARE_WITH_TIMEOUT(lastStatus(seen += manager.take()), settled, 20000);
        const auto [code, report] = WatchedService::statusCommand(service.workDirectory());
        QCOMPARE(code, 0);
        QCOMPARE(report.split('\n').first(), settled);
        const QFileInfo socket(service.filePath("Voduro.status"));
        QCOMPARE(socket.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);

        // A hung tick: within some seconds the pings stop for longer than the interval.
        QFile stall(stallFile);
        QVERIFY(stall.open(QIODevice::WriteOnly));
        stall.close();
        const bool silent = QTest::qWaitFor(
            [&] {
                manager.take();
                QTest::qWait(3000);
                return !manager.take().join('\n').contains("WATCHDOG=1");
            },
            30000);
        QVERIFY(silent);
        QVERIFY(QFile::remove(stallFile));
        seen.clear();
        QVERIFY(manager.waitFor("WATCHDOG=1", seen));

        service.requestStop();
        QVERIFY(manager.waitFor("STOPPING=1", seen));
        QVERIFY(service.stop());

        const auto [after, nothing] = WatchedService::statusCommand(service.workDirectory());
        QCOMPARE(after, 3);
        QCOMPARE(nothing, QByteArray());
        QVERIFY(!QFileInfo::exists(service.filePath("Voduro.status")));
    }
};

QTEST_GUILESS_MAIN(ServiceNotifyTest)
#include "test_servicenotify.moc"
