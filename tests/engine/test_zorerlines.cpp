#include "common/datetimetext.h"
#include "support/enginefixture.h"
#include "support/ptypair.h"

#include <QFile>
#include <QSerialPort>
#include <QtTest>

// Zorer-Uda lines on real serial ports (pseudo-terminals) driven by explicit ticks.
class ZorerLinesTest : public QObject {
    Q_OBJECT

    // Starts Zorer-Uda `line` ("Com<line>") on `device`.
    static bool startLine(EngineFixture &f, int line, const QString &device) {
        f.settings.setDevice(line - 1, device);
        f.settings.setInteger(line == 1 ? SettingKey::Port1Num : SettingKey::Port2Num, line - 1);
        f.engine.startStop(line);
        return f.engine.isLineStarted(line);
    }
    static bool startLineOne(EngineFixture &f, PtyPair &pty) {
        return startLine(f, 1, pty.slavePath());
    }

    // Waits until the slot holds `expected`, as the data-available handler left it.
    static bool arrives(EngineFixture &f, const QByteArray &expected, int line = 1) {
        QDeadlineTimer deadline(10000);
        while (f.engine.slot(line).rxText != expected && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return f.engine.slot(line).rxText == expected;
    }

    // The unit sends one burst; the line goes quiet and the tick services it.
    static bool serviced(EngineFixture &f, PtyPair &pty, const QByteArray &bytes, int line = 1) {
        if (!pty.write(bytes) || !arrives(f, bytes, line))
            return false;
        f.ticks(3);
        return true;
    }

    // A call is announced and one Contact ID message follows; true when the unit got its ACK.
    static bool callAndMessageFrom(EngineFixture &f, PtyPair &pty, const QByteArray &nua,
                                   int line = 1) {
        return serviced(f, pty, "RING " + nua + "\rCONNECT 1200\r", line) &&
               serviced(f, pty, "25801181130010010", line) &&
               pty.readAtLeast(2) == QByteArray("\x06\r");
    }

    [[nodiscard]] static auto fixedClock() {
        Clock::setNowFunction([] { return QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0)); });
        return qScopeGuard([] { Clock::setNowFunction({}); });
    }
    static QByteArray stamp() {
        return dateTimeText(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0))).toLocal8Bit();
    }

    static QStringList received(EngineFixture &f) {
        QStringList items;
        for (int i = 0; i < f.engine.receivedData().size(); ++i)
            items.append(QString::fromLatin1(f.engine.receivedData().at(i)));
        return items;
    }

private slots:
    void portParametersComeFromTheLineSettings() {
        EngineFixture f;
        PtyPair pty;
        f.settings.setInteger(SettingKey::Port1Speed, 4); // 9600
        f.settings.setFlag(SettingKey::Port1StopBits, true);
        QVERIFY(startLineOne(f, pty));
        QSerialPort &port = f.engine.comPort(1);
        QCOMPARE("/dev/" + port.portName(), pty.slavePath());
        QCOMPARE(port.baudRate(), 9600);
        QCOMPARE(port.dataBits(), QSerialPort::Data7);
        QCOMPARE(port.parity(), QSerialPort::EvenParity);
        QCOMPARE(port.stopBits(), QSerialPort::TwoStop);
        QVERIFY(f.settings.flag(SettingKey::Port1Open));
    }

    void failedOpenLeavesTheLineStoppedSilently() {
        EngineFixture f;
        f.settings.setDevice(0, f.env.filePath("no-such-device"));
        QSignalSpy state(&f.engine, &Engine::lineStateChanged);
        f.engine.startStop(1);
        QVERIFY(!f.engine.isLineStarted(1));
        QVERIFY(!f.settings.flag(SettingKey::Port1Open));
        QCOMPARE(state.size(), 0);
        QVERIFY(f.dialogs.asked.isEmpty());
    }

    void callThenMessageIsAcknowledgedAndQueued() {
        EngineFixture f;
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QVERIFY(serviced(f, pty, "RING 1234567\rCONNECT 1200\r"));
        QVERIFY(f.engine.slot(1).call.lineConnected);
        QCOMPARE(f.engine.slot(1).call.lineNua, QByteArray("1234567"));
        QVERIFY(f.engine.pendingMessages().isEmpty());

        f.settings.setFlag(SettingKey::ProcessData, false);
        QVERIFY(serviced(f, pty, "25801181130010010"));
        QCOMPARE(pty.readAtLeast(2), QByteArray("\x06\r"));
        QCOMPARE(f.engine.pendingMessages().size(), 1);
        QCOMPARE(f.engine.pendingMessages().first().text(),
                 QByteArray("[1234567]25801181130010010"));
        QCOMPARE(f.engine.status().padNua[1], QStringLiteral("1234567"));
        QVERIFY(f.engine.status().connected[1]);
    }

    void refusedAccountIsShownButNotAcknowledged() {
        EngineFixture f;
        AccountRecord bound;
        bound.accNum = 5801;
        bound.optionBits = AccountRecord::MatchNuaIp;
        bound.nuaIp = "7654321";
        f.accounts.InsertAcc(bound);
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        f.engine.setSetupWindowOpen(true);
        f.settings.setFlag(SettingKey::ProcessData, false);
        QVERIFY(serviced(f, pty, "RING 1234567\rCONNECT 1200\r"));
        QVERIFY(serviced(f, pty, "25801181130010010"));
        QVERIFY(f.engine.pendingMessages().isEmpty());
        QCOMPARE(received(f).count("25801181130010010"), 2);
        QCOMPARE(pty.readAtLeast(1, 300), QByteArray());
    }

    void burstLongerThan256BytesIsReadWhole() {
        EngineFixture f;
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QByteArray burst;
        for (int i = 0; i < 700; ++i)
            burst += char('a' + i % 26);
        QVERIFY(pty.write(burst));
        QVERIFY(arrives(f, burst));
    }

    void piecesWithinThreeTicksAreOneServiceLaterOnesAreSplit() {
        EngineFixture f;
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        f.engine.setSetupWindowOpen(true);
        QVERIFY(pty.write("abc"));
        QVERIFY(arrives(f, "abc"));
        f.ticks(2);
        QVERIFY(pty.write("def"));
        QVERIFY(arrives(f, "abcdef"));
        f.ticks(2);
        QVERIFY(received(f).isEmpty());
        f.ticks(1);
        QCOMPARE(received(f), QStringList{"[1]abcdef"});

        QVERIFY(serviced(f, pty, "ghi"));
        QVERIFY(serviced(f, pty, "jkl"));
        QCOMPARE(received(f), (QStringList{"[1]abcdef", "[1]ghi", "[1]jkl"}));
    }

    void leftoverTextIsShownOnlyWhileTheSetupWindowIsOpen() {
        EngineFixture f;
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QVERIFY(serviced(f, pty, "noise"));
        QVERIFY(received(f).isEmpty());
        QVERIFY(f.engine.slot(1).rxText.isEmpty());
    }

    void stoppingTheLineClosesThePort() {
        EngineFixture f;
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QSignalSpy state(&f.engine, &Engine::lineStateChanged);
        f.engine.startStop(1);
        QVERIFY(!f.engine.comPort(1).isOpen());
        QVERIFY(!f.settings.flag(SettingKey::Port1Open));
        QCOMPARE(state.size(), 1);
        QCOMPARE(state.first(), (QVariantList{1, false}));
        QVERIFY(!f.engine.status().labelEnabled[1]);
    }

    void portChangeStopsTheLineAndKeepsItsLabel() {
        EngineFixture f;
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QVERIFY(f.engine.status().labelEnabled[1]);
        f.engine.portOrSpeedChanged(1);
        QVERIFY(!f.engine.comPort(1).isOpen());
        QVERIFY(!f.settings.flag(SettingKey::Port1Open));
        QVERIFY(f.engine.status().labelEnabled[1]);
    }

    // A tick decodes the waiting items oldest first until its budget is spent; the item that
    // reaches the budget is the last one of that tick.
    void decoderTakesItemsWithinTheTickBudgetOldestFirst() {
        EngineFixture f;
        qint64 now = 0;
        f.engine.setClock([&now] { return now; });
        QList<QPair<QByteArray, QByteArray>> decoded;
        f.engine.setDecoder([&](const QByteArray &source, const QByteArray &message) {
            decoded.append({source, message});
            now += 7'000'000; // each item takes 7 ms
        });
        f.settings.setFlag(SettingKey::ProcessData, false);
        for (int i = 0; i < 7; ++i)
            f.engine.pendingMessages().append(QByteArray::number(i),
                                              "2item" + QByteArray::number(i));
        f.engine.pendingMessages().append("3", "1three" + QByteArray(100, '0'));
        f.ticks(4);
        QVERIFY(decoded.isEmpty());
        QCOMPARE(f.engine.pendingMessages().size(), 8);

        f.settings.setFlag(SettingKey::ProcessData, true);
        f.ticks(1);
        QCOMPARE(decoded.size(), 3); // 7 + 7 ms within 20 ms; the third reaches it
        f.ticks(1);
        QCOMPARE(decoded.size(), 6);
        f.ticks(1);
        QCOMPARE(decoded.size(), 8);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(decoded[i].first, QByteArray::number(i));
            QCOMPARE(decoded[i].second, "2item" + QByteArray::number(i));
        }
        QCOMPARE(decoded[7].second, "1three" + QByteArray(94, '0')); // at most 100 bytes
        QVERIFY(f.engine.pendingMessages().isEmpty());
    }

    // Switching the processing off stops the decoding at once, even within a tick's budget.
    void processingSwitchedOffByTheDecoderStopsTheTick() {
        EngineFixture f;
        int decoded = 0;
        f.engine.setDecoder([&](const QByteArray &, const QByteArray &) {
            if (++decoded == 2)
                f.settings.setFlag(SettingKey::ProcessData, false);
        });
        for (int i = 0; i < 5; ++i)
            f.engine.pendingMessages().append("1", "2x");
        f.ticks(1);
        QCOMPARE(decoded, 2);
        QCOMPARE(f.engine.pendingMessages().size(), 3);
    }

    void decoderFeedLogsEachItem() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        Clock::setNowFunction([] { return QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0)); });
        f.engine.pendingMessages().append("RX3", "1753155555551");
        f.ticks(1);
        Clock::setNowFunction({});
        const QString stamp = dateTimeText(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0)));
        QCOMPARE(f.env.readFile("Rx_Log.TXT"), stamp.toLocal8Bit() + " -- [RX3]1753155555551\r\n");
    }

    void onlyLinesOneTwoAndFiveAreServiced() {
        EngineFixture f;
        f.engine.setSetupWindowOpen(true);
        for (int n = 3; n <= 4; ++n) {
            f.engine.slot(n).rxText = "x";
            f.engine.slot(n).quietTicks = 3;
        }
        f.ticks(5);
        QVERIFY(received(f).isEmpty());
    }

    void fromReceiverForwardsLineTwoUnchanged() {
        EngineFixture f;
        f.settings.setFlag(SettingKey::FromReceiver, true);
        f.engine.slot(2).rxText = "5041 182468E13001003\x14";
        f.engine.slot(2).quietTicks = 3;
        f.ticks(3);
        QCOMPARE(f.txQueue.lines(), QList<QByteArray>{"5041 182468E13001003"});
        QVERIFY(f.engine.slot(2).rxText.isEmpty());
    }

    void acknowledgementIsLoggedOnlyWhenItWasSent() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        f.settings.setFlag(SettingKey::ProcessData, false);
        const auto clock = fixedClock();
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        const QByteArray forwarded = "9 5041 182468E13001003@";
        QVERIFY(serviced(f, pty, forwarded));
        QCOMPARE(pty.readAtLeast(2), QByteArray("\x06\r"));
        // Line 2 was never started: the same line there cannot be acknowledged.
        f.engine.slot(2).rxText = forwarded;
        f.engine.slot(2).quietTicks = 1;
        f.ticks(1);
        QCOMPARE(f.env.readFile("IP_ACK_log.TXT"), stamp() + " ComPort -- \x06\r\r\n");
        QCOMPARE(f.engine.pendingMessages().size(), 1);
    }

    void stoppedLineHasNoCall_data() {
        QTest::addColumn<bool>("byPortChange");
        QTest::newRow("START/STOP") << false;
        QTest::newRow("port or speed change") << true;
    }
    void stoppedLineHasNoCall() {
        QFETCH(bool, byPortChange);
        EngineFixture f;
        f.settings.setFlag(SettingKey::ProcessData, false);
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QVERIFY(serviced(f, pty, "RING 1234567\rCONNECT 1200\r"));
        QVERIFY(f.engine.status().connected[1]);
        // The next call is already on its way when the line is stopped.
        QVERIFY(pty.write("RING 7654321\rCONNECT 1200\r"));
        QVERIFY(arrives(f, "RING 7654321\rCONNECT 1200\r"));
        QSignalSpy shown(&f.engine, &Engine::statusChanged);
        if (byPortChange)
            f.engine.portOrSpeedChanged(1);
        else
            f.engine.startStop(1);
        QCOMPARE(shown.size(), 1);
        QVERIFY(!f.engine.status().connected[1]);
        QCOMPARE(f.engine.status().padNua[1], noNuaText);
        f.ticks(3);
        QVERIFY(!f.engine.status().connected[1]);

        // Started again, the line takes no message before the unit announces a call.
        QVERIFY(startLineOne(f, pty));
        QVERIFY(serviced(f, pty, "25801181130010010"));
        QVERIFY(f.engine.pendingMessages().isEmpty());
        QCOMPARE(pty.readAtLeast(1, 300), QByteArray());
    }

    void bracketInTheNuaDoesNotMoveTheMessage() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        const auto clock = fixedClock();
        QList<QByteArray> decoded;
        f.engine.setDecoder([&](const QByteArray &source, const QByteArray &message) {
            decoded << source << message;
        });
        f.settings.setFlag(SettingKey::ProcessData, false);
        PtyPair pty;
        QVERIFY(startLineOne(f, pty));
        QVERIFY(callAndMessageFrom(f, pty, "12]4567"));
        const QByteArray item = "[12]4567]25801181130010010";
        QCOMPARE(f.engine.pendingMessages().index(0).data().toString(), QString::fromLatin1(item));

        f.settings.setFlag(SettingKey::ProcessData, true);
        f.ticks(1);
        QCOMPARE(decoded, (QList<QByteArray>{"12]4567", "25801181130010010"}));
        QCOMPARE(f.env.readFile("Rx_Log.TXT"), stamp() + " -- " + item + "\r\n");
    }

    void lostDeviceIsWaitedForAndTakenBackWhenItReturns() {
        EngineFixture f;
        f.logs.setConnectionLogEnabled(true);
        f.engine.setSetupWindowOpen(true);
        f.settings.setFlag(SettingKey::ProcessData, false);
        const auto clock = fixedClock();
        const QString device = f.env.filePath("com1"); // what "Com1" maps to
        PtyPair first;
        QVERIFY(QFile::link(first.slavePath(), device));
        PtyPair other;
        QVERIFY(startLine(f, 1, device));
        QVERIFY(startLine(f, 2, other.slavePath()));
        QVERIFY(serviced(f, first, "RING 1234567\rCONNECT 1200\r"));
        QSignalSpy state(&f.engine, &Engine::lineStateChanged);
        QSignalSpy errors(&f.engine.comPort(1), &QSerialPort::errorOccurred);

        first.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.comPort(1).isOpen(), 10000);
        EngineFixture::settle(50);
        QVERIFY2(errors.size() < 5, "the vanished device must not keep the event loop busy");
        const QString lost = "Zorer-Uda 1: device " + device + " lost";
        QCOMPARE(received(f).last(), lost);
        QCOMPARE(f.env.readFile("Connection_log.txt"), stamp() + " - " + lost.toLatin1() + "\r\n");
        QVERIFY(f.engine.isLineStarted(1));
        QVERIFY(f.settings.flag(SettingKey::Port1Open));
        QVERIFY(!f.engine.status().connected[1]);
        QVERIFY(!f.engine.status().labelEnabled[1]);

        QVERIFY(callAndMessageFrom(f, other, "1234567", 2)); // the other line carries on
        f.ticks(60);                                         // tried again, still gone
        QVERIFY(!f.engine.comPort(1).isOpen());

        PtyPair second;
        QVERIFY(QFile::remove(device));
        QVERIFY(QFile::link(second.slavePath(), device));
        f.ticks(30);
        QVERIFY(f.engine.comPort(1).isOpen());
        QVERIFY(f.engine.status().labelEnabled[1]);
        QVERIFY(
            f.env.readFile("Connection_log.txt")
                .endsWith(stamp() + " - Zorer-Uda 1: device " + device.toLatin1() + " back\r\n"));
        QVERIFY(callAndMessageFrom(f, second, "1234567"));
        QCOMPARE(f.engine.pendingMessages().size(), 2);
        QVERIFY(state.isEmpty()); // "STOP COMS" all along

        // Stopped while it waits, the line waits no more.
        second.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!f.engine.comPort(1).isOpen(), 10000);
        f.engine.startStop(1);
        QCOMPARE(state.size(), 1);
        QVERIFY(!f.settings.flag(SettingKey::Port1Open));
        PtyPair third;
        QVERIFY(QFile::remove(device));
        QVERIFY(QFile::link(third.slavePath(), device));
        f.ticks(100);
        QVERIFY(!f.engine.isLineStarted(1));
    }
};

QTEST_GUILESS_MAIN(ZorerLinesTest)
#include "test_zorerlines.moc"
