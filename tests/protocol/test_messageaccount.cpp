#include "accounts/accountnumbers.h"
#include "protocol/messageaccount.h"

#include <QTest>

// The one reading of a message's account, form by form: what the automation software reads from
// the line the message becomes, and the texts no form allows.
class TestMessageAccount : public QObject {
    Q_OBJECT
private slots:
    void readsTheAccountOfEachForm_data();
    void readsTheAccountOfEachForm();
    void frameAccountsAndLookalikes();
};

namespace {

constexpr int none = int(MessageAccount::Kind::None);
constexpr int named = int(MessageAccount::Kind::Named);
constexpr int refused = int(MessageAccount::Kind::Refused);

void add(const char *name, const QByteArray &message, int kind, const QByteArray &text = {}) {
    QTest::newRow(name) << message << kind << text;
}

void addReportRows() {
    add("contact id", "22468181130010037", named, "2468");
    add("contact id: A is read as 0", "2123A181130010013", named, "1230");
    add("contact id: hex B-F", "212BC181130010013", named, "12BC");
    add("contact id: ':' in the account", "2123:181130010013", refused);
    add("contact id the decoder cannot read", "2753181130010157", none);
    add("fast format of 14", "17531555555551", named, "7531");
    add("fast format of 22", "11230ABCDABCDABCDABCD1", named, "1230");
    add("fast format of 22, digits", "1123411112222333344441", named, "1234");
    add("fast format: A is not a digit", "1123A555555551", refused);
    add("fast format too short", "1753155555", none);
    add("sia", "3D#2468xHNri1BA001y@", named, "2468");
    add("sia: | in the account block", "3F#1230|X HNri1/BA01 @", refused);
    add("sia: first block not the account", "3HNri1/BA01 @", refused);
    add("sia: small letters", "3D#24a8x@", refused);
    add("sia without blocks", "3@", none);
    add("poll", "POLL5801#A", named, "5801");
    add("poll without #: account 0", "POLL5801", named, "");
    add("poll of nothing", "POLLab#1", none);
    add("report digit first: not a poll", "3D#2468xJAPOLLING RMz@", named, "2468");
}

void addForwardedRows() {
    add("forwarded contact id", "95041 181230E13001003", named, "1230");
    add("forwarded header alone", "95041 18", none);
    add("forwarded poll restore, 6 digits", "95041 18123456R35001000", named, "123456");
    add("forwarded sia", "9S041[#1230|Nri1/BA01]", named, "1230");
    add("forwarded sia poll report", "9S041[#00AB|NYK000]", named, "00AB");
    add("forwarded high speed", "980411230 ABCD ABCD ABCD ABCD 1", named, "1230");
    add("forwarded basic", "91041      7531 A  09", named, "7531");
    add("forwarded heartbeat", "91011           @    ", none);
    add("forwarded contact id cut short", "95041 18ABC", refused);
    add("forwarded sia, small letters", "9S041[#12ab|NBA]", refused);
    add("forwarded other text", "9MARK", none);
}

} // namespace

void TestMessageAccount::readsTheAccountOfEachForm_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("text");
    addReportRows();
    addForwardedRows();
}

void TestMessageAccount::readsTheAccountOfEachForm() {
    QFETCH(QByteArray, message);
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    const MessageAccount account = messageAccount(message);
    QCOMPARE(int(account.kind), kind);
    QCOMPARE(account.text, text);
    if (account.named())
        QCOMPARE(std::optional(account.number), NumericalAccNum(text));
    QCOMPARE(account.reason.isEmpty(), !account.refused());
}

void TestMessageAccount::frameAccountsAndLookalikes() {
    // A DC-09 header's account in either case and with leading zeros is one account by number.
    QCOMPARE(dc09FrameAccount("01230").number, 1230u);
    QCOMPARE(dc09FrameAccount("ab12").text, QByteArray("AB12"));
    QVERIFY(dc09FrameAccount("12-3").refused());
    // "123A" is not the account of the Contact ID reports its panel sends.
    QCOMPARE(contactIdReadingOf("123A"), std::optional<QByteArray>("1230"));
    QCOMPARE(contactIdReadingOf("12ab"), std::optional<QByteArray>("120B"));
    QCOMPARE(contactIdReadingOf("1234"), std::nullopt);
    QCOMPARE(contactIdReadingOf("A"), std::nullopt);
    QCOMPARE(contactIdReadingOf("12G4A"), std::nullopt);
}

QTEST_APPLESS_MAIN(TestMessageAccount)
#include "test_messageaccount.moc"
