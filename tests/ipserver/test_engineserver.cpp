#include "ipserver/ipserverfixture.h"

#include <QtTest>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString refusal = u"Close all the connections already connected to Voduro."_s;
const QByteArray selfTest = QByteArrayLiteral("IP TEST");

// Ticks until the minute's self-test is queued; false when it never is.
bool tickUntilSelfTestQueued(IpServerFixture &f) {
    for (int i = 0; i < 700; ++i) {
        f.engine.tick();
        if (f.txQueue.lines() == QList<QByteArray>{selfTest})
            return true;
    }
    return false;
}

// The receiver fixture with the engine driving the real server, as the program sets it up.
struct EngineServerFixture : IpServerFixture {
    EngineServerFixture() { engine.setIpServer(&server); }
};

} // namespace

// The engine's tick against the real IP server: the Tx link's self-test with its recovery, and
// the IP watchdog.
class TestEngineServer : public QObject {
    Q_OBJECT
private slots:
    void selfTestIsAnsweredByTheServerAndLeavesNoTrace();
    void unansweredSelfTestRestartsTheServerOnItsPort();
    void watchdogRefusalIsShownOnceUntilAConnectionFeedsItAgain();
};

void TestEngineServer::selfTestIsAnsweredByTheServerAndLeavesNoTrace() {
    EngineServerFixture f;
    QVERIFY(f.start());
    f.settings.setText(SettingKey::TcpPort, QString::number(f.port()));
    f.settings.setText(SettingKey::TxTimeout, u"60"_s); // the reply must not race the wait
    QVERIFY(tickUntilSelfTestQueued(f));
    f.engine.tick();
    QCOMPARE(f.engine.status().txTarget, TxTarget::SelfTest);
    QTRY_VERIFY_WITH_TIMEOUT((f.engine.tick(), f.txQueue.isEmpty()), 20000);
    QVERIFY(f.engine.status().comOk);
    QCOMPARE(f.engine.txLink().state().TxOnSecondary, false);
    // The test connection is not kept: the server is left without connections.
    QTRY_VERIFY_WITH_TIMEOUT((f.engine.tick(), f.server.threadCount() == u"0"_s), 20000);
    QVERIFY(f.waitForLogLines(LogBook::IpLog, 2)); // "IP TEST" and the closing empty read
    QCOMPARE(f.logTexts(LogBook::IpLog), (QList<QByteArray>{selfTest, QByteArray()}));
    const QByteArray ackLog = f.env.readFile(LogBook::AckLog);
    QCOMPARE(ackLog.count(" IP -- "), 1);
    QVERIFY(ackLog.endsWith(" IP -- " + ack + "\r\n"));
    f.ticks(5);
    QVERIFY(f.engine.pendingMessages().isEmpty());
    QVERIFY(!f.env.fileExists(LogBook::RxLog));
    QVERIFY(!f.env.fileExists(LogBook::TxLog));
    QVERIFY(f.dialogs.asked.isEmpty());
}

void TestEngineServer::unansweredSelfTestRestartsTheServerOnItsPort() {
    EngineServerFixture f;
    QVERIFY(f.start());
    const quint16 listened = f.port();
    // "Listen on Port:" was changed since the server started: the test finds no one there.
    const quint16 target = unusedLoopbackPort();
    QVERIFY(target != listened);
    f.settings.setText(SettingKey::TcpPort, QString::number(target));
    f.settings.setText(SettingKey::TxAtt, u"1"_s);
    f.settings.setText(SettingKey::TxTimeout, u"1"_s);
    QStringList waits;
    f.engine.setOneSecondWait([&] {
        waits << (f.server.isActive() ? u"during a listening server"_s : u"while stopped"_s);
    });
    QVERIFY(tickUntilSelfTestQueued(f));
    for (int i = 0; i < 30 && waits.isEmpty(); ++i) {
        f.engine.tick();
        f.settle(1);
    }
    QCOMPARE(waits, QStringList{u"while stopped"_s});
    QVERIFY(f.server.isActive());
    QCOMPARE(f.server.serverPort(), target);
    QVERIFY(f.txQueue.isEmpty());
    QVERIFY(f.dialogs.asked.isEmpty());

    // The restarted server answers on the new port.
    Panel panel(target);
    QVERIFY(panel.waitConnected());
    panel.send(selfTest);
    QCOMPARE(panel.reply(3), ack);
}

void TestEngineServer::watchdogRefusalIsShownOnceUntilAConnectionFeedsItAgain() {
    EngineServerFixture f;
    f.server.setIdleTimeout(300000); // the panel stays through every tick of the test
    QVERIFY(f.start());
    f.engine.txLink().setSelfTestCountdown(
        std::numeric_limits<int>::max()); // no self-test connection
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());
    QTRY_COMPARE_WITH_TIMEOUT(f.watchdogFeeds, 1, 15000);
    f.settle();
    f.ticks(IpServerToggle::watchdogStartTicks);
    QVERIFY(f.engine.status().connected[3]);
    QCOMPARE(f.engine.status().padNua[3], u"127.0.0.1"_s);
    QVERIFY(f.dialogs.asked.isEmpty());
    f.ticks(1);
    QCOMPARE(f.dialogs.texts(), QStringList{refusal});
    QCOMPARE(f.dialogs.asked.first().kind, ScriptedDialogs::Entry::BackgroundNotice);
    f.ticks(600);
    QCOMPARE(f.dialogs.asked.size(), 1);
    QVERIFY(f.server.isActive());
    QVERIFY(panel.isConnected());

    // A message that is answered feeds the counter: one more silence, one more notice.
    panel.send("9\x03 alive");
    QCOMPARE(panel.reply(3), ack);
    QTRY_COMPARE_WITH_TIMEOUT(f.watchdogFeeds, 2, 15000);
    f.settle();
    f.ticks(IpServerToggle::watchdogStartTicks);
    QCOMPARE(f.dialogs.asked.size(), 1);
    f.ticks(1);
    QCOMPARE(f.dialogs.asked.size(), 2);

    panel.close();
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 15000);
    f.ticks(1);
    QVERIFY(!f.engine.status().connected[3]);
    QCOMPARE(f.engine.status().padNua[3], noNuaText);
}

QTEST_GUILESS_MAIN(TestEngineServer)
#include "test_engineserver.moc"
