#include "accounts/accountnumbers.h"
#include "decoder/messagedecoder.h"
#include "protocol/dc09receipt.h"
#include "protocol/dc09reply.h"
#include "protocol/ipinput.h"
#include "protocol/messageaccount.h"
#include "strings/eventtexts.h"

#include <QTest>
#include <QTimeZone>

namespace {

const QByteArray source = QByteArrayLiteral("127.0.0.1");
const QDateTime now(QDate(2026, 8, 27), QTime(20, 38, 10), QTimeZone::utc());

DecoderSettings settings() {
    return {{QByteArrayLiteral("04"), QByteArrayLiteral("1")}, OutputFormat::HighSpeed};
}

// Rows as "cell|cell|...", one per row, then the automation lines.
QByteArrayList decoded(const QByteArray &message) {
    const EventTexts texts;
    const DecodeResult result = decodeMessage(source, message, settings(), texts);
    QByteArrayList out;
    for (const DecodedRow &row : result.rows)
        out.append(row.cells.join('|'));
    const QByteArray account =
        result.decodedAccount ? AccNumString(*result.decodedAccount) : QByteArray();
    return out + result.lines + QByteArrayList{"account " + account};
}

QByteArray queued(const QByteArray &data, const QByteArray &id, const QByteArray &account) {
    const QByteArray frame = dc09::framed('"' + id + "\"0001L0#" + account + '[' + data + ']');
    const dc09::Receipt receipt = dc09::receive(frame, {}, {}, now);
    if (receipt.kind != dc09::Receipt::Kind::Ack)
        return "refused: " + receipt.rejection;
    return receipt.messages.isEmpty() ? "no message" : receipt.messages.join('\n');
}

} // namespace

// A DC-09 report is queued as the text a radio panel sends for the same event, so the decoder
// gives the same rows, automation lines and account, and the IP rules find the same account.
class TestDc09Conversion : public QObject {
    Q_OBJECT
private slots:
    void sameAsRadio_data() {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("account");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("radio");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("SIA event with area")
            << QByteArray("SIA-DCS") << QByteArray("1234") << QByteArray("#1234|Nri1/BA01")
            << QByteArray("3D#1234xHNri1/BA01y@") << QByteArray("S041[#1234|Nri1/BA01]");
        QTest::newRow("SIA event and text")
            << QByteArray("SIA-DCS") << QByteArray("1234") << QByteArray("#1234|NRR|Atest")
            << QByteArray("3D#1234xBNRRyDAtestz@") << QByteArray("S041[#1234|NRR|Atest]");
        QTest::newRow("SIA several events, time modifier")
            << QByteArray("SIA-DCS") << QByteArray("1234")
            << QByteArray("#1234|Nti10:15/ri1/BA01/BA02")
            << QByteArray("3D#1234xUNti10:15/ri1/BA01/BA02y@")
            << QByteArray("S041[#1234|Nti10:15/ri1/BA01/BA02]");
        QTest::newRow("SIA account of 7 characters")
            << QByteArray("SIA-DCS") << QByteArray("foc7688") << QByteArray("#foc7688|NBA01")
            << QByteArray("3G#FOC7688xDNBA01y@") << QByteArray("S041[#FOC7688|NBA01]");
        // SIA carries the account as it is: no digit stands for another there.
        QTest::newRow("SIA account with the digit A")
            << QByteArray("SIA-DCS") << QByteArray("12AB") << QByteArray("#12AB|NFA451")
            << QByteArray("3D#12ABxENFA451y@") << QByteArray("S041[#12AB|NFA451]");
        QTest::newRow("SIA without the account in the data")
            << QByteArray("SIA-DCS") << QByteArray("1234") << QByteArray("NBA01")
            << QByteArray("3D#1234xDNBA01y@") << QByteArray("S041[#1234|NBA01]");
        QTest::newRow("Contact ID")
            << QByteArray("ADM-CID") << QByteArray("1234") << QByteArray("#1234|1130 01 003")
            << QByteArray("21234181130010037") << QByteArray("5041 181234E13001003");
        // Check digits of worth 10 ("0"), 11 ("B") and 15 ("F").
        QTest::newRow("Contact ID, check digit 0")
            << QByteArray("ADM-CID") << QByteArray("1234") << QByteArray("#1234|1130 01 019")
            << QByteArray("21234181130010190") << QByteArray("5041 181234E13001019");
        QTest::newRow("Contact ID, check digit B")
            << QByteArray("ADM-CID") << QByteArray("1234") << QByteArray("#1234|1130 01 018")
            << QByteArray("2123418113001018B") << QByteArray("5041 181234E13001018");
        QTest::newRow("Contact ID, check digit F")
            << QByteArray("ADM-CID") << QByteArray("1234") << QByteArray("#1234|1130 01 000")
            << QByteArray("2123418113001000F") << QByteArray("5041 181234E13001000");
        QTest::newRow("Contact ID restore, 6-digit account")
            << QByteArray("ADM-CID") << QByteArray("123456") << QByteArray("#123456|3401 02 017")
            << QByteArray("212345618340102017C") << QByteArray("5041 18123456R40102017");
        QTest::newRow("Contact ID, 3-digit account filled")
            << QByteArray("ADM-CID") << QByteArray("123") << QByteArray("#123|1130 01 003")
            << QByteArray("20123181130010031") << QByteArray("5041 180123E13001003");
        QTest::newRow("Contact ID, leading zeros dropped")
            << QByteArray("ADM-CID") << QByteArray("0000123456")
            << QByteArray("#0000123456|6602 00 000") << QByteArray("2123456186602000001")
            << QByteArray("5041 18123456R60200000");
        QTest::newRow("Contact ID, hex account in small letters")
            << QByteArray("ADM-CID") << QByteArray("12bc") << QByteArray("#12bc|1130 01 003")
            << QByteArray("212BC181130010036") << QByteArray("5041 1812BCE13001003");
    }

    void sameAsRadio() {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, account);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, radio);
        QFETCH(QByteArray, line);
        const QByteArray message = queued(data, id, account);
        // A Contact ID report is queued exactly as a panel with a right check digit sends it.
        if (id == "ADM-CID")
            QCOMPARE(message, radio);
        QCOMPARE(decoded(message), decoded(radio));
        QVERIFY2(decoded(message).contains(line), decoded(message).join('\n').constData());
        // The IP rules take it as a report, under the same account.
        const std::optional<ipinput::ReportText> ours = ipinput::recogniseReport(message, message);
        QVERIFY(ours);
        QCOMPARE(ours->message, message);
        QCOMPARE(messageAccount(message).number, messageAccount(radio).number);
    }

    // An accented letter (Windows-1252) reaches the automation line as it was sent.
    void accentedTextReachesTheLine() {
        const QByteArray text = QByteArray("AK\xFC") + "che";
        const QByteArrayList lines = decoded(queued("#1234|NBA01|" + text, "SIA-DCS", "1234"));
        QVERIFY(lines.contains("S041[#1234|NBA01|" + text + ']'));
    }

    // A long or loose SIA report is taken: empty parts skipped, a text block cut to what a block
    // holds, and a report past what the decoder reads queued as one text per event. Each gives
    // the texts its well-formed counterpart gives.
    void longOrLooseSiaReportsAreTaken_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArrayList>("counterparts");
        const QByteArray t50(50, 't');
        QTest::newRow("text block over 63 characters")
            << "#1234|NBA01|A" + QByteArray(64, 't')
            << QByteArrayList{"#1234|NBA01|A" + QByteArray(63, 't')};
        QTest::newRow("empty parts")
            << QByteArray("#1234|NBA01||Ax|") << QByteArrayList{"#1234|NBA01|Ax"};
        QTest::newRow("two events past 100 characters")
            << "#1234|NBA01|A" + t50 + "|NBR01|A" + QByteArray(30, 'u')
            << QByteArrayList{"#1234|NBA01|A" + t50, "#1234|NBR01|A" + QByteArray(30, 'u')};
        QTest::newRow("one event with texts past 100 characters")
            << "#1234|NBA01|A" + t50 + "|A" + QByteArray(30, 'u')
            << QByteArrayList{"#1234|NBA01|A" + t50 + "|A" + QByteArray(28, 'u')};
    }

    void longOrLooseSiaReportsAreTaken() {
        QFETCH(QByteArray, data);
        QFETCH(QByteArrayList, counterparts);
        QByteArrayList expected;
        for (const QByteArray &counterpart : counterparts)
            expected.append(queued(counterpart, "SIA-DCS", "1234"));
        QCOMPARE(queued(data, "SIA-DCS", "1234"), expected.join('\n'));
        for (const QByteArray &text : expected)
            QVERIFY(text.startsWith('3') && text.size() <= 100);
    }

    // What the radio form cannot carry is refused (DUH) rather than queued under another
    // account.
    void refused_data() {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QByteArray>("account");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("rejection");
        const QByteArray noFit = "account does not fit the Contact ID form";
        QTest::newRow("CID account of 7 digits") << QByteArray("ADM-CID") << QByteArray("1234567")
                                                 << QByteArray("#1234567|1130 01 003") << noFit;
        QTest::newRow("CID account not hex") << QByteArray("ADM-CID") << QByteArray("foc768")
                                             << QByteArray("#foc768|1130 01 003") << noFit;
        // Contact ID sends "A" for 0, so these would arrive as 120B and 00BC.
        const QByteArray digitA = "account holds the digit A, which Contact ID sends for 0";
        QTest::newRow("CID account with the digit A") << QByteArray("ADM-CID") << QByteArray("12AB")
                                                      << QByteArray("#12AB|1110 00 451") << digitA;
        QTest::newRow("CID 3-digit account with a small a")
            << QByteArray("ADM-CID") << QByteArray("abc") << QByteArray("1130 01 003") << digitA;
        QTest::newRow("CID qualifier 2")
            << QByteArray("ADM-CID") << QByteArray("1234") << QByteArray("#1234|2130 01 003")
            << QByteArray("ADM-CID report not QEEE GG CCC");
        QTest::newRow("CID text after the zone")
            << QByteArray("ADM-CID") << QByteArray("1234") << QByteArray("#1234|1130 01 003|Ax")
            << QByteArray("ADM-CID report not QEEE GG CCC");
    }

    void refused() {
        QFETCH(QByteArray, id);
        QFETCH(QByteArray, account);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, rejection);
        QCOMPARE(queued(data, id, account), "refused: " + rejection);
    }
};

QTEST_GUILESS_MAIN(TestDc09Conversion)
#include "test_dc09conversion.moc"
