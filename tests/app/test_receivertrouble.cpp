#include "watchedservice.h"

#include "app/monitorcore.h"
#include "app/watchserver.h"
#include "engine/engine.h"
#include "engine/receivertroubles.h"
#include "ipserver/ipserver.h"
#include "metrics/figures.h"
#include "support/automationreceiver.h"
#include "support/barepanel.h"
#include "support/countingbeeper.h"
#include "support/dc09panel.h"
#include "support/ptypair.h"
#include "support/scripteddialogs.h"
#include "support/tempenvironment.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <atomic>
#include <unistd.h>

namespace {

// The monitor's core with a Zorer-Uda unit on a pseudo-terminal behind a symlink (the line's
// device, which a new terminal can replace), its IP receiver on 127.0.0.1 and the Tx link to the
// automation software, which acknowledges every line. The hold-off's clock, the system clock's
// state and the journal's flush are the test's.
struct Program {
    TempEnvironment env;
    ScriptedDialogs dialogs;
    CountingBeeper beeper;
    PtyPair radio;
    std::unique_ptr<PtyPair> radioAgain;
    AutomationReceiver automation{AutomationReceiver::Reply::Ack};
    quint16 port = unusedLoopbackPort();
    qint64 nowMs = 1'000'000;
    std::optional<bool> clockSynchronised = true;
    std::atomic<bool> flushFails{false};
    std::unique_ptr<MonitorCore> core;
    int seen = 0; // lines of the automation software's already looked at

    quint16 metricsPort = unusedLoopbackPort();

    explicit Program(const QByteArray &receiverAccount, bool endedCleanly = true,
                     int maxConnections = 100) {
        const QString device = env.filePath("com1");
        QFile::link(radio.slavePath(), device);
        env.writeSettings(
            "[Logic]\nTCP Open=1\nTx Open=1\nPort1 Open=1\nSave Rx=1\n[Strings]\nTCP Port=" +
            QByteArray::number(port) +
            "\nTx IP Add=127.0.0.1\nTx IP Port=" + QByteArray::number(automation.port()) +
            "\nHeart Beat=0\nTX Timeout=1\nTX Att=1\nReceiver Account=" + receiverAccount +
            "\n[Integers]\nTx Num=9\nPort 1 Num=0\nMax Connections=" +
            QByteArray::number(maxConnections) +
            "\n[Devices]\n"
            "Com1=" +
            device.toLatin1() + "\n");
        MonitorOptions options;
        options.listenAddress = QHostAddress::LocalHost;
        options.previousRunEndedCleanly = endedCleanly;
        options.clockSynchronised = [this] { return clockSynchronised; };
        options.metricsAddress = QHostAddress::LocalHost;
        options.metricsPort = metricsPort;
        core = std::make_unique<MonitorCore>(dialogs, beeper, options);
        core->troubles().setClock([this] { return nowMs; });
        core->journal().setSyncFunction([this](int fd) { return !flushFails && ::fsync(fd) == 0; });
        core->journal().setRetryInterval(50);
        core->engine().setOneSecondWait([] {});
        core->loadStore();
        core->startLines();
        core->startTimer();
    }

    // The lines the automation software got since the last look, the engine ticking until
    // `count` have come (each framed with its DC4).
    QList<QByteArray> nextLines(int count) {
        const bool arrived = QTest::qWaitFor(
            [&] {
                core->engine().tick();
                return automation.chunks().size() >= seen + count;
            },
            15000);
        Q_UNUSED(arrived); // what came is compared, whatever it is
        QTest::qWait(50);  // and nothing more meanwhile
        for (int i = 0; i < 3; ++i)
            core->engine().tick();
        const QList<QByteArray> lines = automation.chunks().mid(seen);
        seen = int(automation.chunks().size());
        return lines;
    }
    void holdOffOver() { nowMs += TroubleHold::holdOffMs; }

    bool fromUnit(PtyPair &unit, const QByteArray &bytes) {
        const qsizetype before = core->engine().slot(1).rxText.size();
        if (!unit.write(bytes) ||
            !QTest::qWaitFor(
                [&] { return core->engine().slot(1).rxText.size() >= before + bytes.size(); },
                15000))
            return false;
        for (int i = 0; i < 3; ++i)
            core->engine().tick();
        return true;
    }
    // The unit's device goes away, or comes back on a new terminal behind the same name.
    PtyPair &unit() { return radioAgain ? *radioAgain : radio; }
    bool unplug() {
        unit().hangUp();
        return QTest::qWaitFor([&] { return !core->engine().comPort(1).isOpen(); }, 15000);
    }
    bool plugBackIn() {
        radioAgain = std::make_unique<PtyPair>();
        const QString device = env.filePath("com1");
        QFile::remove(device);
        QFile::link(radioAgain->slavePath(), device);
        return QTest::qWaitFor(
            [&] {
                core->engine().tick();
                return core->engine().comPort(1).isOpen();
            },
            15000);
    }
};

// A bare-IP text refused for naming the receiver account: counted so, and never answered.
bool refusedAsTheReceivers(quint16 port, const QByteArray &text) {
    const quint64 before = figures().refusedCount(Refusal::ReceiverAccount);
    QTcpSocket panel;
    panel.connectToHost(QHostAddress::LocalHost, port);
    if (!panel.waitForConnected(15000) || panel.write(text) != text.size())
        return false;
    const bool refused = QTest::qWaitFor(
        [&] { return figures().refusedCount(Refusal::ReceiverAccount) > before; }, 15000);
    return refused && !panel.waitForReadyRead(100);
}

QByteArray line(const QByteArray &text) {
    return text + '\x14';
}

} // namespace

// The monitor's own trouble reaches the automation software under the receiver account: each
// line once, in order, its restore after it once the hold-off is over; and no panel may report
// under that account.
class ReceiverTroubleTest : public QObject {
    Q_OBJECT
private slots:
    void unitJournalAndClockTroublesAndTheirRestores() {
        Program program("1234", false);
        QVERIFY(program.radio.isValid());
        // The run before ended without removing its lock: zone 001.
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 181234E30500001")});

        QVERIFY(program.unplug());
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 181234E33000001")});
        QVERIFY(program.plugBackIn());
        QCOMPARE(program.nextLines(0), QList<QByteArray>{}); // back within the minute: held
        QVERIFY(program.unplug());
        QVERIFY(program.plugBackIn());
        program.holdOffOver();
        // The state at the end of the hold-off, once, though the unit went and came twice.
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 181234R33000001")});

        // The journal cannot store: the message is not acknowledged; the trouble line goes out
        // from memory before the message's own line.
        program.flushFails = true;
        QVERIFY(program.fromUnit(*program.radioAgain, "RING 1234567\rCONNECT 1200\r"));
        QVERIFY(program.fromUnit(*program.radioAgain, "25801181130010010"));
        QCOMPARE(program.radioAgain->readAvailable(), QByteArray());
        QCOMPARE(program.nextLines(2),
                 (QList<QByteArray>{line("5041 181234E30000000"), line("5041 185801E13001001")}));
        // The watchers read it too; /health keeps its status code (the journal's 503).
        const QString journalTrouble =
            "Trouble: queue journal cannot store: no panel is acknowledged";
        QVERIFY(statusReport().contains(journalTrouble + '\n'));
        const HttpResponse failing = httpGet(program.metricsPort, "/health");
        QCOMPARE(failing.status, 503);
        QVERIFY(failing.body.endsWith('\n' + journalTrouble.toUtf8() + '\n'));
        program.flushFails = false;
        QTRY_VERIFY_WITH_TIMEOUT(program.core->troubles().openTroubles().isEmpty(), 15000);
        QCOMPARE(program.nextLines(0), QList<QByteArray>{});
        program.holdOffOver();
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 181234R30000000")});

        // The clock: unsynchronised, then synchronised; where it cannot be read nothing is said.
        program.clockSynchronised = false;
        program.core->checkClock();
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 181234E62600000")});
        QCOMPARE(httpGet(program.metricsPort, "/health").body,
                 QByteArray("OK\nTrouble: system clock not synchronised\n"));
        program.clockSynchronised = std::nullopt;
        program.core->checkClock();
        program.holdOffOver();
        QCOMPARE(program.nextLines(0), QList<QByteArray>{});
        program.clockSynchronised = true;
        program.core->checkClock();
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 181234R62600000")});
        QCOMPARE(figures().troubleLines(troubleIndex(ReceiverTrouble::ClockUnsynchronised), true),
                 quint64(1));
        const QByteArray txLog = program.env.readFile("Tx_Log.TXT");
        QCOMPARE(txLog.count("181234"), 7);
        QVERIFY(txLog.contains(" -- 5041 181234R62600000\r\n"));
    }

    // The self-test finds the receiver deaf and restarts it, on a port something else holds
    // now; started again by the operator, the receiver answers the self-test again.
    void ipReceiverRestartedAndItsPortAndTheConnectionLimit() {
        Program program("12B4", true, 2);
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 1812B4E30500000")});

        // The connection limit of 2 reached, and left.
        QTcpSocket first;
        QTcpSocket second;
        first.connectToHost(QHostAddress::LocalHost, program.port);
        second.connectToHost(QHostAddress::LocalHost, program.port);
        QVERIFY(first.waitForConnected(15000) && second.waitForConnected(15000));
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 1812B4E35000003")});
        second.close();
        program.holdOffOver();
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 1812B4R35000003")});
        first.close();
        QTRY_COMPARE_WITH_TIMEOUT(program.core->ipServer().connectionCount(), 0, 15000);

        // The self-test goes to the port the receiver is to listen on, which something deaf holds:
        // unanswered, it restarts the receiver there, which cannot open it.
        QTcpServer deaf;
        QVERIFY(deaf.listen(QHostAddress::LocalHost, unusedLoopbackPort()));
        program.core->settings().setText(SettingKey::TcpPort, QString::number(deaf.serverPort()));
        program.core->engine().txLink().setSelfTestCountdown(1);
        QCOMPARE(program.nextLines(2),
                 (QList<QByteArray>{line("5041 1812B4E30700003"), line("5041 1812B4E33000003")}));
        QVERIFY(!program.core->ipServer().isActive());
        deaf.close();
        program.core->engine().ipServerToggle().toggle(IpServerToggle::Caller::Operator);
        QVERIFY(program.core->ipServer().isActive());
        program.core->engine().txLink().setSelfTestCountdown(1);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                program.core->engine().tick();
                return program.core->troubles().openTroubles().isEmpty();
            }(),
            15000);
        program.holdOffOver();
        QCOMPARE(program.nextLines(2),
                 (QList<QByteArray>{line("5041 1812B4R30700003"), line("5041 1812B4R33000003")}));
    }

    // Nothing a panel sends under the receiver account is taken: not over the radio, not as a
    // bare-IP report or poll, not in a DC-09 frame (which gets "DUH").
    void panelsCannotReportUnderTheReceiverAccount() {
        Program program("5801");
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 185801E30500000")});
        QVERIFY(program.fromUnit(program.radio, "RING 1234567\rCONNECT 1200\r"));
        QVERIFY(program.fromUnit(program.radio, "25801181130010010"));
        QCOMPARE(program.radio.readAvailable(), QByteArray());
        QVERIFY(refusedAsTheReceivers(program.port, "25801181130010010"));
        QVERIFY(refusedAsTheReceivers(program.port, "POLL5801#A"));
        QTcpSocket panel;
        panel.connectToHost(QHostAddress::LocalHost, program.port);
        QVERIFY(panel.waitForConnected(15000));
        panel.write(dc09panel::frame(
            dc09panel::clear("ADM-CID", "0001", "R0L0#5801", "#5801|1130 01 001")));
        QTRY_VERIFY_WITH_TIMEOUT(panel.bytesAvailable() > 0, 15000);
        QVERIFY(panel.readAll().contains("\"DUH\"0001"));
        QVERIFY(barePanelDelivered(program.port, "25802181130010019")); // another account: taken
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 185802E13001001")});
        QVERIFY(program.env.readFile("IP_EXPlog.TXT").contains("receiver account 5801"));
    }

    // The program itself: a start after a clean stop, and one after it was killed, whose lock
    // file is left behind.
    void theStartUpLineSaysWhetherTheRunBeforeEndedCleanly() {
        WatchedService service;
        {
            QSettings store(service.filePath("config/Voduro.conf"), QSettings::IniFormat);
            store.setValue("Strings/Receiver Account", "1234");
            store.setValue("Logic/Save Rx", "1");
        }
        // The start-up line this start queued (a line not acknowledged before a kill is sent
        // again after it, but queued, and logged, once).
        const auto startUpLine = [&service]() -> QByteArray {
            const auto logged = [&service] {
                QFile log(service.filePath("Tx_Log.TXT"));
                return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
            };
            const qsizetype before = logged().count("E305");
            if (!service.start() ||
                !QTest::qWaitFor([&] { return logged().count("E305") > before; }, 20000))
                return "none";
            const QByteArray log = logged();
            return log.mid(log.lastIndexOf("5041 181234E305"), 20);
        };
        QCOMPARE(startUpLine(), QByteArray("5041 181234E30500000"));
        QVERIFY(service.stop());
        QCOMPARE(startUpLine(), QByteArray("5041 181234E30500000"));
        service.process.kill();
        QVERIFY(service.process.waitForFinished(20000));
        QCOMPARE(startUpLine(), QByteArray("5041 181234E30500001"));
        QTRY_VERIFY_WITH_TIMEOUT(
            service.automation.received().contains(line("5041 181234E30500001")), 20000);
    }

    // Without a receiver account the automation software gets what it always got.
    void noReceiverAccountNoLines() {
        Program program("");
        QVERIFY(program.unplug());
        QVERIFY(program.plugBackIn());
        program.holdOffOver();
        QVERIFY(barePanelDelivered(program.port, "25801181130010010"));
        QCOMPARE(program.nextLines(1), QList<QByteArray>{line("5041 185801E13001001")});
        QVERIFY(!program.env.readFile("Tx_Log.TXT").contains("E305"));

        // Troubles are followed all the same. The journal's state said by two threads whose
        // signals overtook each other: the later change stands.
        program.core->troubles().journalStoring(true, 1001);
        program.core->troubles().journalStoring(false, 1000);
        QVERIFY(program.core->troubles().openTroubles().isEmpty());
    }
};

QTEST_MAIN(ReceiverTroubleTest)
#include "test_receivertrouble.moc"
