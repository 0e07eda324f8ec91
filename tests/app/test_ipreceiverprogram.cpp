#include "app/monitor.h"
#include "app/signalwatcher.h"
#include "engine/engine.h"
#include "ipserver/ipserver.h"
#include "support/automationreceiver.h"
#include "support/tempenvironment.h"
#include "ui/comsetupwindow.h"
#include "ui/mainwindow.h"

#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Settings of a monitor that ran its IP server on `port` when it last ended.
QByteArray serverWasRunning(quint16 port) {
    return "[Logic]\nTCP Open=1\n[Strings]\nTCP Port=" + QByteArray::number(port) + "\n";
}

MonitorOptions onLoopback() {
    MonitorOptions options;
    options.listenAddress = QHostAddress::LocalHost;
    return options;
}

std::unique_ptr<QTcpSocket> connectPanel(quint16 port) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    return socket;
}

template <typename T> T *control(Monitor &monitor, const QString &name) {
    if (T *found = monitor.comSetupWindow().findChild<T *>(name))
        return found;
    if (T *found = monitor.mainWindow().findChild<T *>(name))
        return found;
    return monitor.core().findChild<T *>(name);
}

} // namespace

// The IP receiver inside the whole program: started from the stored flag, served while the
// program runs, and taken down with every connection by the exit path.
class TestIpReceiverProgram : public QObject {
    Q_OBJECT
private slots:
    void startUpStartsTheStoredServerAndShowsItsConnections();
    void terminationWithTwoHundredConnectionsEndsThemAllAndKeepsTheFlag();
};

void TestIpReceiverProgram::startUpStartsTheStoredServerAndShowsItsConnections() {
    TempEnvironment env;
    const quint16 port = unusedLoopbackPort();
    // Decoding off: the program decodes a message as soon as it is stored, and this test looks
    // at it in "Pending Messages".
    QVERIFY(env.writeSettings(
        serverWasRunning(port).replace("[Logic]\n", "[Logic]\nProcess Data=0\n")));
    Monitor monitor(onLoopback());
    QVERIFY(monitor.ipServer().isActive());
    QCOMPARE(monitor.ipServer().serverPort(), port);
    QCOMPARE(control<QPushButton>(monitor, u"StartIP"_s)->text(), u"STOP IP"_s);
    QCOMPARE(env.storedValue("Logic/TCP Open"), u"1"_s);
    auto *minuteTimer = control<QTimer>(monitor, u"MinTimer1"_s);
    QVERIFY(minuteTimer && minuteTimer->isActive());
    QCOMPARE(minuteTimer->interval(), 60000);

    auto panel = connectPanel(port);
    QVERIFY(panel->waitForConnected(15000));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>(monitor, u"ThreadCount"_s)->text(), u"1"_s, 15000);
    panel->write("9\x03 first");
    QTRY_VERIFY_WITH_TIMEOUT(panel->bytesAvailable() >= 3, 15000);
    QCOMPARE(panel->readAll(), QByteArray("\x06\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(monitor.engine().pendingMessages().size(), 1, 15000);
    QCOMPARE(monitor.engine().pendingMessages().first().text(),
             QByteArray("[127.0.0.1]9\x03 first"));
    monitor.engine().tick();
    QCOMPARE(control<QLabel>(monitor, u"Pad_NUA3"_s)->text(), u"127.0.0.1"_s);
    QVERIFY(control<QLabel>(monitor, u"ComLabIP"_s)->isEnabled());

    // The host's own address comes from the resolver when it answers.
    QString expected;
    for (const QHostAddress &address : QHostInfo::fromName(QHostInfo::localHostName()).addresses())
        if (expected.isEmpty() && address.protocol() == QAbstractSocket::IPv4Protocol)
            expected = address.toString();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(monitor, u"system"_s)->text(), expected, 15000);
}

// A service manager's stop with 200 panels connected: the program's own exit path ends every
// connection, joins every thread and stores the server as running.
void TestIpReceiverProgram::terminationWithTwoHundredConnectionsEndsThemAllAndKeepsTheFlag() {
    TempEnvironment env;
    const quint16 port = unusedLoopbackPort();
    QVERIFY(env.writeSettings(serverWasRunning(port)));
    Monitor monitor(onLoopback());
    SignalWatcher watcher;
    // Wired as the program wires it: the event loop ends without asking for the password.
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, qApp,
                     [] { QCoreApplication::exit(0); });
    std::vector<std::unique_ptr<QTcpSocket>> panels;
    for (int i = 0; i < 200; ++i)
        panels.push_back(connectPanel(port));
    // Every panel has spoken once; its thread now waits for the next text.
    for (auto &panel : panels) {
        QVERIFY(panel->waitForConnected(15000));
        panel->write("9\x03 half");
    }
    auto *threadCount = control<QLineEdit>(monitor, u"ThreadCount"_s);
    QTRY_COMPARE_WITH_TIMEOUT(threadCount->text(), u"200"_s, 30000);
    QFile::remove(env.settingsFile());

    QTimer::singleShot(0, &monitor, [] { ::raise(SIGTERM); });
    // Only a bound for a program that would not end; an ended one returns 0 at once.
    QTimer::singleShot(60000, &monitor, [] { QCoreApplication::exit(3); });
    QCOMPARE(monitor.exec(), 0);
    QCOMPARE(monitor.ipServer().openConnections(), 0);
    QCOMPARE(monitor.ipServer().threadCount(), u"0"_s);
    QVERIFY(!monitor.ipServer().isActive());
    QCOMPARE(env.storedValue("Logic/TCP Open"), u"1"_s);
    QCOMPARE(env.storedValue("Strings/TCP Port"), QString::number(port));
    QTRY_COMPARE_WITH_TIMEOUT(threadCount->text(), u"0"_s, 15000);
    for (auto &panel : panels)
        QTRY_COMPARE_WITH_TIMEOUT(panel->state(), QAbstractSocket::UnconnectedState, 15000);
    // Nothing listens any more.
    auto late = connectPanel(port);
    QVERIFY(!late->waitForConnected(5000));
}

QTEST_MAIN(TestIpReceiverProgram)
#include "test_ipreceiverprogram.moc"
