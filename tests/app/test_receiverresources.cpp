#include "support/tempenvironment.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

// Descriptors the program may hold: its own files and sockets, and a handful of connections.
constexpr rlim_t descriptorLimit = 64;
constexpr int panelCount = 100;

int openDescriptors(qint64 pid) {
    return int(QDir(u"/proc/%1/fd"_s.arg(pid)).entryList(QDir::Files | QDir::System).size());
}

} // namespace

// The program out of descriptors: connections it cannot take wait in the system's queue and are
// served as others end; every descriptor comes back, and the program runs on.
class ReceiverResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void outOfDescriptorsConnectionsWaitAndDescriptorsComeBack() {
        TempEnvironment env;
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        QVERIFY(env.writeSettings(
            "[Logic]\nTCP Open=1\n[Strings]\nTCP Port=" + QByteArray::number(port) + "\n"));
        QProcess program;
        env.prepareProgram(program);
        program.setChildProcessModifier([] {
            const rlimit tight{descriptorLimit, descriptorLimit};
            ::setrlimit(RLIMIT_NOFILE, &tight);
        });
        program.start(VODURO_BINARY, {u"--headless"_s, u"--test-listen-address"_s, u"127.0.0.1"_s});
        QVERIFY(program.waitForStarted(10000));
        QTcpSocket first;
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (first.state() == QAbstractSocket::UnconnectedState)
                    first.connectToHost(QHostAddress::LocalHost, port);
                return first.state() == QAbstractSocket::ConnectedState;
            },
            30000));
        first.write("IP TEST");
        QVERIFY(QTest::qWaitFor([&] { return first.bytesAvailable() >= 3; }, 15000));
        first.close();
        QTest::qWait(500);
        const int idle = openDescriptors(program.processId());

        std::vector<std::unique_ptr<QTcpSocket>> panels;
        for (int i = 0; i < panelCount; ++i) {
            panels.push_back(std::make_unique<QTcpSocket>());
            panels.back()->connectToHost(QHostAddress::LocalHost, port);
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
        QCOMPARE(program.state(), QProcess::Running);
        QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(program.processId()), idle, 15000);
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    }
};

QTEST_GUILESS_MAIN(ReceiverResourcesTest)
#include "test_receiverresources.moc"
