#include "protocol/ipinput.h"
#include "protocol/messageaccount.h"

#include <QTest>

using namespace ipinput;

// The recognition of one read from a panel, before any look-up: what is cut, what account text is
// taken, and that no rule reads past the received bytes.
class TestIpInput : public QObject {
    Q_OBJECT
private slots:
    void readText_data();
    void readText();
    void poll_data();
    void poll();
    void report_data();
    void report();
};

void TestIpInput::readText_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("logged");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("CR LF cut") << QByteArray("POLL5801#A\r\n") << QByteArray("POLL5801#A\r\n")
                               << QByteArray("POLL5801#A");
    QTest::newRow("two reports: only the first CR and 9 after it")
        << QByteArray("1234\r\n567890123\r\n") << QByteArray("1234\r\n567890123\r\n")
        << QByteArray("12343\r\n");
    QTest::newRow("plus prefix removed before logging")
        << QByteArray("+++IP TEST") << QByteArray("IP TEST") << QByteArray("IP TEST");
    QTest::newRow("only a leading plus prefix")
        << QByteArray("++IP+++") << QByteArray("++IP+++") << QByteArray("++IP+++");
    QTest::newRow("text ends at a zero byte")
        << QByteArray("9AB\0CD", 6) << QByteArray("9AB") << QByteArray("9AB");
    QTest::newRow("two characters keep their CR")
        << QByteArray("9\r") << QByteArray("9\r") << QByteArray("9\r");
    QTest::newRow("plus prefix alone") << QByteArray("+++") << QByteArray() << QByteArray();
}

void TestIpInput::readText() {
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, logged);
    QFETCH(QByteArray, message);
    const QByteArray text = messageText(withoutPlusPrefix(received));
    QCOMPARE(text, logged);
    QCOMPARE(cutAtFirstCr(text), message);
}

void TestIpInput::poll_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("edited");
    QTest::addColumn<QByteArray>("account");
    QTest::addColumn<int>("status");

    const int none = int(PollText::Kind::None);
    const int supervised = int(PollText::Kind::Supervised);
    const int clear = int(PollText::Kind::Clear);
    QTest::newRow("plain poll") << QByteArray("POLL5801#A") << QByteArray("POLL5801#A\r\n")
                                << supervised << QByteArray("POLL5801#A") << QByteArray("5801")
                                << int('A');
    QTest::newRow("stray character becomes 0")
        << QByteArray("POLL58-1#A") << QByteArray("POLL58-1#A") << supervised
        << QByteArray("POLL5801#A") << QByteArray("5801") << int('A');
    QTest::newRow("small letter in the account becomes 0")
        << QByteArray("xPOLL5a#\x08") << QByteArray("xPOLL5a#\x08") << supervised
        << QByteArray("xPOLL50#\x08") << QByteArray("50") << 8;
    QTest::newRow("small letter after POLL")
        << QByteArray("POLLab#1") << QByteArray("POLLab#1") << clear << QByteArray("POLLab#1")
        << QByteArray() << 0;
    QTest::newRow("POLL at the end") << QByteArray("POLL") << QByteArray("POLL") << clear
                                     << QByteArray("POLL") << QByteArray() << 0;
    QTest::newRow("no hash: empty account")
        << QByteArray("POLL5801") << QByteArray("POLL5801") << supervised << QByteArray("POLL5801")
        << QByteArray() << int('P');
    QTest::newRow("hash ending the data has no status")
        << QByteArray("POLL5801#") << QByteArray("POLL5801#") << supervised
        << QByteArray("POLL5801#") << QByteArray("5801") << 0;
    QTest::newRow("zero byte after the hash")
        << QByteArray("POLL7#") << QByteArray("POLL7#\0", 7) << supervised << QByteArray("POLL7#")
        << QByteArray("7") << 0;
    QTest::newRow("no POLL") << QByteArray("PoLL5801#A") << QByteArray("PoLL5801#A") << none
                             << QByteArray("PoLL5801#A") << QByteArray() << 0;
}

void TestIpInput::poll() {
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, data);
    const PollText result = recognisePoll(message, data);
    QTEST(int(result.kind), "kind");
    QTEST(result.message, "edited");
    QTEST(messageAccount(result.message).text, "account");
    QTEST(int(quint8(result.status)), "status");
}

void TestIpInput::report_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<QByteArray>("queued");
    QTest::addColumn<QByteArray>("account"); // as the queued text names it

    // Contact ID: 2, 5801, 18, 1, 130, 01, 001 and the check digit.
    QTest::newRow("Contact ID, check digit 0 (sum 90)")
        << QByteArray("25801181130010010") << true << QByteArray("25801181130010010")
        << QByteArray("5801");
    QTest::newRow("Contact ID, check digit 1 (sum 81)")
        << QByteArray("25801181130010011") << false << QByteArray() << QByteArray();
    QTest::newRow("Contact ID followed by other characters")
        << QByteArray("25801181130010010 tail\r\n") << true << QByteArray("25801181130010010")
        << QByteArray("5801");
    QTest::newRow("Contact ID with hex digits")
        << QByteArray("2580118113001001A") << true << QByteArray("2580118113001001A")
        << QByteArray("5801");
    QTest::newRow("Contact ID too short for an account")
        << QByteArray("2555") << true << QByteArray("2555") << QByteArray();
    QTest::newRow("Fast Format of 11 characters")
        << QByteArray("17531555555") << true << QByteArray("17531555555") << QByteArray("7");
    QTest::newRow("Fast Format of 10 characters")
        << QByteArray("1753155555") << false << QByteArray() << QByteArray();
    QTest::newRow("SIA: length in the low six bits")
        << QByteArray("3\x44#2468|NBA001@") << true << QByteArray("3\x44#2468|NBA001@")
        << QByteArray("2468");
    QTest::newRow("SIA: length beyond the data")
        << QByteArray("3\x3F#24") << true << QByteArray("3\x3F#24") << QByteArray("24");
    QTest::newRow("SIA: nothing after the 3")
        << QByteArray("3") << true << QByteArray("3") << QByteArray();
    QTest::newRow("forwarded line")
        << QByteArray("9\xFF#12345") << true << QByteArray("9\xFF#12345") << QByteArray();
    QTest::newRow("other first byte")
        << QByteArray("4POLL") << false << QByteArray() << QByteArray();
}

void TestIpInput::report() {
    QFETCH(QByteArray, received);
    QFETCH(bool, recognised);
    const std::optional<ReportText> result =
        recogniseReport(cutAtFirstCr(messageText(received)), received);
    QCOMPARE(result.has_value(), recognised);
    if (!result)
        return;
    QTEST(result->message, "queued");
    QTEST(messageAccount(result->message).text, "account");
}

QTEST_APPLESS_MAIN(TestIpInput)
#include "test_ipinput.moc"
