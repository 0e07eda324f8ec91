#include "ipserver/ipserverfixture.h"

#include <QElapsedTimer>
#include <QUdpSocket>
#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

// What one connection, or one sender, may cost the receiver: its time (silence, a message that
// never ends), the count of open connections, and a flood of datagrams.
class TestConnectionBounds : public QObject {
    Q_OBJECT
private slots:
    void silenceAndUnfinishedMessagesEndByTheClock();
    void connectionsBeyondTheLimitAreClosedCountedAndLogged();
    void datagramFloodFromThreeThreadsCannotHoldUpTheStop();
};

void TestConnectionBounds::silenceAndUnfinishedMessagesEndByTheClock() {
    IpServerFixture f;
    std::atomic<qint64> now{0};
    f.server.setClock([&now] { return now.load(); });
    QVERIFY(f.start());
    Panel silent(f.port());
    Panel answered(f.port()); // an "IP TEST" every 5 s: answered every time
    Panel dc09(f.port());     // a DC-09 frame that never ends, a byte every 5 s
    Panel junk(f.port());     // a text nobody answers, every 5 s
    for (Panel *panel : {&silent, &answered, &dc09, &junk})
        QVERIFY(panel->waitConnected());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"4"_s, 15000);
    // The reply to the answered panel shows that this step's time is in force.
    const auto step = [&](qint64 to, const QByteArray &dc09Byte) {
        now = to;
        dc09.send(dc09Byte);
        junk.send("X");
        answered.send("IP TEST");
        return answered.reply(3) == ack;
    };
    QVERIFY(step(5000, "\nA"));
    QVERIFY(step(10000, "B"));
    // 10 s of silence: closed without a log line; the others had data 5 s ago.
    QVERIFY(silent.waitClosedByServer());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"3"_s, 15000);
    QVERIFY(step(15000, "C"));
    QVERIFY(step(20000, "D"));
    Panel lateSilent(f.port()); // taken on at 20 s, closed at 30 s
    QVERIFY(lateSilent.waitConnected());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"4"_s, 15000);
    QVERIFY(step(25000, "E"));
    QVERIFY(step(30000, "F"));
    QVERIFY(lateSilent.waitClosedByServer());
    // The same check at 30 s keeps the unfinished messages begun at 5 s: 25 s old.
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"3"_s, 15000);
    QVERIFY(step(35000, "G"));
    QVERIFY(step(40000, "H")); // for a byte of 5 s that was read only at 10 s
    QVERIFY(dc09.waitClosedByServer());
    QVERIFY(junk.waitClosedByServer());
    QVERIFY(answered.isConnected());
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"1"_s, 15000);
    QCOMPARE(f.logTexts(LogBook::ConversionLog).count("[message not completed in time] 127.0.0.1"),
             2);
    QVERIFY(!f.env.readFile(LogBook::ConnectionLog).contains("Disconnected"));
}

// No limit per address: every panel here comes from 127.0.0.1, as panels behind a carrier's NAT.
void TestConnectionBounds::connectionsBeyondTheLimitAreClosedCountedAndLogged() {
    IpServerFixture f;
    f.server.setConnectionLimit(3);
    QVERIFY(f.start());
    std::vector<std::unique_ptr<Panel>> panels;
    for (int i = 0; i < 3; ++i) {
        panels.push_back(std::make_unique<Panel>(f.port()));
        QVERIFY(panels.back()->waitConnected());
    }
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"3"_s, 15000);
    Panel beyond(f.port());
    QVERIFY(beyond.waitClosedByServer());
    QCOMPARE(f.server.refusedConnections(), quint64(1));
    QCOMPARE(f.server.threadCount(), u"3"_s);
    QVERIFY(f.logTexts(LogBook::ConversionLog)
                .contains("[connection refused: 3 connections open] 127.0.0.1"));
    QCOMPARE(f.env.readFile(LogBook::ConnectionLog).count(" Connected"), 3);
    for (const auto &panel : panels) {
        panel->send("IP TEST");
        QCOMPARE(panel->reply(3), ack);
    }
    // A place that comes free is taken again.
    panels.front()->close();
    QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"2"_s, 15000);
    Panel next(f.port());
    QVERIFY(next.waitConnected());
    next.send("IP TEST");
    QCOMPARE(next.reply(3), ack);
    QCOMPARE(f.server.refusedConnections(), quint64(1));
}

// Refused datagrams from three senders as fast as they can: the stop does not wait for the
// flood to end, and "Received Data" gets a bounded share of it with a count of the rest.
void TestConnectionBounds::datagramFloodFromThreeThreadsCannotHoldUpTheStop() {
    IpServerFixture f;
    f.logs.setSaveEnabled(false);
    QVERIFY(f.start());
    std::atomic<bool> flooding{true};
    std::vector<std::thread> senders;
    for (int s = 0; s < 3; ++s) {
        senders.emplace_back([&flooding, port = f.port()] {
            QUdpSocket socket;
            const QByteArray junk("\nnot a frame\r");
            // Bounded, so a test that fails cannot leave it running.
            for (int sent = 0; flooding && sent < 2'000'000; ++sent)
                socket.writeDatagram(junk, QHostAddress::LocalHost, port);
        });
    }
    QTRY_VERIFY_WITH_TIMEOUT(f.engine.receivedData().size() >= ReceiverHandOver::shownPerSecond,
                             15000);
    QTest::qWait(1500); // the flood goes on into a second second
    QElapsedTimer stopping;
    stopping.start();
    f.server.deactivate();
    const qint64 stopMs = stopping.elapsed();
    flooding = false;
    for (std::thread &sender : senders)
        sender.join();
    qInfo("stopped in %lld ms under the flood", qlonglong(stopMs));
    QVERIFY2(stopMs < 10000, "the stop waited for the flood");
    QVERIFY(!f.server.isActive());

    // A second's texts beyond the rate are counted, and the count is shown at the next second.
    const auto leftOutShown = [&f] {
        const QByteArrayList items = f.engine.receivedData().items();
        return std::any_of(items.begin(), items.end(), [](const QByteArray &item) {
            return item.startsWith('[') && item.endsWith(" not shown]");
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(leftOutShown(), 15000);
}

QTEST_GUILESS_MAIN(TestConnectionBounds)
#include "test_connectionbounds.moc"
