#include "protocol/zorerinput.h"

#include <QTest>

class TestZorerInput : public QObject {
    Q_OBJECT
private slots:
    void scan_data();
    void scan();
    void accept_data();
    void accept();
};

void TestZorerInput::scan_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("wasConnected");
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("byCom");
    QTest::addColumn<QByteArray>("nua");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QByteArray>("forwarded");

    QTest::newRow("NUA before COM")
        << QByteArray("\r\n12345678901234 COM 2400\r") << false << QByteArray() << true << true
        << QByteArray("12345678901234") << true << QByteArray();
    QTest::newRow("COM at position 8")
        << QByteArray("123456 COM 2400\r\n") << false << QByteArray() << true << true
        << QByteArray("123456 COM 240") << true << QByteArray();
    QTest::newRow("NUA after RING")
        << QByteArray("RING 1234567\rCONNECT 2400\r") << false << QByteArray() << true << false
        << QByteArray("1234567") << true << QByteArray();
    QTest::newRow("CONNECT without RING")
        << QByteArray("CONNECT 2400\r\n") << false << QByteArray() << true << false
        << QByteArray("CONNECT 2400\r") << true << QByteArray();
    QTest::newRow("RING without CR wraps the count")
        << QByteArray("RING 12345CONNECT") << false << QByteArray() << true << false
        << QByteArray("12345CONNECT") << true << QByteArray();
    QTest::newRow("CONNECT and message, message lost")
        << QByteArray("RING 1234567\rCONNECT 2400\r22468181130010037\r") << false << QByteArray()
        << true << false << QByteArray("1234567") << true << QByteArray();
    QTest::newRow("RX3 short gets 1")
        << QByteArray("RX3 0000007531555555551\r") << false << QByteArray("17531555555551\r")
        << true << false << QByteArray("RX3") << false << QByteArray();
    QTest::newRow("RX3 long gets 2")
        << QByteArray("RX3 0000005801181130010010\r") << false << QByteArray("25801181130010010\r")
        << true << false << QByteArray("RX3") << false << QByteArray();
    QTest::newRow("CLR") << QByteArray("CLR 00\r") << true << QByteArray() << false << false
                         << QByteArray("old") << true << QByteArray();
    QTest::newRow("NO CARRIER") << QByteArray("NO CARRIER\r") << true << QByteArray() << false
                                << false << QByteArray("old") << true << QByteArray();
    QTest::newRow("forwarded on an idle slot")
        << QByteArray("91011           @    ") << false << QByteArray() << false << false
        << QByteArray("old") << false << QByteArray("91011           @    ");
    QTest::newRow("9 without @") << QByteArray("95041 18") << true << QByteArray("95041 18") << true
                                 << true << QByteArray("old") << false << QByteArray();
}

void TestZorerInput::scan() {
    QFETCH(QByteArray, text);
    QFETCH(bool, wasConnected);
    QFETCH(QByteArray, left);
    QFETCH(bool, connected);
    QFETCH(bool, byCom);
    QFETCH(QByteArray, nua);
    QFETCH(bool, shown);
    QFETCH(QByteArray, forwarded);

    // A connected slot starts on a "COM" call; an idle one has nothing set.
    CallState state{wasConnected, wasConnected, QByteArrayLiteral("old")};
    const ScanResult result = callControlScan(text, state);
    QCOMPARE(result.text, left);
    QCOMPARE(state.lineConnected, connected);
    QCOMPARE(state.callByCom, byCom);
    QCOMPARE(state.lineNua, nua);
    QCOMPARE(result.shown, shown ? QByteArrayList{text} : QByteArrayList{});
    QCOMPARE(result.forwarded.value_or(QByteArray()), forwarded);
}

void TestZorerInput::accept_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("byCom");
    QTest::addColumn<AccountVerdict>("verdict");
    QTest::addColumn<QByteArray>("askedAbout"); // "-": the look-up is not asked
    QTest::addColumn<QByteArray>("accepted");
    QTest::addColumn<QByteArrayList>("shown");
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<bool>("connected");

    const QByteArray cid("22468181130010037");
    QTest::newRow("Contact ID accepted")
        << cid + "\r" << false << AccountVerdict::Acknowledge << QByteArray("2468") << cid
        << QByteArrayList{cid + "\r"} << QByteArray() << true;
    QTest::newRow("Match NUA / IP refusal")
        << cid + "\r" << false << AccountVerdict::Refuse << QByteArray("2468") << QByteArray()
        << QByteArrayList{cid + "\r", cid} << QByteArray() << true;
    QTest::newRow("account not convertible")
        << QByteArray("1AB-D555555551\r") << false << AccountVerdict::NotConvertible
        << QByteArray("AB-D") << QByteArray()
        << QByteArrayList{"1AB-D555555551\r", "1AB-D555555551"} << QByteArray() << true;
    QTest::newRow("COM call, Contact ID inferred")
        << QByteArray("5801181130010010\r") << true << AccountVerdict::Acknowledge
        << QByteArray("5801") << QByteArray("25801181130010010")
        << QByteArrayList{"25801181130010010\r"} << QByteArray() << true;
    QTest::newRow("COM call, Fast Format inferred")
        << QByteArray("7531555555551\r") << true << AccountVerdict::Acknowledge
        << QByteArray("7531") << QByteArray("17531555555551") << QByteArrayList{"17531555555551\r"}
        << QByteArray() << true;
    QTest::newRow("Fast Format of 13 characters")
        << QByteArray("1753155555551\r") << false << AccountVerdict::Acknowledge << QByteArray("-")
        << QByteArray() << QByteArrayList{"1753155555551\r", "1753155555551"} << QByteArray()
        << true;
    QTest::newRow("SIA with a real header byte")
        << QByteArray("3D#2468xHNri1/BA01y@\r") << false << AccountVerdict::Acknowledge
        << QByteArray("2468") << QByteArray("3D#2468xHNri1/BA01y@")
        << QByteArrayList{"3D#2468xHNri1/BA01y@\r"} << QByteArray() << true;
    QTest::newRow("star clears the call")
        << QByteArray("*1234\r") << false << AccountVerdict::Acknowledge << QByteArray("-")
        << QByteArray() << QByteArrayList{} << QByteArray("*1234\r") << false;
    QTest::newRow("short text is left")
        << QByteArray("12345\r") << false << AccountVerdict::Acknowledge << QByteArray("-")
        << QByteArray() << QByteArrayList{} << QByteArray("12345\r") << true;
    QTest::newRow("no format digit")
        << QByteArray("5801181130010010\r") << false << AccountVerdict::Acknowledge
        << QByteArray("-") << QByteArray() << QByteArrayList{} << QByteArray("5801181130010010\r")
        << true;
}

void TestZorerInput::accept() {
    QFETCH(QByteArray, text);
    QFETCH(bool, byCom);
    QFETCH(AccountVerdict, verdict);
    QFETCH(QByteArray, askedAbout);
    QFETCH(QByteArray, accepted);
    QFETCH(QByteArrayList, shown);
    QFETCH(QByteArray, left);
    QFETCH(bool, connected);

    CallState state{true, byCom, QByteArrayLiteral("1234567")};
    QByteArray asked("-");
    const AcceptanceResult result = acceptMessage(text, state, [&](const MessageAccount &account) {
        asked = account.field;
        return verdict;
    });
    QCOMPARE(asked, askedAbout);
    QCOMPARE(result.accepted.value_or(QByteArray()), accepted);
    QCOMPARE(result.shown, shown);
    QCOMPARE(result.text, left);
    QCOMPARE(state.lineConnected, connected);
    QCOMPARE(state.lineNua, QByteArray("1234567"));
}

QTEST_GUILESS_MAIN(TestZorerInput)
#include "test_zorerinput.moc"
