#include "ipserver/ipserverfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

// Connections as a whole: many panels at once, silence, the server's stop, the connection log.
class TestConnections : public QObject {
    Q_OBJECT
private slots:
    void fiftyPanelsAtOnceAllAnswered();
    void silentConnectionClosedWithoutLogLine();
    void realTenSecondsOfSilenceButNotWhileDataComes();
    void stopWithTwoHundredConnectionsWakesThemAll();
    void disconnectionThatCannotBeLoggedIsCounted();
};

namespace {

std::vector<std::unique_ptr<Panel>> connectPanels(quint16 port, int count) {
    std::vector<std::unique_ptr<Panel>> panels;
    for (int i = 0; i < count; ++i)
        panels.push_back(std::make_unique<Panel>(port));
    return panels;
}

} // namespace

void TestConnections::fiftyPanelsAtOnceAllAnswered() {
    IpServerFixture f;
    QVERIFY(f.start());
    auto panels = connectPanels(f.port(), 50);
    for (auto &panel : panels)
        QVERIFY(panel->waitConnected());
    for (std::size_t i = 0; i < panels.size(); ++i)
        panels[i]->send("9\x03 panel " + QByteArray::number(qulonglong(i)));
    for (auto &panel : panels)
        QCOMPARE(panel->reply(3), ack);
    QTRY_COMPARE_WITH_TIMEOUT(f.engine.pendingMessages().size(), 50, 15000);
    QByteArrayList expected;
    for (int i = 0; i < 50; ++i)
        expected << "[127.0.0.1]9\x03 panel " + QByteArray::number(i);
    QByteArrayList queued = f.pendingTexts();
    std::sort(queued.begin(), queued.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(queued, expected);
    QCOMPARE(f.server.threadCount(), u"50"_s);

    for (auto &panel : panels)
        panel->close();
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(f.server.openConnections(), 0, 15000);
}

void TestConnections::silentConnectionClosedWithoutLogLine() {
    IpServerFixture f;
    f.server.setIdleTimeout(300);
    QSignalSpy counts(&f.server.output(), &ReceiverOutput::threadCountChanged);
    QVERIFY(f.start());
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());
    QVERIFY(panel.waitClosedByServer());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 15000);
    QVERIFY(!f.env.fileExists(LogBook::IpLog));
    const QByteArray connectionLog = f.env.readFile(LogBook::ConnectionLog);
    QVERIFY(connectionLog.endsWith(" - 127.0.0.1 Connected\r\n"));
    QCOMPARE(connectionLog.count("\r\n"), 1);
    QTRY_COMPARE_WITH_TIMEOUT(counts.size(), 2, 15000);
    QCOMPARE(counts.at(1).at(0).toString(), u"0"_s);
}

// The one test with the panels' own 10 s: a panel that keeps sending stays connected past it.
void TestConnections::realTenSecondsOfSilenceButNotWhileDataComes() {
    IpServerFixture f;
    QVERIFY(f.start());
    Panel silent(f.port());
    Panel talking(f.port());
    QVERIFY(silent.waitConnected());
    QVERIFY(talking.waitConnected());
    for (int i = 0; i < 3; ++i) {
        talking.send("IP TEST");
        QCOMPARE(talking.reply(3), ack);
        if (i < 2)
            QTest::qWait(6000);
    }
    QVERIFY(silent.waitClosedByServer());
    QVERIFY(talking.isConnected());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"1"_s, 15000);
    QVERIFY(talking.waitClosedByServer(20000));
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 15000);
}

void TestConnections::stopWithTwoHundredConnectionsWakesThemAll() {
    IpServerFixture f;
    // Far longer than the test may take: only waking the waits can end it in time.
    f.server.setIdleTimeout(120000);
    QVERIFY(f.start());
    auto panels = connectPanels(f.port(), 200);
    for (auto &panel : panels)
        QVERIFY(panel->waitConnected());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"200"_s, 30000);
    // Half of them have been answered and wait again for their next text.
    for (std::size_t i = 0; i < panels.size(); i += 2)
        panels[i]->send("IP TEST");
    for (std::size_t i = 0; i < panels.size(); i += 2)
        QCOMPARE(panels[i]->reply(3), ack);

    QElapsedTimer stopping;
    stopping.start();
    f.server.deactivate();
    QVERIFY2(stopping.elapsed() < 30000, "the stop waited for the connections' time-out");
    QVERIFY(!f.server.isActive());
    QCOMPARE(f.server.threadCount(), u"0"_s);
    QCOMPARE(f.server.openConnections(), 0);
    for (auto &panel : panels)
        QVERIFY(panel->waitClosedByServer());
    // A stop is not the panels closing.
    QVERIFY(!f.env.readFile(LogBook::ConnectionLog).contains("Disconnected"));

    // The server starts again and answers as before.
    f.server.activate();
    QVERIFY(f.server.isActive());
    Panel again(f.port());
    QVERIFY(again.waitConnected());
    again.send("IP TEST");
    QCOMPARE(again.reply(3), ack);
}

void TestConnections::disconnectionThatCannotBeLoggedIsCounted() {
    IpServerFixture f;
    QSignalSpy failures(&f.server.output(), &ReceiverOutput::disconnectLogFailed);
    QVERIFY(f.start());
    QVERIFY(QDir(f.env.path()).mkdir(LogBook::ConnectionLog)); // cannot be opened as a file
    for (int expected = 1; expected <= 2; ++expected) {
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        panel.close();
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), expected, 15000);
        QCOMPARE(failures.last().at(0).toInt(), expected);
    }
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 15000);
}

QTEST_GUILESS_MAIN(TestConnections)
#include "test_connections.moc"
