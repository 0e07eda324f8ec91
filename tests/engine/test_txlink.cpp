#include "protocol/automationlines.h"
#include "support/automationreceiver.h"
#include "support/ptypair.h"
#include "support/txfixture.h"

#include <QtTest>

namespace {

const QByteArray line1 = "5041 182468E13001003";
const QByteArray line2 = "S041[#2468|Nri1/BA01]";

} // namespace

class TxLinkTest : public QObject {
    Q_OBJECT

private slots:
    void unreachablePrimaryAndSecondaryRaiseFaultAfterEightSends() {
        TxFixture f;
        f.useTcp(unusedLoopbackPort(), unusedLoopbackPort());
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 900));
        QCOMPARE(f.tickNumber, 809);
        QCOMPARE(f.ticksOf(f.sends), (QList<int>{1, 102, 203, 304, 405, 506, 607, 708}));
        for (int i = 0; i < 8; ++i)
            QCOMPARE(f.sends[i].target, i < 4 ? TxTarget::Primary : TxTarget::Secondary);
        QVERIFY(!f.engine.status().comOk);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
        QCOMPARE(f.beeper.count, 0);
        f.run(4);
        QCOMPARE(f.beeper.count, 0);
        f.run(1);
        QCOMPARE(f.beeper.count, 1); // half a second after the fault
        f.run(300);
        QCOMPARE(f.beeper.count, 2); // then every "Fault Warning" seconds
    }

    void withoutSecondaryFaultFollowsFourSends() {
        TxFixture f;
        f.useTcp(unusedLoopbackPort());
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 500));
        QCOMPARE(f.tickNumber, 405);
        QCOMPARE(f.ticksOf(f.sends), (QList<int>{1, 102, 203, 304}));
    }

    void ackNotFirstInItsBurstIsIgnored() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Custom);
        receiver.setCustomReply("\x15\x06");
        TxFixture f;
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QVERIFY(f.replyArrives());
        f.run(3);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
        f.run(100);
        QCOMPARE(f.ticksOf(f.sends), (QList<int>{1, 102}));
    }

    void forceBackupWithSilentSecondaryRemovesTheLineWithoutFault() {
        AutomationReceiver primary(AutomationReceiver::Reply::Ack);
        AutomationReceiver secondary(AutomationReceiver::Reply::Silent);
        TxFixture f;
        f.settings.setFlag(SettingKey::ForceBackup, true);
        f.useTcp(primary.port(), secondary.port());
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.txQueue.isEmpty(); }, 600));
        QVERIFY(f.engine.status().comOk);
        QVERIFY(!f.engine.status().faultLed);
        QCOMPARE(primary.received(), line1 + '\x14');
        QTRY_COMPARE_WITH_TIMEOUT(secondary.received(), (line1 + '\x14').repeated(4), 10000);
        QCOMPARE(secondary.connectionCount(), 4); // "Force Backup" reconnects for every send
    }

    void forceBackupWithBothPathsFailingRaisesFault() {
        TxFixture f;
        f.settings.setFlag(SettingKey::ForceBackup, true);
        f.useTcp(unusedLoopbackPort(), unusedLoopbackPort());
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 900));
        QCOMPARE(f.sends.size(), 8);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
    }

    void disableAckOpensAConnectionPerLine() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Silent);
        TxFixture f;
        f.settings.setFlag(SettingKey::DisableTxAck, true);
        f.useTcp(receiver.port());
        f.queue(line1);
        f.queue(line2);
        f.queue("third");
        f.run(3);
        QVERIFY(f.txQueue.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(),
                                  line1 + '\x14' + line2 + '\x14' + "third\x14", 10000);
        QCOMPARE(receiver.connectionCount(), 3);
    }

    void heartbeatQueuesBehindFailedLineAndRetriesFromPrimary() {
        TxFixture f;
        const quint16 closedPort = unusedLoopbackPort();
        f.useTcp(closedPort);
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 500));
        QCOMPARE(f.tickNumber, 405);
        // The automation software comes back on the primary address.
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        f.settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
        f.run(599 - f.tickNumber);
        QCOMPARE(f.sends.size(), 4);
        f.run(1); // tick 600: the heartbeat
        QCOMPARE(f.txQueue.lines(), (QList<QByteArray>{line1, heartbeatLine}));
        QVERIFY(f.runUntil([&] { return f.txQueue.isEmpty(); }, 100));
        QCOMPARE(f.sends[4].tick, 601);
        QCOMPARE(f.sends[4].target, TxTarget::Primary);
        QCOMPARE(receiver.received(), line1 + '\x14' + heartbeatLine + '\x14');
        QVERIFY(f.engine.status().comOk);
        QVERIFY(!f.engine.status().faultLed);
    }

    void ackJustBeforeTheConnectionClosesStillCounts() {
        AutomationReceiver receiver(AutomationReceiver::Reply::AckAndClose);
        TxFixture f;
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.txLink().tcpOpen(), 10000);
        QVERIFY(f.txQueue.isEmpty());
        f.run(200);
        QCOMPARE(f.sends.size(), 1);
        QCOMPARE(receiver.received(), line1 + '\x14');
    }

    void clearDuringAwaitedAckEndsTheWait() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Silent);
        TxFixture f;
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QVERIFY(f.engine.txLink().state().TxWaitTicks > 0);
        f.engine.clearTxQueue();
        QCOMPARE(f.engine.txLink().state().TxWaitTicks, 0);
        f.queue(line2);
        // The late ACK of the cleared line arrives after the new line was queued.
        f.engine.slot(5).rxText = "\x06";
        f.engine.slot(5).quietTicks = 1;
        f.engine.tick();
        QVERIFY(f.txQueue.lines().contains(line2));
    }

    void heartbeatThatIsNotANumberStopsAfterOneLoggedFailure() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        TxFixture f;
        f.logs.setSaveEnabled(true);
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("1"));
        f.useTcp(receiver.port());
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("x"));
        f.run(10);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{heartbeatLine});
        f.run(300);
        QVERIFY(f.txQueue.isEmpty());
        QCOMPARE(receiver.received(), heartbeatLine + '\x14');
        QCOMPARE(f.env.readFile("IP_EXPlog.TXT").count("'x' is not a valid integer value"), 1);
        QVERIFY(f.dialogs.asked.isEmpty());
    }

    void stoppingAZorerUdaLineDropsTheTxConnection() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        PtyPair pty;
        TxFixture f;
        f.settings.setDevice(1, pty.slavePath());
        f.settings.setInteger(SettingKey::Port2Num, 1);
        f.engine.startStop(2);
        QVERIFY(f.engine.isLineStarted(2));
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QVERIFY(f.engine.txLink().tcpOpen());
        f.engine.startStop(2);
        QVERIFY(!f.engine.txLink().tcpOpen());
        QCOMPARE(f.engine.status().txAddress, noTxAddressText);
        QVERIFY(f.engine.isLineStarted(5)); // the next transmission opens it again
    }

    void portChangeStopsTheLinkSoTheNextStartStartsIt() {
        TxFixture f;
        f.useTcp(unusedLoopbackPort());
        QVERIFY(f.engine.isLineStarted(5));
        f.engine.portOrSpeedChanged(5);
        QVERIFY(!f.engine.isLineStarted(5));
        QVERIFY(!f.settings.flag(SettingKey::TxOpen));
        f.engine.startStop(5);
        QVERIFY(f.engine.isLineStarted(5));
    }

    void secondAckForOneSendDoesNotRemoveAnUnsentLine() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Custom);
        receiver.setCustomReply("\x06\x06");
        TxFixture f;
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        f.run(3);
        // The same ACK once more, with a new line queued before the next tick.
        f.queue(line2);
        f.engine.slot(5).rxText = "\x06";
        f.engine.slot(5).quietTicks = 1;
        f.run(1);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line2});
        QCOMPARE(f.sends.size(), 2);
    }

    void serialLinkSendsFramedLineAndTakesTheAck() {
        PtyPair pty;
        TxFixture f;
        f.settings.setDevice(0, pty.slavePath());
        f.settings.setInteger(SettingKey::TxNum, 0);
        f.engine.startStop(5);
        QVERIFY(f.engine.isLineStarted(5));
        f.queue(line1);
        f.run(1);
        QCOMPARE(pty.readAtLeast(line1.size() + 1), line1 + '\x14');
        QVERIFY(pty.write("\x06"));
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
    }

    void framingFollowsTheSettings() {
        PtyPair pty;
        TxFixture f;
        f.settings.setDevice(0, pty.slavePath());
        f.settings.setInteger(SettingKey::TxNum, 0);
        f.settings.setFlag(SettingKey::DisableTxAck, true);
        f.engine.startStop(5);
        f.settings.setText(SettingKey::TermChar, QString()); // left empty: DC4, and logged
        f.logs.setSaveEnabled(true);
        f.queue("a");
        f.run(1);
        f.settings.setFlag(SettingKey::TxAck, false);
        f.queue("b");
        f.run(1);
        f.settings.setFlag(SettingKey::TxVoduro, true);
        f.queue("c");
        f.run(1);
        QCOMPARE(pty.readAtLeast(9), QByteArray("a\x14"
                                                "b\r\n9c"));
        QVERIFY(f.env.readFile("IP_EXPlog.TXT").contains("['' is not a valid integer value] \r\n"));
    }

    void selfTestIsAnsweredByTheOwnServer() {
        AutomationReceiver ownServer(AutomationReceiver::Reply::Silent); // answers when told
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(ownServer.port()));
        f.run(601);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{ipTestLine});
        f.run(1);
        QCOMPARE(f.engine.status().txTarget, TxTarget::SelfTest);
        QTRY_COMPARE_WITH_TIMEOUT(f.engine.status().txAddress,
                                  QStringLiteral("127.0.0.1 / %1").arg(ownServer.port()), 10000);
        QVERIFY(f.engine.status().txConnected);
        QTRY_COMPARE_WITH_TIMEOUT(ownServer.received(), ipTestLine, 10000);
        ownServer.sendToAll("\x06");
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QVERIFY(!f.engine.status().txConnected); // the self-test never keeps its connection
        QCOMPARE(ownServer.received(), ipTestLine);
        QVERIFY(server.calls.isEmpty());
    }

    void unansweredSelfTestRestartsTheServerOnce() {
        AutomationReceiver ownServer(AutomationReceiver::Reply::Silent);
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(ownServer.port()));
        f.run(601);
        QVERIFY(f.runUntil([&] { return !server.calls.isEmpty(); }, 500));
        QCOMPARE(server.calls,
                 (QStringList{"deactivate", QStringLiteral("port %1").arg(ownServer.port()),
                              "activate"}));
        f.run(50);
        QCOMPARE(server.calls.size(), 3);
        QVERIFY(f.txQueue.isEmpty());
        QCOMPARE(ownServer.received(), ipTestLine.repeated(4));
    }

    void unansweredSelfTestWithOpenConnectionsNotifiesOnce() {
        FakeIpServer server;
        server.count = QStringLiteral("2");
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(unusedLoopbackPort()));
        f.run(601);
        QVERIFY(f.runUntil([&] { return !f.dialogs.asked.isEmpty(); }, 500));
        f.run(50);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{"Close all the connections already connected to Voduro."});
        QVERIFY(server.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TxLinkTest)
#include "test_txlink.moc"
