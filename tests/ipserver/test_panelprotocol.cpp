#include "ipserver/ipserverfixture.h"

#include "accounts/accountnumbers.h"
#include "common/datetimetext.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

// Real panels against the real server: the exact bytes a panel gets back, and what reaches
// "Pending Messages", "Received Data", "Tx Pending" and the logs.
class TestPanelProtocol : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Clock::setNowFunction({}); }
    void oneText_data();
    void oneText();
    void textsOnOneConnectionKeepTheirOrder();
    void boundAccountFromAnotherAddress();
    void failureAndRestoreLines();
    void accountThatDoesNotConvertIsShownNotAnswered();
};

namespace {

void addAccounts(IpServerFixture &f) {
    f.addAccount(5801, 10);
    f.addAccount(5804, 10, 0);                            // armed delay 0
    f.addAccount(5805, 300, 0, AccountRecord::SyncClock); // sends the time
}

} // namespace

void TestPanelProtocol::oneText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArrayList>("queued");
    QTest::addColumn<QByteArrayList>("shown");

    const QByteArray p10("[P]\0\x0A", 5);
    const auto item = [](const QByteArray &message) { return "[127.0.0.1]" + message; };
    QTest::newRow("poll with CR LF") << QByteArray("POLL5801#A\r\n") << p10 + ack
                                     << QByteArrayList{item("POLL5801#A")} << QByteArrayList{};
    QTest::newRow("poll, unknown account")
        << QByteArray("POLL5802#A\r\n") << ack << QByteArrayList{} << QByteArrayList{"POLL5802#A"};
    QTest::newRow("poll, stray character")
        << QByteArray("POLL58-1#A") << p10 + ack << QByteArrayList{item("POLL5801#A")}
        << QByteArrayList{};
    QTest::newRow("POLL and a small letter")
        << QByteArray("POLLab#A") << ack << QByteArrayList{} << QByteArrayList{"POLLab#A"};
    QTest::newRow("armed poll, armed delay 0")
        << QByteArray("POLL5804#\x08") << QByteArray("[P]\0\0", 5) + ack
        << QByteArrayList{item("POLL5804#\x08")} << QByteArrayList{};
    QTest::newRow("poll of a clock account")
        << QByteArray("POLL5805#A") << QByteArray("[T]\x17\x3B\x3A\x1F\x0C\x63[P]\x01\x2C") + ack
        << QByteArrayList{item("POLL5805#A")} << QByteArrayList{};
    QTest::newRow("Contact ID, check digit 0")
        << QByteArray("25801181130010010") << ack << QByteArrayList{item("25801181130010010")}
        << QByteArrayList{};
    QTest::newRow("Contact ID, check digit 1")
        << QByteArray("25801181130010011") << QByteArray() << QByteArrayList{}
        << QByteArrayList{"25801181130010011"};
    QTest::newRow("Contact ID and other characters")
        << QByteArray("25801181130010010 #99") << ack << QByteArrayList{item("25801181130010010")}
        << QByteArrayList{};
    QTest::newRow("plus prefix") << QByteArray("+++17531555555") << ack
                                 << QByteArrayList{item("17531555555")} << QByteArrayList{};
    QTest::newRow("self-test") << QByteArray("IP TEST") << ack << QByteArrayList{}
                               << QByteArrayList{};
    QTest::newRow("Contact ID: one report of two in a chunk")
        << QByteArray("25801181130010010\r\n25801181130010010\r\n") << ack
        << QByteArrayList{item("25801181130010010")} << QByteArrayList{};
    QTest::newRow("two lines in one chunk: only the first CR and 9 after it go")
        << QByteArray("9\x05 first\r\n9\x05 second\r\n") << ack
        << QByteArrayList{item("9\x05 firstd\r\n")} << QByteArrayList{};
    QTest::newRow("SIA, unknown account queued")
        << QByteArray("3\x44#2468|NBA001@") << ack << QByteArrayList{item("3\x44#2468|NBA001@")}
        << QByteArrayList{};
    QTest::newRow("forwarded line") << QByteArray("9\x05 5801 line") << ack
                                    << QByteArrayList{item("9\x05 5801 line")} << QByteArrayList{};
    QTest::newRow("anything else")
        << QByteArray("HELLO") << QByteArray() << QByteArrayList{} << QByteArrayList{"HELLO"};
}

void TestPanelProtocol::oneText() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reply);
    Clock::setNowFunction([] { return QDateTime(QDate(2099, 12, 31), QTime(23, 59, 58)); });
    IpServerFixture f;
    addAccounts(f);
    QVERIFY(f.start());
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());

    panel.send(text);
    QCOMPARE(panel.reply(reply.size()), reply);
    QVERIFY(f.waitForLogLines(LogBook::IpLog, 1)); // read and logged: the next text is separate
    QVERIFY(f.queueMarker(panel));                 // no second reply came before the marker's
    const QByteArray ackLog = f.env.readFile(LogBook::AckLog);
    QCOMPARE(ackLog.count(" IP -- "), reply.isEmpty() ? 1 : 2);
    QVERIFY(reply.isEmpty() || ackLog.contains(" IP -- " + reply + "\r\n"));
    QTEST(f.pendingBeforeMarker(), "queued");
    QTEST(f.engine.receivedData().items(), "shown");
}

void TestPanelProtocol::textsOnOneConnectionKeepTheirOrder() {
    const QDateTime moment(QDate(2024, 3, 5), QTime(7, 8, 9));
    Clock::setNowFunction([moment] { return moment; });
    const QByteArray stamp = dateTimeText(moment).toLocal8Bit();
    IpServerFixture f;
    addAccounts(f);
    QSignalSpy counts(&f.server.output(), &ReceiverOutput::threadCountChanged);
    QVERIFY(f.start());
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());

    const QList<std::pair<QByteArray, QByteArray>> exchanges{
        {"POLL5801#A\r\n", QByteArray("[P]\0\x0A", 5) + ack},
        {"POLLab", ack},
        {"17531555555", ack},
        {"IP TEST", ack},
        {"HELLO", QByteArray()}};
    for (qsizetype i = 0; i < exchanges.size(); ++i) {
        panel.send(exchanges[i].first);
        QCOMPARE(panel.reply(exchanges[i].second.size()), exchanges[i].second);
        QVERIFY(f.waitForLogLines(LogBook::IpLog, i + 1));
    }
    QVERIFY(f.queueMarker(panel));
    QCOMPARE(f.server.threadCount(), u"1"_s);
    panel.close();
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 15000);

    QCOMPARE(f.pendingBeforeMarker(),
             QByteArrayList({"[127.0.0.1]POLL5801#A", "[127.0.0.1]17531555555"}));
    QCOMPARE(f.engine.receivedData().items(), QByteArrayList({"POLLab", "HELLO"}));
    QCOMPARE(f.watchdogFeeds, 5); // the start, the poll, Fast Format, the self-test, the marker
    const QByteArray line = stamp + " -- ";
    QCOMPARE(f.env.readFile(LogBook::IpLog), line + "POLL5801#A\r\n\r\n" + line + "POLLab\r\n" +
                                                 stamp + "Clear Data: POLLab\r\n" + line +
                                                 "17531555555\r\n" + line + "IP TEST\r\n" + line +
                                                 "HELLO\r\n" + line + "9MARK\r\n" + line + "\r\n");
    QCOMPARE(f.env.readFile(LogBook::ConnectionLog),
             stamp + " - 127.0.0.1 Connected\r\n" + stamp + " - 127.0.0.1 Disconnected\r\n");
    QCOMPARE(counts.size(), 2);
    QCOMPARE(counts.at(1).at(0).toString(), u"0"_s);
}

void TestPanelProtocol::boundAccountFromAnotherAddress() {
    IpServerFixture f;
    f.addAccount(5803, 10, 0, AccountRecord::MatchNuaIp, "10.0.0.9");
    f.addAccount(5806, 10, 0, AccountRecord::MatchNuaIp, "127.0.0.1");
    QVERIFY(f.start());
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());

    panel.send("POLL5803#A");
    QCOMPARE(panel.reply(8), QByteArray("[P]\0\x0A", 5) + ack);
    panel.send("25803181130010018");
    QCOMPARE(panel.reply(3), ack);
    panel.send("POLL5806#A");
    QCOMPARE(panel.reply(8), QByteArray("[P]\0\x0A", 5) + ack);
    QVERIFY(f.queueMarker(panel));

    QCOMPARE(f.pendingBeforeMarker(), QByteArrayList{"[127.0.0.1]POLL5806#A"});
    QCOMPARE(f.engine.receivedData().items(), QByteArrayList({"POLL5803#A", "25803181130010018"}));
    // Answered, but anyone can send a poll: it keeps only the panel at its address alive.
    QCOMPARE(f.account(5803).pollTimer, quint16(0));
    QCOMPARE(f.account(5803).lastNuaIp, QByteArray());
    QCOMPARE(f.watchdogFeeds, 3); // the start, the matching poll, the marker
}

void TestPanelProtocol::failureAndRestoreLines() {
    const QDateTime moment(QDate(2024, 3, 5), QTime(7, 8, 9));
    Clock::setNowFunction([moment] { return moment; });
    const QByteArray stamp = dateTimeText(moment).toLocal8Bit();
    IpServerFixture f;
    f.addAccount(246813, 1);
    f.addAccount(*NumericalAccNum("AB"), 1, 0, AccountRecord::ReportFaultAsSia);
    QVERIFY(f.start());
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());
    const auto pollBoth = [&] {
        for (const QByteArray text : {"POLL246813#A", "POLLAB#A"}) {
            panel.send(text);
            QCOMPARE(panel.reply(8), QByteArray("[P]\0\x01", 5) + ack);
        }
    };

    pollBoth();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(f.account(246813).pollTimer, quint16(4));
    f.polls.minuteTick();
    f.polls.minuteTick();
    f.polls.minuteTick();
    QVERIFY(f.txQueue.isEmpty());
    for (int i = 0; i < 10; ++i)
        f.polls.minuteTick();
    // The whole account: its first four characters are another panel's.
    const QByteArrayList failures{"5041 18246813E35001000", "S041[#00AB|NYC000]"};
    QCOMPARE(f.txQueue.lines(), failures);

    pollBoth();
    pollBoth(); // no second restore
    if (QTest::currentTestFailed())
        return;
    QVERIFY(f.queueMarker(panel));
    const QByteArrayList all =
        failures + QByteArrayList{"5041 18246813R35001000", "S041[#00AB|NYK000]"};
    QCOMPARE(f.txQueue.lines(), all);
    QByteArray log;
    for (const QByteArray &line : all)
        log += stamp + " -- " + line + "\r\n";
    QCOMPARE(f.env.readFile(LogBook::TxLog), log);
}

void TestPanelProtocol::accountThatDoesNotConvertIsShownNotAnswered() {
    IpServerFixture f;
    QVERIFY(f.start());
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());
    panel.send("POLL99999999999#A");
    QVERIFY(f.waitForLogLines(LogBook::IpLog, 1));
    panel.send("3\x4B#99999999999|NBA@");
    QVERIFY(f.waitForLogLines(LogBook::IpLog, 2));
    QVERIFY(f.queueMarker(panel)); // and nothing came back before the marker's reply
    QCOMPARE(f.pendingBeforeMarker(), QByteArrayList{});
    QCOMPARE(f.errorAccounts, QStringList({u"99999999999"_s, u"99999999999"_s}));
    QCOMPARE(f.engine.receivedData().items(),
             QByteArrayList({"POLL99999999999#A", "3\x4B#99999999999|NBA@"}));
}

QTEST_GUILESS_MAIN(TestPanelProtocol)
#include "test_panelprotocol.moc"
