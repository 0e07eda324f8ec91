#include "protocol/automationlines.h"
#include "protocol/framing.h"

#include <QTest>

class TestFraming : public QObject {
    Q_OBJECT
private slots:
    void frame_data();
    void frame();
};

void TestFraming::frame_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("addTerminator");
    QTest::addColumn<int>("terminator");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("DC4 by default")
        << QByteArray("5041 18") << false << true << 0x14 << QByteArray("5041 18\x14");
    QTest::newRow("terminator 0") << QByteArray("5041 18") << false << true << 0
                                  << QByteArray("5041 18\0", 8);
    QTest::newRow("CR LF") << QByteArray("5041 18") << false << false << 0x14
                           << QByteArray("5041 18\r\n");
    QTest::newRow("forward wins over terminator")
        << heartbeatLine << true << true << 0x14 << QByteArray("91011           @    ");
    QTest::newRow("IP TEST bare") << ipTestLine << false << true << 0x14 << QByteArray("IP TEST");
    QTest::newRow("IP TEST not forwarded")
        << ipTestLine << true << false << 0x14 << QByteArray("IP TEST");
}

void TestFraming::frame() {
    QFETCH(QByteArray, line);
    QFETCH(bool, forward);
    QFETCH(bool, addTerminator);
    QFETCH(int, terminator);
    QFETCH(QByteArray, sent);
    const FramingOptions options{forward, addTerminator, static_cast<quint8>(terminator)};
    QCOMPARE(frameLine(line, options), sent);
}

QTEST_GUILESS_MAIN(TestFraming)
#include "test_framing.moc"
