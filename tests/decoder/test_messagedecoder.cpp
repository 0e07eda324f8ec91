#include "accounts/accountnumbers.h"
#include "accounts/accounttable.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "decoder/messagedecoder.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "strings/eventtexts.h"
#include "support/tempenvironment.h"

#include <QTest>

namespace {

const QByteArray source = QByteArrayLiteral("RX3");
const QDateTime decodingTime(QDate(2024, 5, 23), QTime(9, 5, 7));

// A row as the test writes it: the list's object name, then the cells, joined by "|".
QByteArray rowText(const DecodedRow &row) {
    static const QByteArrayList names{"Poll_List", "FastList", "ContactIDList", "SIAList"};
    return (QByteArrayList{names[static_cast<int>(row.list)]} + row.cells).join('|');
}

AccountRecord account(quint32 number) {
    AccountRecord record;
    record.accNum = number;
    return record;
}

DecoderSettings settings(OutputFormat format) {
    return {{QByteArrayLiteral("04"), QByteArrayLiteral("1")}, format};
}

} // namespace

class TestMessageDecoder : public QObject {
    Q_OBJECT
private slots:
    void init() {
        Clock::setNowFunction([] { return decodingTime; });
    }
    void cleanup() { Clock::setNowFunction({}); }

    void decodes_data();
    void decodes();
    void neverReadsPastTheEnd();
    void siaEventCodeAfterAnArea_data();
    void siaEventCodeAfterAnArea();
    void processDataAppliesEveryEffect();
    void accountUpdateNeedsAKnownConvertibleAccount();
};

namespace {

constexpr auto hs = OutputFormat::HighSpeed;
constexpr auto basic = OutputFormat::Basic;

void add(const char *name, const QByteArray &message, OutputFormat format,
         const QByteArrayList &rows, const QByteArrayList &lines, bool logged, bool reload,
         const QByteArray &account) {
    QTest::newRow(name) << message << int(format) << rows << lines << logged << reload << account;
}

void addPollAndFastRows() {
    const QByteArray fast14 = "FastList|RX3|7531|5|5|5|5|5|5|5|5| | | | | | | | |1";
    const QByteArray fast22 = "FastList|RX3|7531|1|2|0|0|0|0|0|0|0|0|0|0|0|0|8|9|3";
    add("poll flags I", "POLL7531#I", hs, {"Poll_List|RX3|7531|YES|NO|NO|YES|NO"}, {}, false, false,
        "7531");
    add("poll upper bits ignored", "xPOLL12#\xFF", hs, {"Poll_List|RX3|12|YES|YES|YES|YES|YES"}, {},
        false, false, "12");
    // An empty account text between "POLL" and "#" is account 0, as the receiver looks it up.
    add("poll # before POLL", "#\xE0POLL99", hs, {"Poll_List|RX3||NO|NO|NO|NO|NO"}, {}, false,
        false, "0");
    add("poll without #", "POLL7531", hs, {"Poll_List|RX3|"}, {}, false, false, "0");
    add("poll with # last", "POLL7531#", hs, {"Poll_List|RX3|7531"}, {}, false, false, "7531");

    add("fast 14 high speed", "17531555555551", hs, {fast14}, {"80417531 5555 5555 1"}, true, true,
        "7531");
    add("fast 14 basic", "17531555555551", basic, {fast14}, {"1041      7531 A  09"}, true, true,
        "7531");
    add("fast 22 high speed", "1753112000000000000893", hs, {fast22},
        {"80417531 1200 0000 0000 0089 3"}, true, true, "7531");
    add("fast 22 basic", "1753112000000000000893", basic, {fast22},
        {"1041      7531 A  01", "1041      7531 O  02", "1041      7531 T  80",
         "1041      7531 T  90", "1041      7531 R  17"},
        true, true, "7531");
    add("fast 20: two-character account", "17500000000000000008", hs,
        {"FastList|RX3|75|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|8"}, {"804175 0000 0000 0000 0000 8"},
        true, true, "75");
    add("fast under 11", "1234567890", hs, {"FastList|RX3|"}, {}, true, true, "");
}

void addContactIdRows() {
    const QByteArray invalidCid = "ContactIDList|RX3|||||";
    add("cid valid 75A1", "275A1181130010157", hs,
        {"ContactIDList|RX3|7501|New|130 Burglary|01|015"}, {"5041 187501E13001015"}, true, true,
        "7501");
    add("cid qualifier 6", "275A1186130010157", hs,
        {"ContactIDList|RX3|7501|Res|130 Burglary|01|015"}, {"5041 187501R13001015"}, true, true,
        "7501");
    add("cid code 999, 6-digit account", "2123456183999020304", hs,
        {"ContactIDList|RX3|123456|Res|999|02|030"}, {"5041 18123456R99902030"}, true, true,
        "123456");
    add("cid 16", "2753181130010157", hs, {invalidCid}, {"5041 18"}, true, true, "");
    add("cid 20", "27531234181130010157", hs, {invalidCid}, {"5041 18"}, true, true, "");
    add("cid qualifier 2", "27531182130010157", hs, {invalidCid}, {"5041 18"}, true, true, "");
    add("cid letter in code", "275311811A0010157", hs, {invalidCid}, {"5041 18"}, true, true, "");
}

void addSiaRows() {
    const QByteArray siaBa = "SIAList|RX3|2468|Nri1BA001 : BA Burglary Alarm";
    add("sia ri area", "3D#2468xHNri1BA001y@", hs, {siaBa}, {"S041[#2468|Nri1BA001]"}, true, true,
        "2468");
    add("sia plain code", "3D#2468xENBA001y@", hs, {"SIAList|RX3|2468|NBA001 : BA Burglary Alarm"},
        {"S041[#2468|NBA001]"}, true, true, "2468");
    add("sia no match", "3D#2468xENZZ001y@", hs, {"SIAList|RX3|2468|NZZ001"},
        {"S041[#2468|NZZ001]"}, true, true, "2468");
    add("sia numeric entry", "3D#2468xEN15001y@", hs, {"SIAList|RX3|2468|N15001 : 150"},
        {"S041[#2468|N15001]"}, true, true, "2468");
    add("sia 4 data blocks", "3D#2468xHNri1BA001yEAHellozEAWorldzBA!!z@", hs,
        {siaBa + "| Hello World !!"}, {"S041[#2468|Nri1BA001|AHello|AWorld|A!!]"}, true, true,
        "2468");
    add("sia 2 data blocks", "3D#2468xHNri1BA001yEAHelloz@", hs, {siaBa + "|Hello"},
        {"S041[#2468|Nri1BA001|AHello]"}, true, true, "2468");
    add("sia zero-length block", "3D#2468xHNri1BA001y\xC0", hs, {siaBa + "||"},
        {"S041[#2468|Nri1BA001|]"}, true, true, "2468");
    add("sia past the end", "3D#2468xHNri1BA001y", hs, {siaBa + "||"}, {"S041[#2468|Nri1BA001|]"},
        true, true, "2468");
    add("sia account only", "3D#2468x@", hs, {"SIAList|RX3|2468"}, {"S041[#2468|]"}, true, false,
        "2468");
}

void addForwardAndControlByteRows() {
    // A forward updates the account of the line it carries; a text after "9" names none.
    add("forward", "9" + QByteArray(60, 'F'), hs, {}, {QByteArray(50, 'F')}, false, true, "");
    add("forward of a line", "95041 181230E13001003", hs, {}, {"5041 181230E13001003"}, false, true,
        "1230");
    // A report digit first: "POLL" is text, not a second account.
    add("forward holding POLL", "9POLL1234#\x01", hs, {}, {"POLL1234# "}, false, true, "");
    add("forward of nothing", "9", hs, {}, {}, false, true, "");

    // A control byte inside a line would end it early at the automation software: each becomes
    // a blank in the line, while the list shows the fields as they came.
    add("cid control bytes", "275A1181130\x14\n0\r57", hs,
        {"ContactIDList|RX3|7501|New|130 Burglary|\x14\n|0\r5"}, {"5041 187501E130  0 5"}, true,
        true, "7501");
    add("fast control bytes",
        "17531\x14"
        "555\n5551",
        hs, {"FastList|RX3|7531|\x14|5|5|5|\n|5|5|5| | | | | | | | |1"}, {"80417531  555  555 1"},
        true, true, "7531");
    add("sia control bytes", "3D#2468xJNri1BA\x14\n001y@", hs,
        {"SIAList|RX3|2468|Nri1BA\x14\n001 : BA Burglary Alarm"}, {"S041[#2468|Nri1BA  001]"}, true,
        true, "2468");
    add("forward control bytes", QByteArray("9A\0\x1F\x7F\x80\xFFZ", 8), hs, {}, {"A   \x80\xFFZ"},
        false, true, "");
    add("nothing", "5POL", hs, {}, {}, false, false, "");
}

} // namespace

void TestMessageDecoder::decodes_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArrayList>("rows"); // "list|cell|cell..."
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<bool>("logged"); // the lines are report lines
    QTest::addColumn<bool>("reload");
    QTest::addColumn<QByteArray>("account");
    addPollAndFastRows();
    addContactIdRows();
    addSiaRows();
    addForwardAndControlByteRows();
}

void TestMessageDecoder::decodes() {
    QFETCH(QByteArray, message);
    QFETCH(int, format);
    QFETCH(QByteArrayList, rows);
    QFETCH(QByteArrayList, lines);
    QFETCH(bool, logged);
    QFETCH(bool, reload);
    QFETCH(QByteArray, account);
    const EventTexts texts;
    const DecodeResult result =
        decodeMessage(source, message, settings(OutputFormat(format)), texts);
    QByteArrayList actualRows;
    for (const DecodedRow &row : result.rows)
        actualRows.append(rowText(row));
    QCOMPARE(actualRows, rows);
    QCOMPARE(result.lines, lines);
    QCOMPARE(result.loggedLines, logged ? lines : QByteArrayList());
    QCOMPARE(result.reloadAttempts, reload);
    // The account updated, as the table writes its number; empty: none.
    QCOMPARE(result.decodedAccount ? AccNumString(*result.decodedAccount) : QByteArray(), account);
}

void TestMessageDecoder::siaEventCodeAfterAnArea_data() {
    QTest::addColumn<QByteArray>("block"); // function code and data of the first event block
    QTest::addColumn<QByteArray>("text");  // the SIA text the event column shows, if any
    const auto add = [](const char *block, const char *text) {
        QTest::newRow(block) << QByteArray(block) << QByteArray(text);
    };
    // Found at the fixed place: kept, whatever follows.
    add("Nri1BA001", "BA Burglary Alarm");
    add("NBA001", "BA Burglary Alarm");
    add("NBA/FA01", "BA Burglary Alarm");
    add("Nri1**", "** Not Reported");
    add("Nri/BA01", "BA Burglary Alarm");
    add("Nri115/BA01", "150"); // "15" names the numeric entry 150
    add("Nri1FA/BA01", "FA Fire Alarm");
    // Found only after the area digits and at most one "/".
    add("Nri1/BA01", "BA Burglary Alarm");
    add("Nri12/FA01", "FA Fire Alarm");
    add("Nri123/YC", "YC Communication Restore");
    add("Nri12BA01", "BA Burglary Alarm");
    add("Nri1/**", "** Not Reported");
    // Found nowhere: the block alone.
    add("Nri1/ZZ01", "");
    add("Nri1//BA01", "");
    add("Nrix/BA01", "");
    add("NRi1/BA01", "");
    add("Nri1/", "");
    add("Nri", "");
    add("N/BA01", "");
}

void TestMessageDecoder::siaEventCodeAfterAnArea() {
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, text);
    const QByteArray header(1, char(0x40 | (block.size() - 1)));
    const EventTexts texts;
    const DecodeResult result = decodeMessage(source, "3D#2468x" + header + block + "y@",
                                              settings(OutputFormat::HighSpeed), texts);
    QCOMPARE(result.rows.size(), 1);
    QCOMPARE(result.rows.front().cells,
             (QByteArrayList{source, "2468", text.isEmpty() ? block : block + " : " + text}));
    // The line passes the block on as it came.
    QCOMPARE(result.lines, QByteArrayList{"S041[#2468|" + block + "]"});
}

// Every prefix of messages whose blocks and fields reach far: each is decoded without reading
// beyond its end (the sanitizer build checks the reads), and an SIA prefix always ends its row.
void TestMessageDecoder::neverReadsPastTheEnd() {
    const EventTexts texts;
    const QByteArrayList messages{"3D#2468xHNri1BA001yEAHellozEAWorldz\x7F", "POLL1#",
                                  "275A1181130010157",
                                  "17531"
                                  "1200000000000089"
                                  "3",
                                  "3\x3F"};
    for (const QByteArray &message : messages) {
        for (qsizetype length = 0; length <= message.size(); ++length) {
            const DecodeResult result =
                decodeMessage(source, message.left(length), settings(OutputFormat::Basic), texts);
            for (const DecodedRow &row : result.rows)
                QVERIFY(!row.cells.isEmpty() && row.cells.first() == source);
        }
    }
}

void TestMessageDecoder::processDataAppliesEveryEffect() {
    TempEnvironment environment;
    EventLists lists;
    TxQueue queue;
    LogBook logs;
    logs.setSaveEnabled(true);
    AccountTable accounts(environment.filePath(QStringLiteral("Accounts.PDB")));
    accounts.InsertAcc(account(7501));
    accounts.InsertAcc(account(2468));
    accounts.InsertAcc(account(0));
    const EventTexts texts;
    int reloads = 0;
    OutputFormat format = OutputFormat::HighSpeed;
    MessageDecoder decoder(lists, queue, logs, accounts, texts,
                           {[&] { return settings(format); }, [&] { ++reloads; }});

    decoder.Process_data(source, "275A1181130010157");
    format = OutputFormat::Basic; // read again on every call
    decoder.Process_data("RX3", "17531555555551");
    decoder.Process_data("31.2.3.4", "3D#2468xHNri1BA001y@");
    decoder.Process_data("NUA", "POLL0#\x01");
    decoder.Process_data("10.0.0.5", "95041 187501E13001015");

    const QString caption = dateTimeText(decodingTime);
    QCOMPARE(lists.contactId.rowCount(), 1);
    QCOMPARE(lists.contactId.exportLine(0, 6),
             caption.toLocal8Bit() + " " + source + " 7501 New 130 Burglary 01 015");
    QCOMPARE(lists.fast.rowCount(), 1);
    QCOMPARE(lists.sia.exportLine(0, 4),
             caption.toLocal8Bit() + " 31.2.3.4 2468 Nri1BA001 : BA Burglary Alarm");
    QCOMPARE(lists.poll.exportLine(0, 7), caption.toLocal8Bit() + " NUA 0 YES NO NO NO NO");
    const QByteArrayList queued{"5041 187501E13001015", "1041      7531 A  09",
                                "S041[#2468|Nri1BA001]", "5041 187501E13001015"};
    QCOMPARE(queue.lines(), queued);
    QByteArray expectedLog;
    for (const QByteArray &line : queued.mid(0, 3))
        expectedLog += caption.toLocal8Bit() + " -- " + line + "\r\n";
    QCOMPARE(environment.readFile(LogBook::TxLog), expectedLog);
    QCOMPARE(reloads, 4);
    // The forward updates the account of the line it carries.
    QByteArrayList lastSources;
    for (const AccountRecord &record : accounts.records())
        lastSources.append(QByteArray::number(record.accNum) + "=" + record.lastNuaIp);
    QCOMPARE(lastSources, (QByteArrayList{"0=NUA", "2468=31.2.3.4", "7501=10.0.0.5"}));
}

void TestMessageDecoder::accountUpdateNeedsAKnownConvertibleAccount() {
    TempEnvironment environment;
    EventLists lists;
    TxQueue queue;
    LogBook logs;
    AccountTable accounts(environment.filePath(QStringLiteral("Accounts.PDB")));
    accounts.InsertAcc(account(1234));
    const EventTexts texts;
    int reloads = 0;
    MessageDecoder decoder(lists, queue, logs, accounts, texts,
                           {[] { return settings(OutputFormat::HighSpeed); }, [&] { ++reloads; }});

    decoder.Process_data(source, "2123418113001015");  // invalid Contact ID: no account
    decoder.Process_data(source, "POLL99999999999#A"); // does not convert
    decoder.Process_data(source, "POLL4321#A");        // not a polling account
    QCOMPARE(accounts.records().front().lastNuaIp, QByteArray());
    QCOMPARE(reloads, 1);
    QCOMPARE(lists.poll.rowCount(), 2);
    QCOMPARE(queue.lines(), QByteArrayList{"5041 18"});
    QVERIFY(!environment.fileExists(LogBook::TxLog)); // logging is off
}

QTEST_GUILESS_MAIN(TestMessageDecoder)
#include "test_messagedecoder.moc"
