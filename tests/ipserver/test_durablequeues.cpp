#include "decoder/messagedecoder.h"
#include "ipserverfixture.h"
#include "protocol/automationlines.h"
#include "store/queuejournal.h"
#include "strings/eventtexts.h"
#include "support/journalfile.h"
#include "support/ptypair.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

// Both queues through the real engine, a real Zorer-Uda line on a pseudo-terminal, the real IP
// receiver on 127.0.0.1 and the automation software on 127.0.0.1: nothing is acknowledged that is
// not on the disk, and the disk copy follows the queues.
class DurableQueuesTest : public QObject {
    Q_OBJECT

    struct Road : IpServerFixture {
        EventTexts texts;
        MessageDecoder decoder{lists, txQueue,
                               logs,  accounts,
                               texts, MessageDecoder::Hooks{[] { return DecoderSettings{}; }, {}}};
        PtyPair pty;
        AutomationReceiver receiver{AutomationReceiver::Reply::Silent};
        QueueJournal journal;
        QString path = env.filePath(QueueJournal::fileName);

        explicit Road(bool blockJournal = false) {
            if (blockJournal)
                QDir().mkdir(path);
            journal.open(path);
            engine.setJournal(&journal);
            server.setJournal(&journal);
            engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
                decoder.Process_data(source, message);
            });
            settings.setDevice(0, pty.slavePath());
            settings.setInteger(SettingKey::Port1Num, 0);
            engine.startStop(1);
        }

        void startTx(quint16 port = 0) {
            settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
            settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
            settings.setText(SettingKey::TxIpPort, QString::number(port ? port : receiver.port()));
            settings.setText(SettingKey::TxTimeout, QStringLiteral("1"));
            engine.startStop(5);
        }

        // Writes a burst from the unit and ticks until the engine has serviced it.
        void sendSerial(const QByteArray &bytes) {
            QVERIFY(pty.write(bytes));
            QVERIFY(QTest::qWaitFor([&] { return engine.slot(1).rxText.size() >= bytes.size(); },
                                    10000));
            run(3);
        }
        void run(int count) {
            for (int i = 0; i < count; ++i) {
                settle(1);
                engine.tick();
            }
        }
        JournalFile disk() const { return JournalFile(path); }
    };

private slots:
    // Stored before the ACK, decoded in one record, gone from the disk once the automation
    // software has it; the link's heartbeat never reaches the disk; the Clear buttons empty it.
    void serialMessagesFollowTheirQueuesOnTheDisk() {
        Road road;
        road.sendSerial("RING 1234567\rCONNECT 1200\r");
        road.settings.setFlag(SettingKey::ProcessData, false);
        road.sendSerial("22468181130010035");
        QCOMPARE(road.pty.readAtLeast(2), QByteArray("\x06\r"));
        QCOMPARE(road.disk().pendingMessages(), QList<QByteArray>({"22468181130010035"}));

        road.settings.setFlag(SettingKey::ProcessData, true);
        road.run(1);
        QVERIFY(road.engine.pendingMessages().isEmpty());
        const JournalFile decoded = road.disk();
        QVERIFY(decoded.state.pending.empty());
        QCOMPARE(decoded.txLines(), road.txQueue.lines());
        QCOMPARE(decoded.records.back().front().kind, QueueOp::Kind::AddTx);
        QCOMPARE(decoded.records.back().back().kind, QueueOp::Kind::RemovePending);

        road.receiver.setReply(AutomationReceiver::Reply::Ack);
        road.startTx();
        QVERIFY(QTest::qWaitFor(
            [&] {
                road.run(1);
                return road.txQueue.isEmpty();
            },
            15000));
        QVERIFY(road.disk().state.tx.empty());

        road.engine.txLink().setHeartbeatCountdown(1);
        road.run(1);
        QCOMPARE(road.txQueue.lines().count(heartbeatLine), 1);
        for (const auto &record : road.disk().records)
            for (const QueueOp &op : record)
                QVERIFY(op.bytes != heartbeatLine);

        road.engine.txLink().stop();
        road.txQueue.append("line a");
        road.engine.pendingMessages().appendStored("RX3", "message a");
        QCOMPARE(road.disk().txLines(), QList<QByteArray>({"line a"}));
        road.engine.clearTxQueue();
        road.engine.pendingMessages().clear();
        QVERIFY(road.disk().state.tx.empty());
        QVERIFY(road.disk().state.pending.empty());
    }

    // A message that cannot be stored is not acknowledged, on either path, and the failure is
    // reported; the panel keeps it and sends it again.
    void nothingIsAcknowledgedThatCannotBeStored() {
        Road road(true);
        QSignalSpy failed(&road.journal, &QueueJournal::failed);
        road.sendSerial("RING 1234567\rCONNECT 1200\r");
        road.sendSerial("22468181130010035");
        Road::settle(10);
        QCOMPARE(road.pty.readAvailable(), QByteArray());
        QVERIFY(road.engine.pendingMessages().isEmpty());

        QVERIFY(road.start());
        Panel panel(road.port());
        QVERIFY(panel.waitConnected());
        QSignalSpy shown(&road.server.output(), &ReceiverOutput::dataShown);
        panel.send("9MARK");
        QVERIFY(shown.wait(15000));
        Road::settle(10);
        QCOMPARE(panel.unread(), QByteArray());
        QVERIFY(road.engine.pendingMessages().isEmpty());
        QVERIFY(failed.size() + QTest::qWaitFor([&] { return failed.size() > 0; }, 10000) > 0);
    }

    // Over TCP: on the disk before the panel has its reply, in the order the list shows.
    void ipMessagesAreStoredBeforeTheirReply() {
        Road road;
        QVERIFY(road.start());
        Panel panel(road.port());
        QVERIFY(panel.waitConnected());
        for (int i = 0; i < 20; ++i) {
            const QByteArray message = "9MSG" + QByteArray::number(i);
            panel.send(message);
            QCOMPARE(panel.reply(3), ack);
            QCOMPARE(road.disk().pendingMessages().last(), message);
        }
        QVERIFY(road.queueMarker(panel));
        QList<QByteArray> listed;
        for (int i = 0; i < road.engine.pendingMessages().size(); ++i)
            listed.append(road.engine.pendingMessages().at(i).message);
        QCOMPARE(road.disk().pendingMessages(), listed);
    }

    // The automation software is away for ten simulated minutes while 1,000 alarms arrive: the
    // fault is raised, everything waits on the disk, and once it is back all is delivered in
    // order and the fault clears.
    void longOutageDeliversEverythingInOrder() {
        Road road;
        road.receiver.setReply(AutomationReceiver::Reply::Ack);
        road.startTx(unusedLoopbackPort());
        QList<QByteArray> expected;
        for (int tick = 0; tick < 6000; ++tick) {
            if (tick % 6 == 0) {
                const QByteArray account = QByteArray::number(1000 + tick / 6);
                QVERIFY(road.engine.pendingMessages().appendStored("RX3", "3D#" + account +
                                                                              "xHNri1BA001y@"));
                expected.append("S[#" + account + "|Nri1BA001]");
            }
            road.run(1);
        }
        QVERIFY(road.engine.status().faultLed);
        QVERIFY(road.engine.pendingMessages().isEmpty());
        QList<QByteArray> waiting = road.txQueue.lines();
        waiting.removeAll(heartbeatLine);
        QCOMPARE(waiting, expected);
        QCOMPARE(road.disk().txLines(), expected);

        road.settings.setText(SettingKey::TxIpPort, QString::number(road.receiver.port()));
        QVERIFY(QTest::qWaitFor(
            [&] {
                road.run(1);
                return road.txQueue.isEmpty();
            },
            120000));
        QList<QByteArray> delivered = road.receiver.received().split('\x14');
        delivered.removeLast();
        delivered.removeAll(heartbeatLine);
        QCOMPARE(delivered, expected);
        QVERIFY(!road.engine.status().faultLed);
        QVERIFY(road.disk().state.tx.empty());
    }
};

QTEST_GUILESS_MAIN(DurableQueuesTest)
#include "test_durablequeues.moc"
