#include "common/datetimetext.h"
#include "decoder/messagedecoder.h"
#include "strings/eventtexts.h"
#include "support/automationreceiver.h"
#include "support/enginefixture.h"
#include "support/ptypair.h"

#include <QtTest>

// A message received on a Zorer-Uda line goes the whole road: acknowledged, queued, decoded into
// a list row, converted into automation lines, logged and delivered.
class WholeRoadTest : public QObject {
    Q_OBJECT

    struct Road : EngineFixture {
        EventTexts texts;
        MessageDecoder decoder{
            lists,
            txQueue,
            logs,
            accounts,
            texts,
            MessageDecoder::Hooks{[this] {
                                      return DecoderSettings{
                                          {settings.text(SettingKey::RxNum).toLatin1(),
                                           settings.text(SettingKey::RxLine).toLatin1()},
                                          OutputFormat(settings.integer(SettingKey::OutputFormat))};
                                  },
                                  [this] { engine.txLink().reloadAttemptsIfIdle(); }}};
        PtyPair pty;
        AutomationReceiver receiver{AutomationReceiver::Reply::Ack};

        Road() {
            engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
                decoder.Process_data(source, message);
            });
            logs.setSaveEnabled(true);
            settings.setDevice(0, pty.slavePath());
            settings.setInteger(SettingKey::Port1Num, 0);
            engine.startStop(1);
            settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
            settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
            settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
            engine.startStop(5);
        }

        // Writes a burst from the unit and ticks until the engine has serviced it.
        void send(const QByteArray &bytes) {
            QVERIFY(pty.write(bytes));
            QDeadlineTimer deadline(10000);
            while (engine.slot(1).rxText.size() < bytes.size() && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCOMPARE(engine.slot(1).rxText, bytes);
            run(3);
        }

        void run(int count) {
            for (int i = 0; i < count; ++i) {
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

    void threeFormatsReachTheAutomationSoftwareInOrder() {
        Road road;
        AccountRecord account;
        account.accNum = 2468;
        road.accounts.InsertAcc(account);

        road.send("RING 1234567\rCONNECT 1200\r");
        road.send("22468181130010035");
        road.send("17531555555551");
        road.send("3D#2468xHNri1BA001y@");
        QCOMPARE(road.pty.readAtLeast(6), QByteArray("\x06\r\x06\r\x06\r"));

        const QByteArray expected = QByteArray("5041 182468E13001003\x14") +
                                    "80417531 5555 5555 1\x14" + "S041[#2468|Nri1BA001]\x14";
        for (int i = 0; i < 200 && !road.txQueue.isEmpty(); ++i)
            road.run(1);
        QCOMPARE(road.receiver.received(), expected);
        QVERIFY(road.txQueue.isEmpty());

        const QByteArray stamp = nowText().toLocal8Bit();
        QCOMPARE(road.env.readFile("Rx_Log.TXT"), stamp + " -- [1234567]22468181130010035\r\n" +
                                                      stamp + " -- [1234567]17531555555551\r\n" +
                                                      stamp +
                                                      " -- [1234567]3D#2468xHNri1BA001y@\r\n");
        QCOMPARE(road.env.readFile("Tx_Log.TXT"), stamp + " -- 5041 182468E13001003\r\n" + stamp +
                                                      " -- 80417531 5555 5555 1\r\n" + stamp +
                                                      " -- S041[#2468|Nri1BA001]\r\n");
        QCOMPARE(road.env.readFile("IP_ACK_log.TXT"),
                 (stamp + " ComPort -- \x06\r\r\n").repeated(3));

        QCOMPARE(road.lists.contactId.rowCount(), 1);
        QCOMPARE(road.lists.contactId.cell(0, 4), QByteArray("130 Burglary"));
        QCOMPARE(road.lists.fast.rowCount(), 1);
        QCOMPARE(road.lists.sia.cell(0, 3), QByteArray("Nri1BA001 : BA Burglary Alarm"));
        QCOMPARE(road.accounts.Find_Account(2468)->lastNuaIp, QByteArray("1234567"));
    }
};

QTEST_GUILESS_MAIN(WholeRoadTest)
#include "test_wholeroad.moc"
