#include "protocol/automationlines.h"

#include <QTest>

namespace {
const LinePrefix prefix{QByteArrayLiteral("04"), QByteArrayLiteral("1")};

QByteArray bytes(const char *data, qsizetype size) {
    return QByteArray(data, size);
}
} // namespace

class TestAutomationLines : public QObject {
    Q_OBJECT
private slots:
    void contactId_data();
    void contactId();
    void fastFormat_data();
    void fastFormat();
    void sia_data();
    void sia();
    void pollAndPassThrough();
};

void TestAutomationLines::contactId_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("4-digit new event")
        << QByteArray("22468181130010037") << QByteArray("5041 182468E13001003");
    QTest::newRow("restore 3") << QByteArray("22468183130010037")
                               << QByteArray("5041 182468R13001003");
    QTest::newRow("6-digit, qualifier 6")
        << QByteArray("2246813186130010037") << QByteArray("5041 18246813R13001003");
    QTest::newRow("A sent as 0") << QByteArray("224A8181130010037")
                                 << QByteArray("5041 182408E13001003");
    QTest::newRow("3-digit account") << QByteArray("2246181130010037") << QByteArray("5041 18");
    QTest::newRow("7-digit account") << QByteArray("22468135181130010037") << QByteArray("5041 18");
    QTest::newRow("qualifier 2") << QByteArray("22468182130010037") << QByteArray("5041 18");
    QTest::newRow("letter in event code")
        << QByteArray("224681811A0010037") << QByteArray("5041 18");
    QTest::newRow("empty") << QByteArray() << QByteArray("5041 18");
}

void TestAutomationLines::contactId() {
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, line);
    QCOMPARE(contactIdLine(message, prefix), line);
    QCOMPARE(isValidContactId(message), line.size() > 7);
}

void TestAutomationLines::fastFormat_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("high speed, 8 channels")
        << QByteArray("17531123456781") << OutputFormat::HighSpeed
        << QByteArrayList{"80417531 1234 5678 1"};
    QTest::newRow("high speed, 16 channels")
        << QByteArray("1753112345678901234569") << OutputFormat::HighSpeed
        << QByteArrayList{"80417531 1234 5678 9012 3456 9"};

    // Zones 01 to 16 for the channels, 17 for the status, 80 / 90 for "8" / "9" from zone 10.
    QByteArrayList zones;
    for (const char *zone :
         {"A  01", "O  02", "R  03", "C  04", "T  05", "T  06", "A  07", "O  08", "R  09", "C  10",
          "T  80", "T  90", "A  13", "O  14", "R  15", "C  16", "A  17"})
        zones << QByteArray("1041      7531 ") + zone;
    QTest::newRow("basic, 16 channels")
        << QByteArray("1753112348912348912341") << OutputFormat::Basic << zones;
    QTest::newRow("basic, only unreportable channels")
        << QByteArray("17531567056700") << OutputFormat::Basic << QByteArrayList{};
    QTest::newRow("basic, reportable status only")
        << QByteArray("17531567056701") << OutputFormat::Basic
        << QByteArrayList{"1041      7531 A  09"};
    QTest::newRow("basic, 10-character account")
        << QByteArray("1012345678910000000000000000") << OutputFormat::Basic
        << QByteArrayList{"10410123456789 A  07"};
    // A 20-character message has a 2-character account: its first channels fall below zone 01.
    QTest::newRow("basic, zones below 01 stay two digits")
        << QByteArray("17512000000000000000") << OutputFormat::Basic
        << QByteArrayList{"1041        75 A  00", "1041        75 O  00"};
    QTest::newRow("no format") << QByteArray("17531123456781") << OutputFormat::None
                               << QByteArrayList{};
    QTest::newRow("too short for an account")
        << QByteArray("1123456781") << OutputFormat::HighSpeed << QByteArrayList{};
}

void TestAutomationLines::fastFormat() {
    QFETCH(QByteArray, message);
    QFETCH(OutputFormat, format);
    QFETCH(QByteArrayList, lines);
    QCOMPARE(fastFormatLines(message, prefix, format), lines);
}

void TestAutomationLines::sia_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("account and event")
        << QByteArray("3D#2468xHNri1/BA01y@") << QByteArray("S041[#2468|Nri1/BA01]");
    QTest::newRow("three blocks") << QByteArray("3D#2468xHNri1/BA01yBAxyz@")
                                  << QByteArray("S041[#2468|Nri1/BA01|Axy]");
    QTest::newRow("no end marker")
        << QByteArray("3D#2468xHNri1/BA01y") << QByteArray("S041[#2468|Nri1/BA01|]");
    QTest::newRow("data past the end") << QByteArray("3D#24") << QByteArray("S041[#24|]");
    QTest::newRow("zero-length header")
        << bytes("3D#2468x\xC0Nabc@", 13) << QByteArray("S041[#2468|]");
    QTest::newRow("raw length header") << bytes("3\x04#2468x@", 9) << QByteArray("S041[#2468|]");
    QTest::newRow("bare") << QByteArray("3") << QByteArray("S041[#]");
}

void TestAutomationLines::sia() {
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, line);
    QCOMPARE(siaLine(message, prefix), line);
}

void TestAutomationLines::pollAndPassThrough() {
    QCOMPARE(pollFailureLine("0012", prefix, false, "350", "YC"),
             QByteArray("5041 180012E35001000"));
    QCOMPARE(pollRestoreLine("0012", prefix, false, "350", "YK"),
             QByteArray("5041 180012R35001000"));
    QCOMPARE(pollFailureLine("0012", prefix, true, "350", "YC"), QByteArray("S041[#0012|NYC000]"));
    QCOMPARE(pollRestoreLine("0012", prefix, true, "350", "YK"), QByteArray("S041[#0012|NYK000]"));

    const QByteArray body = QByteArray("1011           @    ").repeated(3);
    QCOMPARE(forwardedLine('9' + body), body.left(50));
    QCOMPARE(forwardedLine("9"), QByteArray());
    QCOMPARE(heartbeatLine.size(), 20);
}

QTEST_GUILESS_MAIN(TestAutomationLines)
#include "test_automationlines.moc"
