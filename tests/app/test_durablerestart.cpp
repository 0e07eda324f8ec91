#include "app/monitor.h"
#include "engine/engine.h"
#include "store/journalformat.h"
#include "store/queuejournal.h"
#include "support/automationreceiver.h"
#include "support/ptypair.h"
#include "support/tempenvironment.h"
#include "ui/mainwindow.h"

#include <QListView>
#include <QProcess>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>

// The queues across a restart of the program: restored before anything starts, reported when
// their journal was damaged, guarded by one monitor per directory, and complete after kill -9.
class DurableRestartTest : public QObject {
    Q_OBJECT

    static void startProgram(QProcess &process, const TempEnvironment &env) {
        env.prepareProgram(process);
        process.start(VODURO_BINARY, QStringList());
    }

    static QByteArray txSettings(quint16 receiverPort) {
        return "[Integers]\nTx Num=9\n[Strings]\nTx IP Add=127.0.0.1\nTx IP Port=" +
               QByteArray::number(receiverPort) +
               "\nTX Timeout=1\nHeart Beat=0\n[Logic]\nTx Open=1\n";
    }

    static QList<QByteArray> deliveredLines(const AutomationReceiver &receiver) {
        QList<QByteArray> lines = receiver.received().split('\x14');
        lines.removeLast();
        return lines;
    }

    // A Contact ID report of its own for every number, with its check digit.
    static std::optional<QByteArray> report(int number) {
        const QByteArray body = "2" + QByteArray::number(1000 + number / 100) + "181130" +
                                QByteArray::number(10 + number % 100 / 1000) +
                                QByteArray::number(100 + number % 100).right(3);
        int sum = 0;
        for (qsizetype i = 1; i < body.size(); ++i)
            sum += body[i] == '0' ? 10 : body[i] - '0';
        const int check = 15 - sum % 15;
        if (check > 10)
            return std::nullopt;
        return body + (check == 10 ? '0' : char('0' + check));
    }
    static QByteArray lineOf(const QByteArray &report) {
        return "5041 18" + report.mid(1, 4) + "E130" + report.mid(11, 5);
    }

private slots:
    // The queues come back in their order before any line starts, and the restored "Tx Pending"
    // goes out first; damage in the journal is said in the status bar and "IP_EXPlog.TXT".
    void restoredQueuesAreShownAndSentFirst() {
        TempEnvironment env;
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        {
            QueueJournal journal;
            QVERIFY(journal.open(env.filePath(QueueJournal::fileName)).opened);
            journal.addTx("line 1", {});
            journal.addPending("1234567", "22468181130010035", {});
            journal.addTx("line 2", {});
        }
        QFile file(env.filePath(QueueJournal::fileName));
        QVERIFY(file.open(QIODevice::Append));
        file.write("torn");
        file.close();
        QVERIFY(env.writeSettings(txSettings(receiver.port()) + "Process Data=0\n"));
        Monitor monitor;
        QCOMPARE(monitor.engine().pendingMessages().size(), 1);
        QCOMPARE(monitor.engine().pendingMessages().first().text(),
                 QByteArray("[1234567]22468181130010035"));
        QListView *txView = nullptr;
        for (QListView *view : monitor.mainWindow().findChildren<QListView *>())
            if (view->model() && view->model()->objectName() == "TxQueue")
                txView = view;
        QVERIFY(txView);
        QCOMPARE(txView->model()->rowCount(), 2);
        QCOMPARE(txView->model()->index(0, 0).data().toString(), "line 1");
        QVERIFY(monitor.mainWindow().statusBar()->currentMessage().contains("4 bytes cut"));
        QVERIFY(env.readFile("IP_EXPlog.TXT").contains("4 bytes cut"));
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                monitor.engine().tick();
                return receiver.received().size() >= 14;
            }(),
            15000);
        QCOMPARE(receiver.received().left(14), QByteArray("line 1\x14line 2\x14"));
    }

    // One monitor per directory; a lock left by a killed monitor is taken over.
    void secondMonitorExitsAndAStaleLockIsTakenOver() {
        TempEnvironment env;
        QProcess first;
        startProgram(first, env);
        QVERIFY(first.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(env.fileExists("Voduro.lock"), 15000);
        QProcess second;
        startProgram(second, env);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("Another Voduro monitor (process " +
                                                       QByteArray::number(first.processId())));
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(env.fileExists("Voduro.lock"));
        QProcess third;
        startProgram(third, env);
        QVERIFY(third.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(
            env.readFile("Voduro.lock").startsWith(QByteArray::number(third.processId()) + "\n"),
            15000);
        third.terminate();
        QVERIFY(third.waitForFinished(30000));
    }

    // kill -9 at random moments while reports arrive on a serial line and over TCP: after the
    // restarts every acknowledged report reaches the automation software, in order.
    void nothingAcknowledgedIsLostToKillNine() {
        const auto seed = quint32(environmentNumber("VODURO_KILL_SEED", 20240601));
        const int killPoints = environmentNumber("VODURO_KILL_POINTS", 20);
        qInfo("kill -9 sequence: seed %u, %d kill points", seed, killPoints);
        QRandomGenerator random(seed);
        TempEnvironment env;
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        const quint16 panelPort = unusedLoopbackPort();
        QVERIFY(panelPort != 0);

        QList<QByteArray> acknowledged;
        int number = 0;
        auto nextReport = [&] {
            while (!report(number))
                ++number;
            return *report(number++);
        };
        for (int round = 0; round < killPoints; ++round) {
            // A killed program leaves its terminal in exclusive mode: each start gets a new one.
            PtyPair pty;
            QVERIFY(env.writeSettings(
                txSettings(receiver.port()) +
                "Port1 Open=1\nTCP Open=1\n[Strings]\nTCP Port=" + QByteArray::number(panelPort) +
                "\n[Devices]\nCom1=" + pty.slavePath().toLatin1() + "\n"));
            QProcess program;
            startProgram(program, env);
            QVERIFY(program.waitForStarted(10000));
            QTcpSocket panel;
            QVERIFY(connectWhenListening(panel, panelPort));
            const int reports = 2 + int(random.bounded(5));
            for (int i = 0; i < reports; ++i) {
                const QByteArray text = nextReport();
                sendAcknowledged(text, i > 0 && random.bounded(2) == 0, pty, panel);
                if (QTest::currentTestFailed())
                    return;
                acknowledged.append(lineOf(text));
                if (i == 0) {
                    // The program's loop runs now (a connection was served): the unit's call
                    // is announced and serviced on its own before any report follows it.
                    QVERIFY(pty.write("RING 1234567\rCONNECT 1200\r"));
                    QTest::qWait(600);
                }
            }
            QTest::qWait(int(random.bounded(400)));
            if (random.bounded(2) == 0) {
                panel.write(nextReport()); // in flight at the kill: may or may not be taken
                panel.flush();
            }
            ::kill(pid_t(program.processId()), SIGKILL);
            QVERIFY(program.waitForFinished(10000));
        }
        QVERIFY(env.writeSettings(txSettings(receiver.port())));
        QProcess program;
        startProgram(program, env);
        QVERIFY(QTest::qWaitFor([&] { return allDelivered(receiver, acknowledged); }, 90000));
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        compareFirstDeliveries(receiver, acknowledged);
    }

private:
    static bool connectWhenListening(QTcpSocket &panel, quint16 port) {
        return QTest::qWaitFor(
            [&] {
                if (panel.state() == QAbstractSocket::UnconnectedState)
                    panel.connectToHost(QHostAddress::LocalHost, port);
                return panel.state() == QAbstractSocket::ConnectedState;
            },
            30000);
    }

    static bool allDelivered(const AutomationReceiver &receiver,
                             const QList<QByteArray> &acknowledged) {
        const QList<QByteArray> lines = deliveredLines(receiver);
        return std::all_of(acknowledged.begin(), acknowledged.end(),
                           [&](const QByteArray &line) { return lines.contains(line); });
    }

    static int environmentNumber(const char *name, int fallback) {
        return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
    }

    // Sends a report over the serial line or over TCP and checks its acknowledgement.
    static void sendAcknowledged(const QByteArray &text, bool overSerial, PtyPair &pty,
                                 QTcpSocket &panel) {
        if (overSerial) {
            QVERIFY(pty.write(text));
            QCOMPARE(pty.readAtLeast(2, 15000), QByteArray("\x06\r"));
        } else {
            panel.write(text);
            QVERIFY(QTest::qWaitFor([&] { return panel.bytesAvailable() >= 3; }, 15000));
            QCOMPARE(panel.readAll(), QByteArray("\x06\r\n"));
        }
    }

    // Every acknowledged line was delivered, first deliveries in the acknowledged order.
    static void compareFirstDeliveries(const AutomationReceiver &receiver,
                                       const QList<QByteArray> &acknowledged) {
        QList<QByteArray> firstSeen;
        int duplicates = 0;
        for (const QByteArray &line : deliveredLines(receiver)) {
            if (firstSeen.contains(line))
                ++duplicates;
            else
                firstSeen.append(line);
        }
        QList<QByteArray> acknowledgedSeen;
        for (const QByteArray &line : firstSeen)
            if (acknowledged.contains(line))
                acknowledgedSeen.append(line);
        qInfo("%lld reports acknowledged, %lld lines delivered, %d duplicates",
              qlonglong(acknowledged.size()), qlonglong(firstSeen.size()), duplicates);
        QCOMPARE(acknowledgedSeen, acknowledged);
    }
};

QTEST_MAIN(DurableRestartTest)
#include "test_durablerestart.moc"
