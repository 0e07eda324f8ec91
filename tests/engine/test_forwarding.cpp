#include "common/datetimetext.h"
#include "decoder/messagedecoder.h"
#include "strings/eventtexts.h"
#include "support/automationreceiver.h"
#include "support/enginefixture.h"
#include "support/ptypair.h"

#include <QtTest>

// What the automation software receives when a message or a forwarded text carries control
// bytes: every queued line arrives as one whole line, framed once.
class ForwardingTest : public QObject {
    Q_OBJECT

    // Zorer-Uda lines 1 and 2 on pseudo-terminals, the decoder, and the Tx link on a loopback
    // automation receiver that acknowledges every line.
    struct Road : EngineFixture {
        EventTexts texts;
        MessageDecoder decoder{lists,
                               txQueue,
                               logs,
                               accounts,
                               texts,
                               {[] {
                                    return DecoderSettings{{"04", "1"}, OutputFormat::HighSpeed};
                                },
                                [this] { engine.txLink().reloadAttemptsIfIdle(); }}};
        PtyPair lineOne;
        PtyPair lineTwo;
        AutomationReceiver receiver{AutomationReceiver::Reply::Ack};

        Road() {
            engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
                decoder.Process_data(source, message);
            });
            logs.setSaveEnabled(true);
            settings.setDevice(0, lineOne.slavePath());
            settings.setDevice(1, lineTwo.slavePath());
            settings.setInteger(SettingKey::Port1Num, 0);
            settings.setInteger(SettingKey::Port2Num, 1);
            engine.startStop(1);
            engine.startStop(2);
            settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
            settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
            settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
            engine.startStop(5);
        }

        // The unit on line n sends one burst; the line goes quiet and the tick services it.
        bool send(int n, const QByteArray &bytes) {
            PtyPair &pty = n == 1 ? lineOne : lineTwo;
            if (!pty.write(bytes))
                return false;
            QDeadlineTimer deadline(10000);
            while (engine.slot(n).rxText != bytes && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (engine.slot(n).rxText != bytes)
                return false;
            ticks(3);
            return true;
        }

        // Ticks until the queue is delivered, letting the socket carry each line and its ACK.
        void deliver() {
            for (int i = 0; i < 200 && !(txQueue.isEmpty() && engine.pendingMessages().isEmpty());
                 ++i) {
                settle(1);
                engine.tick();
            }
        }
    };

private slots:
    void init() {
        Clock::setNowFunction([] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 15)); });
    }
    void cleanup() { Clock::setNowFunction({}); }

    void controlBytesInADecodedMessageBecomeBlanks() {
        Road road;
        QVERIFY(road.send(1, "RING 1234567\rCONNECT 1200\r"));
        // An SIA event block with DC4 and LF in its data, then a forwarded "9" text with CR LF
        // and DEL inside (a "9" text with "@" is taken on any line).
        QVERIFY(road.send(1, "3D#2468xJNri1BA\x14\n001y@"));
        QVERIFY(road.send(1, "9S041[#7531|NBA\r\n01]\x7F@"));
        QCOMPARE(road.lineOne.readAtLeast(4), QByteArray("\x06\r\x06\r"));
        road.deliver();
        QVERIFY(road.txQueue.isEmpty());

        QCOMPARE(road.receiver.received(),
                 QByteArray("S041[#2468|Nri1BA  001]\x14S041[#7531|NBA  01] @\x14"));
        // The report line is logged as it was queued; the forwarded one is not logged.
        const QByteArray stamp = nowText().toLocal8Bit();
        QCOMPARE(road.env.readFile("Tx_Log.TXT"), stamp + " -- S041[#2468|Nri1BA  001]\r\n");
        // The list shows the event block as it came.
        QCOMPARE(road.lists.sia.cell(0, 3), QByteArray("Nri1BA\x14\n001 : BA Burglary Alarm"));
    }

    void fromReceiverTextIsSplitIntoWholeLines() {
        Road road;
        road.settings.setFlag(SettingKey::FromReceiver, true);
        // Two finished lines in one burst, ended by DC4 and by CR LF, with a tab inside one.
        QVERIFY(road.send(2, "5041 182468E13001003\x14S041[#2468|N\tBA01]\r\n\x14"));
        QCOMPARE(road.txQueue.lines(),
                 (QByteArrayList{"5041 182468E13001003", "S041[#2468|N BA01]"}));
        // A burst of terminators alone queues nothing: no bare terminator reaches the far end.
        QVERIFY(road.send(2, "\x14\r\n"));
        road.deliver();
        QVERIFY(road.txQueue.isEmpty());
        QCOMPARE(road.receiver.received(),
                 QByteArray("5041 182468E13001003\x14S041[#2468|N BA01]\x14"));
        // Nothing is acknowledged to the other receiver, and nothing is logged.
        QCOMPARE(road.lineTwo.readAvailable(), QByteArray());
        QVERIFY(!road.env.fileExists("Tx_Log.TXT"));
    }
};

QTEST_GUILESS_MAIN(ForwardingTest)
#include "test_forwarding.moc"
