#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "accounts/polltimer.h"
#include "app/monitor.h"
#include "app/monitorcore.h"
#include "common/datetimetext.h"
#include "engine/engine.h"
#include "ipserver/dc09keys.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "protocol/dc09receipt.h"
#include "support/automationreceiver.h"
#include "support/dc09panel.h"
#include "support/ptypair.h"
#include "support/tempenvironment.h"

#include <QNetworkDatagram>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

using namespace dc09panel;

namespace {

const QByteArray hexKey = "C0FFEE000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C";

// The program with its IP server, a Zorer-Uda line on a pseudo-terminal and the Tx link to the
// automation software, all on 127.0.0.1, and account 5801 with a DC-09 key in the key file.
struct Program {
    TempEnvironment env;
    PtyPair radio;
    AutomationReceiver automation{AutomationReceiver::Reply::Ack};
    quint16 port = unusedLoopbackPort();
    std::unique_ptr<Monitor> monitor;

    Program() {
        QFile keys(env.filePath(Dc09Keys::fileName));
        if (keys.open(QIODevice::WriteOnly))
            keys.write("# panels of the test\n5801 " + hexKey + "\n");
        keys.close();
        env.writeSettings("[Logic]\nTCP Open=1\nTx Open=1\nPort1 Open=1\n"
                          "[Strings]\nTCP Port=" +
                          QByteArray::number(port) + "\nTx IP Add=127.0.0.1\nTx IP Port=" +
                          QByteArray::number(automation.port()) +
                          "\n[Integers]\nTx Num=9\nPort 1 Num=0\n[Devices]\nCom1=" +
                          radio.slavePath().toLatin1() + "\n");
        MonitorOptions options;
        options.listenAddress = QHostAddress::LocalHost;
        monitor = std::make_unique<Monitor>(options);
        AccountRecord account;
        account.accNum = 5801;
        account.pollDelay = 10;
        monitor->core().accounts().InsertAcc(account);
    }
    ~Program() { Clock::setNowFunction({}); }

    // The next line the automation software receives, the engine ticking meanwhile.
    QByteArray nextLine() {
        const qsizetype seen = automation.chunks().size();
        const bool arrived = QTest::qWaitFor(
            [&] {
                monitor->engine().tick();
                return automation.chunks().size() > seen;
            },
            15000);
        return arrived ? automation.chunks().at(seen) : QByteArray("nothing");
    }
    // Written by the unit, and serviced once the line has been quiet for 3 ticks.
    bool fromUnit(const QByteArray &bytes) {
        if (!radio.write(bytes))
            return false;
        const bool arrived = QTest::qWaitFor(
            [&] { return monitor->engine().slot(1).rxText.size() >= bytes.size(); }, 15000);
        for (int i = 0; i < 3; ++i)
            monitor->engine().tick();
        return arrived;
    }
    QByteArray overRadio(const QByteArray &message) {
        if (!fromUnit("RING 1234567\rCONNECT 1200\r") || !fromUnit(message))
            return "not received";
        return nextLine();
    }
    QByteArray overTcp(const QByteArray &frame) {
        QTcpSocket panel;
        panel.connectToHost(QHostAddress::LocalHost, port);
        if (!panel.waitForConnected(15000))
            return "no connection";
        panel.write(frame);
        if (!QTest::qWaitFor([&] { return panel.bytesAvailable() > 0; }, 15000))
            return "no reply";
        return nextLine();
    }
    // The receiver's answer to one datagram.
    QByteArray exchangeUdp(const QByteArray &frame) {
        QUdpSocket panel;
        panel.bind(QHostAddress::LocalHost, 0);
        panel.writeDatagram(frame, QHostAddress::LocalHost, port);
        if (!QTest::qWaitFor([&] { return panel.hasPendingDatagrams(); }, 15000))
            return {};
        return panel.receiveDatagram().data();
    }
    QByteArray overUdp(const QByteArray &frame) {
        return exchangeUdp(frame).isEmpty() ? "no reply" : nextLine();
    }
};

} // namespace

// DC-09 through the whole program: a panel's reports, clear and encrypted, over TCP and UDP,
// reach the automation software as the same lines as the radio report of the same event, and a
// NULL keeps the account's polling supervised.
class Dc09ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void reportsReachTheAutomationSoftwareAsByRadio() {
        Program program;
        QVERIFY(program.radio.isValid());
        QVERIFY(program.monitor->ipServer().isActive());
        const QByteArray key = QByteArray::fromHex(hexKey);
        const QByteArray now = stamp(QDateTime::currentDateTimeUtc());

        const QByteArray contactId = program.overRadio("25801181130010010");
        QVERIFY2(contactId.contains("5801"), contactId.constData());
        QCOMPARE(program.overUdp(frame(
                     encrypted("ADM-CID", "0002", "R0L0", "5801", "#5801|1130 01 001", key, now))),
                 contactId);
        const QByteArray sia = program.overRadio("3D#5801xHNri1/BA01y@");
        QVERIFY2(sia.contains("BA01"), sia.constData());
        QCOMPARE(program.overTcp(frame(
                     encrypted("SIA-DCS", "0004", "L0", "5801", "#5801|Nri1/BA01", key, now))),
                 sia);

        // An account with a key takes encrypted frames only: the clear ones come from 5802.
        const QByteArray clearContactId = program.overRadio("25802181130010019");
        QVERIFY2(clearContactId.contains("5802"), clearContactId.constData());
        QCOMPARE(program.overTcp(frame(clear("ADM-CID", "0001", "R0L0#5802", "#5802|1130 01 001"))),
                 clearContactId);
        const QByteArray clearSia = program.overRadio("3D#5802xHNri1/BA01y@");
        QVERIFY2(clearSia.contains("BA01"), clearSia.constData());
        QCOMPARE(program.overUdp(frame(clear("SIA-DCS", "0003", "L0#5802", "#5802|Nri1/BA01"))),
                 clearSia);
    }

    // An encrypted NULL is the panel's poll: it reloads the account's timer and ends its failure.
    void aNullKeepsThePollingSupervised() {
        Program program;
        AccountTable &accounts = program.monitor->core().accounts();
        accounts.update(5801, [](AccountRecord &record) {
            record.pollTimer = 0;
            record.pollFailed = 1;
        });
        const QByteArray now = stamp(QDateTime::currentDateTimeUtc());
        QTcpSocket panel;
        panel.connectToHost(QHostAddress::LocalHost, program.port);
        QVERIFY(panel.waitForConnected(15000));
        panel.write(
            frame(encrypted("NULL", "0005", "L0", "5801", {}, QByteArray::fromHex(hexKey), now)));
        QTRY_VERIFY_WITH_TIMEOUT(panel.bytesAvailable() > 0, 15000);
        QVERIFY(panel.readAll().contains("\"*ACK\"0005"));
        QCOMPARE(accounts.Find_Account(5801)->pollFailed, 0);
        QCOMPARE(accounts.Find_Account(5801)->pollTimer, pollTimerReload(10, 1));
    }

    // The key file written by hand while the program runs takes effect without a restart. A
    // read that finds a line that does not parse (a file being edited) is reported by number and
    // keeps the keys in use until the file reads whole.
    void keysWrittenByHandTakeEffectWhileRunning() {
        Program program;
        QSignalSpy reported(&program.monitor->core(), &MonitorCore::storeFailed);
        const QByteArray newKey = "0123456789abcdef";
        const auto write = [&program](const QByteArray &text) {
            QSaveFile keys(program.env.filePath(Dc09Keys::fileName));
            return keys.open(QIODevice::WriteOnly) && keys.write(text) == text.size() &&
                   keys.commit();
        };
        QVERIFY(write("5801 " + newKey + "\nnot a key line\n"));
        QTRY_COMPARE_WITH_TIMEOUT(reported.size(), 1, 15000);
        QVERIFY(reported.at(0).at(0).toString().contains("line 2)"));
        QCOMPARE(program.monitor->core().dc09Keys().key("5801"), QByteArray::fromHex(hexKey));
        QVERIFY(write("5801 " + newKey + "\n"));
        QTRY_COMPARE_WITH_TIMEOUT(program.monitor->core().dc09Keys().key("5801"),
                                  std::optional<QByteArray>(newKey), 15000);
        const QByteArray now = stamp(QDateTime::currentDateTimeUtc());
        // A NULL queues nothing: only its answer is awaited.
        const QByteArray reply =
            program.exchangeUdp(frame(encrypted("NULL", "0006", "L0", "5801", {}, newKey, now)));
        QVERIFY2(reply.contains("\"*ACK\"0006"), reply.constData());
    }
};

QTEST_MAIN(Dc09ProgramTest)
#include "test_dc09program.moc"
