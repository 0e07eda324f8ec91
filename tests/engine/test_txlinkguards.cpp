#include "protocol/automationlines.h"
#include "support/automationreceiver.h"
#include "support/ptypair.h"
#include "support/txfixture.h"

#include <QSerialPort>
#include <QtTest>

namespace {

const QByteArray line1 = "5041 182468E13001003";
const QByteArray line2 = "S041[#2468|Nri1/BA01]";
const QByteArray dc4 = "\x14";

QByteArray conversionLog(TxFixture &f) {
    return f.env.readFile("IP_EXPlog.TXT");
}

QByteArray outOfRangeEntry(const char *text, const char *range, const char *used) {
    return QByteArray("['") + text + "' is out of range " + range + "; " + used + " is used] " +
           text + "\r\n";
}

} // namespace

// The transmit link where the self-test, "Force Backup", the indicators, the call words of the
// automation software and the numbers in the settings meet.
class TxLinkGuardsTest : public QObject {
    Q_OBJECT

private slots:
    void selfTestDueWithTheHeartbeatGoesToTheOwnServer() {
        AutomationReceiver automation(AutomationReceiver::Reply::Ack);
        AutomationReceiver ownServer(AutomationReceiver::Reply::Ack);
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(ownServer.port()));
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("60"));
        f.run(1);
        f.useTcp(automation.port());
        f.run(600);
        QCOMPARE(f.txQueue.lines(), (QList<QByteArray>{heartbeatLine, ipTestLine}));
        // The heartbeat's ACK keeps the automation connection open for the next line.
        QVERIFY(f.runUntil([&] { return f.txQueue.isEmpty(); }, 100));
        QCOMPARE(automation.received(), heartbeatLine + dc4);
        QCOMPARE(ownServer.received(), ipTestLine);
        QCOMPARE(ownServer.connectionCount(), 1);
        QVERIFY(server.calls.isEmpty());
    }

    void clearingTheQueueEndsAnUnansweredSelfTest() {
        AutomationReceiver automation(AutomationReceiver::Reply::Ack);
        AutomationReceiver ownServer(AutomationReceiver::Reply::Silent);
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(ownServer.port()));
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("0"));
        f.useTcp(automation.port());
        f.run(601);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{ipTestLine});
        // The last attempt is out and waits for its ACK.
        QVERIFY(f.runUntil([&] { return ownServer.received() == ipTestLine.repeated(4); }, 500));
        f.engine.clearTxQueue();
        f.txQueue.append(line1); // a poll failure: queued without reloading the attempts
        QVERIFY(f.runUntil([&] { return f.txQueue.isEmpty(); }, 50));
        QCOMPARE(automation.received(), line1 + dc4);
        QVERIFY(server.calls.isEmpty());
        QVERIFY(f.engine.status().comOk);
    }

    void selfTestConnectionLeavesAStoppedSerialLinkStartable() {
        PtyPair pty;
        AutomationReceiver ownServer(AutomationReceiver::Reply::Silent);
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(ownServer.port()));
        f.useSerial(pty.slavePath(), false);
        f.run(602);
        QTRY_COMPARE_WITH_TIMEOUT(ownServer.received(), ipTestLine, 10000);
        QVERIFY(!f.engine.isLineStarted(5));
        QSignalSpy changes(&f.engine, &Engine::lineStateChanged);
        f.engine.startStop(5);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0], (QVariantList{5, true}));
        QVERIFY(f.engine.comPort(5).isOpen());
        QVERIFY(f.settings.flag(SettingKey::TxOpen));
    }

    void forceBackupOnASerialLinkSendsEachLineOnce() {
        PtyPair pty;
        AutomationReceiver secondary(AutomationReceiver::Reply::Ack);
        TxFixture f;
        f.settings.setFlag(SettingKey::ForceBackup, true);
        f.settings.setText(SettingKey::TxIpAdd2, QStringLiteral("127.0.0.1"));
        f.settings.setText(SettingKey::TxIpPort2, QString::number(secondary.port()));
        f.useSerial(pty.slavePath());
        f.queue(line1);
        f.run(1);
        QCOMPARE(pty.readAtLeast(line1.size() + 1), line1 + dc4);
        QVERIFY(pty.write("\x06"));
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        f.run(20);
        QCOMPARE(f.sends.size(), 1);
        QCOMPARE(pty.readAvailable(), QByteArray());
        QCOMPARE(secondary.connectionCount(), 0);
    }

    void forceBackupWithoutSecondaryRaisesFaultAndBeeps() {
        TxFixture f;
        f.settings.setFlag(SettingKey::ForceBackup, true);
        f.useTcp(unusedLoopbackPort());
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 500));
        QCOMPARE(f.tickNumber, 405);
        QCOMPARE(f.ticksOf(f.sends), (QList<int>{1, 102, 203, 304}));
        QVERIFY(!f.engine.status().comOk);
        f.run(5);
        QCOMPARE(f.beeper.count, 1);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
    }

    void indicatorsShowOnlyAnEstablishedConnection() {
        TxFixture f;
        const quint16 refusing = unusedLoopbackPort();
        f.useTcp(refusing);
        f.queue(line1);
        for (int attempt = 0; attempt < 2; ++attempt) {
            f.runUntil([&] { return f.sends.size() == attempt + 1; }, 200);
            QTRY_VERIFY_WITH_TIMEOUT(!f.engine.txLink().tcpOpen(), 10000);
            QVERIFY(!f.engine.status().txConnected);
            QCOMPARE(f.engine.status().txAddress, noTxAddressText);
        }
        // The automation software answers from now on, then drops the connection.
        AutomationReceiver receiver(AutomationReceiver::Reply::Silent);
        f.settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
        QVERIFY(f.runUntil([&] { return f.sends.size() == 3; }, 200));
        QTRY_VERIFY_WITH_TIMEOUT(f.engine.status().txConnected, 10000);
        QCOMPARE(f.engine.status().txAddress,
                 QStringLiteral("127.0.0.1 / %1").arg(receiver.port()));
        receiver.closeAll();
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.status().txConnected, 10000);
        QCOMPARE(f.engine.status().txAddress, noTxAddressText);
    }

    void callWordsFromTheAutomationSoftwareNeverStopItsAcks() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Custom);
        receiver.setCustomReply("CONNECT 9600\r");
        TxFixture f;
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QVERIFY(f.replyArrives());
        f.run(3);
        QVERIFY(f.engine.slot(5).call.lineConnected);
        // The unanswered send is retried on a new connection; closing the old one ends the call.
        receiver.setCustomReply("\x06RING 1234567\rCONNECT 9600\r");
        QVERIFY(f.runUntil([&] { return f.sends.size() == 2; }, 200));
        QVERIFY(!f.engine.slot(5).call.lineConnected);
        f.queue(line2);
        QVERIFY(f.runUntil([&] { return f.txQueue.isEmpty(); }, 50));
        QCOMPARE(f.sends.size(), 3);
        QVERIFY(f.engine.status().comOk);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), line1 + dc4 + line1 + dc4 + line2 + dc4,
                                  10000);
    }

    void timeoutAttemptsAndPortsOutOfRangeAreClampedAndLogged() {
        TxFixture f;
        f.logs.setSaveEnabled(true);
        f.settings.setText(SettingKey::TxTimeout, QStringLiteral("214748365"));
        f.useTcp(unusedLoopbackPort());
        f.settings.setText(SettingKey::TxIpPort, QStringLiteral("70000"));
        f.queue(line1);
        f.run(200);
        QCOMPARE(f.sends.size(), 1); // waits an hour for its ACK, not a tenth of a second
        QVERIFY(!f.engine.status().faultLed);

        f.engine.clearTxQueue();
        f.settings.setText(SettingKey::TxTimeout, QStringLiteral("10"));
        f.settings.setText(SettingKey::TxAtt, QStringLiteral("-1"));
        f.queue(line2);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 300));
        QCOMPARE(f.sends.size(), 2); // one attempt, then "FAULT"

        const QByteArray log = conversionLog(f);
        QVERIFY(log.contains(outOfRangeEntry("214748365", "1..3600", "3600")));
        QVERIFY(log.contains(outOfRangeEntry("70000", "1..65535", "65535")));
        QVERIFY(log.contains(outOfRangeEntry("-1", "1..100", "1")));
    }

    void heartbeatAndFaultWarningBeyondAnHourAreClamped() {
        TxFixture f;
        f.logs.setSaveEnabled(true);
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("214748365"));
        f.settings.setText(SettingKey::FltTimer, QStringLiteral("214748365"));
        f.settings.setText(SettingKey::TxAtt, QStringLiteral("1"));
        f.settings.setText(SettingKey::TxTimeout, QStringLiteral("1"));
        f.useTcp(unusedLoopbackPort());
        f.queue(line1);
        QVERIFY(f.runUntil([&] { return f.engine.status().faultLed; }, 50));
        QCOMPARE(f.tickNumber, 12);
        f.run(5);
        QCOMPARE(f.beeper.count, 1);
        f.run(35999 - f.tickNumber);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
        f.run(1); // an hour after the start
        QCOMPARE(f.txQueue.lines(), (QList<QByteArray>{line1, heartbeatLine}));
        f.run(17);
        QCOMPARE(f.beeper.count, 2); // an hour after the first beep
        QVERIFY(conversionLog(f).contains(outOfRangeEntry("214748365", "0..3600", "3600")));
    }

    void terminatorAboveAByteIsClamped() {
        PtyPair pty;
        TxFixture f;
        f.logs.setSaveEnabled(true);
        f.settings.setText(SettingKey::TermChar, QStringLiteral("300"));
        f.useSerial(pty.slavePath());
        f.queue(line1);
        f.run(1);
        QCOMPARE(pty.readAtLeast(line1.size() + 1), line1 + '\xFF');
        QVERIFY(conversionLog(f).contains(outOfRangeEntry("300", "0..255", "255")));
    }

    void selfTestPortOutOfRangeIsClamped() {
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QStringLiteral("99999"));
        f.run(601);
        QVERIFY(f.runUntil([&] { return !server.calls.isEmpty(); }, 500));
        QCOMPARE(server.calls, (QStringList{"deactivate", "port 65535", "activate"}));
    }

    // The link's serial device goes away with a line waiting: the line stays queued, the link
    // stays started, and once the device is back the line goes out and is acknowledged.
    void lostSerialDeviceKeepsTheLineAndResumes() {
        TxFixture f;
        f.engine.setSetupWindowOpen(true);
        const QString device = f.env.filePath("tx-link");
        PtyPair first;
        QVERIFY(QFile::link(first.slavePath(), device));
        f.useSerial(device);
        QVERIFY(f.engine.isLineStarted(5));
        QSignalSpy errors(&f.engine.comPort(5), &QSerialPort::errorOccurred);

        first.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.comPort(5).isOpen(), 10000);
        EngineFixture::settle(50);
        QVERIFY2(errors.size() < 5, "the vanished device must not keep the event loop busy");
        QCOMPARE(f.engine.receivedData().items().last(),
                 "Tx link: device " + device.toLatin1() + " lost");
        QVERIFY(f.engine.isLineStarted(5));
        QVERIFY(f.settings.flag(SettingKey::TxOpen));

        f.queue(line1);
        f.run(20);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});

        PtyPair second;
        QVERIFY(QFile::remove(device));
        QVERIFY(QFile::link(second.slavePath(), device));
        f.run(30);
        QVERIFY(f.engine.comPort(5).isOpen());
        QCOMPARE(f.engine.receivedData().items().last(),
                 "Tx link: device " + device.toLatin1() + " back");
        f.run(60); // the attempt made while the device was gone runs out first
        QCOMPARE(second.readAtLeast(line1.size() + 1), line1 + dc4);
        QVERIFY(second.write("\x06"));
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
    }
};

QTEST_GUILESS_MAIN(TxLinkGuardsTest)
#include "test_txlinkguards.moc"
