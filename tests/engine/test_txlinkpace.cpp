#include "protocol/automationlines.h"
#include "store/queuejournal.h"
#include "support/automationreceiver.h"
#include "support/fakeipserver.h"
#include "support/journalfile.h"
#include "support/ptypair.h"
#include "support/txfixture.h"

#include <QtTest>

namespace {

const QByteArray line1 = "5041 182468E13001003";
const QByteArray line2 = "S041[#2468|Nri1/BA01]";
const QByteArray dc4 = "\x14";
const QByteArray ack = "\x06";

QList<QByteArray> numberedLines(int count) {
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines.append("5041 18" + QByteArray::number(1000 + i) + "E13001003");
    return lines;
}

QByteArray framed(const QList<QByteArray> &lines) {
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + dc4;
    return bytes;
}

} // namespace

// The link takes the automation software's ACK where its byte arrives and sends the next line
// from there: delivery is not paced by the tick, and every rule of the link still holds.
class TxLinkPaceTest : public QObject {
    Q_OBJECT

private slots:
    void tcpAckBetweenTicksSendsTheNextLineFromItsHandler() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        TxFixture f;
        f.engine.setSetupWindowOpen(true);
        f.useTcp(receiver.port());
        f.queue(line1);
        f.queue(line2);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QCOMPARE(f.ticksOf(f.sends), (QList<int>{1, 1}));
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), framed({line1, line2}), 10000);
        QCOMPARE(receiver.connectionCount(), 1);
        // Each reply is shown as the tick shows what no rule consumed.
        QCOMPARE(f.engine.receivedData().items(), (QList<QByteArray>{"[5]" + ack, "[5]" + ack}));
        QCOMPARE(f.engine.txLink().state().TxWaitTicks, 0);
        QVERIFY(f.engine.status().comOk);
        f.run(1); // the kept connection is closed once nothing more is to be sent
        QVERIFY(!f.engine.txLink().tcpOpen());
    }

    void tcpBurstIsDeliveredInOrderWithoutTicksAndLeavesTheJournal() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        TxFixture f;
        QueueJournal journal;
        const QString path = f.env.filePath(QueueJournal::fileName);
        QVERIFY(journal.open(path).opened);
        f.engine.setJournal(&journal);
        f.useTcp(receiver.port());
        const QList<QByteArray> lines = numberedLines(300);
        for (const QByteArray &line : lines)
            f.queue(line);
        QCOMPARE(JournalFile(path).txLines(), lines);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 30000);
        QCOMPARE(f.sends.size(), lines.size());
        QCOMPARE(f.sends.last().tick, 1);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), framed(lines), 10000);
        QCOMPARE(receiver.connectionCount(), 1);
        QVERIFY(JournalFile(path).txLines().isEmpty());
    }

    // Over the serial line each ACK comes alone in its read.
    void ptyBurstIsDeliveredInOrderWithoutTicks() {
        PtyPair pty;
        TxFixture f;
        f.useSerial(pty.slavePath());
        const QList<QByteArray> lines = numberedLines(50);
        for (const QByteArray &line : lines)
            f.queue(line);
        f.run(1);
        for (const QByteArray &line : lines) {
            QCOMPARE(pty.readAtLeast(line.size() + 1), line + dc4);
            QVERIFY(pty.write(ack));
        }
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QCOMPARE(f.tickNumber, 1);
        QCOMPARE(f.sends.size(), lines.size());
        QCOMPARE(pty.readAvailable(), QByteArray());
    }

    void textAfterTheAckInItsReadIsShownAndScanned() {
        const QByteArray reply = "\x06RING 1234567\rCONNECT 9600\r";
        AutomationReceiver receiver(AutomationReceiver::Reply::Custom);
        receiver.setCustomReply(reply);
        TxFixture f;
        f.engine.setSetupWindowOpen(true);
        f.useTcp(receiver.port());
        f.queue(line1);
        f.queue(line2);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QCOMPARE(f.sends.size(), 2);
        QVERIFY(f.engine.slot(5).call.lineConnected);
        QCOMPARE(f.engine.receivedData().items(), (QList<QByteArray>{reply, reply}));
    }

    void replyThatIsNoAckWaitsForTheQuietTime() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Custom);
        receiver.setCustomReply("\x15\x06");
        TxFixture f;
        f.engine.setSetupWindowOpen(true);
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QVERIFY(f.replyArrives());
        f.run(2);
        QCOMPARE(f.engine.slot(5).rxText, QByteArray("\x15\x06"));
        f.run(1);
        QCOMPARE(f.engine.receivedData().items(), QList<QByteArray>{"[5]\x15\x06"});
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
        QCOMPARE(f.sends.size(), 1);
    }

    // An ACK must answer the line that is out: none after a clear, none when no line is out.
    void ackWithoutALineOutRemovesNothing() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Silent);
        TxFixture f;
        f.useTcp(receiver.port());
        f.queue(line1);
        f.run(1);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), line1 + dc4, 10000);
        f.engine.clearTxQueue();
        f.queue(line2);
        receiver.sendToAll(ack); // the cleared line's late ACK
        QTRY_COMPARE_WITH_TIMEOUT(f.engine.slot(5).rxText, ack, 10000);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line2});
        QCOMPARE(f.sends.size(), 1);

        f.run(4); // line 2 goes out on a new connection and waits for its own ACK
        QCOMPARE(f.sends.size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), line1 + dc4 + line2 + dc4, 10000);
        receiver.setReply(AutomationReceiver::Reply::Ack);
        receiver.sendToAll(ack);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);

        f.queue(line1); // queued after the last delivery, not yet sent
        receiver.sendToAll(ack);
        QTRY_COMPARE_WITH_TIMEOUT(f.engine.slot(5).rxText, ack, 10000);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{line1});
        QCOMPARE(f.sends.size(), 2);
    }

    void forceBackupCopyGoesOutFromTheAckHandler() {
        AutomationReceiver primary(AutomationReceiver::Reply::Ack);
        AutomationReceiver secondary(AutomationReceiver::Reply::Ack);
        TxFixture f;
        f.settings.setFlag(SettingKey::ForceBackup, true);
        f.useTcp(primary.port(), secondary.port());
        f.queue(line1);
        f.queue(line2);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QCOMPARE(f.sends, (QList<Send>{{1, TxTarget::Primary},
                                       {1, TxTarget::Secondary},
                                       {1, TxTarget::Primary},
                                       {1, TxTarget::Secondary}}));
        QTRY_COMPARE_WITH_TIMEOUT(secondary.received(), framed({line1, line2}), 10000);
        QCOMPARE(primary.received(), framed({line1, line2}));
        QCOMPARE(primary.connectionCount(), 2);
    }

    void selfTestAckBetweenTicksHandsOverToThePrimary() {
        AutomationReceiver automation(AutomationReceiver::Reply::Ack);
        AutomationReceiver ownServer(AutomationReceiver::Reply::Ack);
        FakeIpServer server;
        TxFixture f;
        f.engine.setIpServer(&server);
        f.settings.setText(SettingKey::TcpPort, QString::number(ownServer.port()));
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("0"));
        f.useTcp(automation.port());
        f.run(601);
        f.queue(line1);
        f.run(1);
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QCOMPARE(f.sends, (QList<Send>{{602, TxTarget::SelfTest}, {602, TxTarget::Primary}}));
        QCOMPARE(ownServer.received(), ipTestLine);
        QTRY_COMPARE_WITH_TIMEOUT(automation.received(), line1 + dc4, 10000);
        QVERIFY(server.calls.isEmpty());
    }

    // A receiver that closes after every ACK: the line that went into the closing connection
    // goes out again at once on a new one, not after its time-out (100 ticks here).
    void receiverThatClosesAfterEachAckGetsEveryLineWithoutTimeOuts() {
        AutomationReceiver receiver(AutomationReceiver::Reply::AckAndClose);
        TxFixture f;
        f.useTcp(receiver.port());
        const QList<QByteArray> lines = numberedLines(5);
        for (const QByteArray &line : lines)
            f.queue(line);
        for (int ticks = 0; ticks < 40 && !f.txQueue.isEmpty(); ++ticks) {
            QTest::qWait(100); // the program's pace
            f.run(1);
        }
        QVERIFY(f.txQueue.isEmpty());
        QCOMPARE(receiver.received(), framed(lines));
        QVERIFY(f.engine.status().comOk);
    }

    // An ACK's CR arriving in a read of its own, after the next line went out, ends that ACK's
    // reply: it does not start the next one, whose ACK is then taken as usual.
    void ackEndingInALaterReadAcknowledgesEachLineOnce() {
        PtyPair pty;
        TxFixture f;
        f.useSerial(pty.slavePath());
        const QList<QByteArray> lines = numberedLines(4);
        for (const QByteArray &line : lines)
            f.queue(line);
        f.run(1);
        QCOMPARE(pty.readAtLeast(lines[0].size() + 1), lines[0] + dc4);
        QVERIFY(pty.write(ack));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            // The next line is out before the CR of the last ACK arrives.
            QCOMPARE(pty.readAtLeast(lines[i].size() + 1), lines[i] + dc4);
            QVERIFY(pty.write("\r"));
            QVERIFY(pty.write(ack));
        }
        QVERIFY(pty.write("\r"));
        QTRY_VERIFY_WITH_TIMEOUT(f.txQueue.isEmpty(), 10000);
        QCOMPARE(f.sends.size(), lines.size());
    }
};

QTEST_GUILESS_MAIN(TxLinkPaceTest)
#include "test_txlinkpace.moc"
