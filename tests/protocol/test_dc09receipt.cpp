#include "protocol/dc09cipher.h"
#include "protocol/dc09crc.h"
#include "protocol/dc09receipt.h"
#include "protocol/dc09reply.h"

#include <QTest>
#include <QTimeZone>

using dc09::Receipt;
using Kind = Receipt::Kind;

Q_DECLARE_METATYPE(Receipt::Kind)

namespace {

const QDateTime now(QDate(2026, 8, 27), QTime(20, 38, 10), QTimeZone::utc());
const QByteArray keyA = QByteArray(16, 'A');
const QByteArray key256 =
    QByteArray::fromHex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");

QByteArray wrapped(const QByteArray &frame) {
    return '\n' + frame + '\r';
}

// The public vectors, as panels send them.
const QByteArray siaDcs = wrapped("F4D20029\"SIA-DCS\"0001RF3L77#1234[#1234|NRR|Atest]");
const QByteArray siaDcsStamped =
    wrapped("EDA70039\"SIA-DCS\"0013L0#AAA[#AAA|Nri0/RP0000]_09:19:30,02-20-2023");
const QByteArray admCid = wrapped("7A28002F\"ADM-CID\"6616R0L0#foc7688[#foc7688|1351 01 000]");
const QByteArray nullClear = wrapped("EA740027\"NULL\"0000L0#1409[]_20:38:07,08-27-2026");
const QByteArray nullEncrypted =
    wrapped("76D80055\"*NULL\"0000R0L0#AAAB["
            "B4BC8B40D0E6D959D6BEA78E88CC0B2155741A3C44FBB96D476A3E557CAD64D9");

// CRCs sent as two bytes, high first: 0x720D (its low byte CR) and 0x0A72 (its high byte LF).
const QByteArray binaryCid("\n\x72\x0D"
                           "0027\"ADM-CID\"0212L0#5801[#5801|1130 01 001]\r");
const QByteArray binaryNull("\n\x0Ar0013\"NULL\"0655L0#5801[]\r");
const QByteArray kitchen = QByteArray("K\xFC") + "che"; // in Windows-1252

dc09::KeyLookup keys() {
    return [](const QByteArray &account) -> std::optional<QByteArray> {
        if (account == "AAAB")
            return keyA;
        if (account == "5678")
            return key256;
        return std::nullopt;
    };
}

Receipt receive(const QByteArray &bytes, const QDateTime &at = now,
                dc09::ReceiveOptions options = {}) {
    return dc09::receive(bytes, keys(), options, at);
}

// An encrypted frame as a panel builds it: "[", then the hex of pad + "|" + data + "]" + stamp.
QByteArray encryptedFrame(const QByteArray &head, const QByteArray &key, const QByteArray &inner) {
    QByteArray plain = '|' + inner;
    plain.prepend(QByteArray((16 - plain.size() % 16) % 16, 'p'));
    return dc09::framed(head + '[' + dc09::encrypt(key, plain)->toHex().toUpper());
}

QByteArray stamp(const QDateTime &utc) {
    return '_' + utc.toString("HH:mm:ss,MM-dd-yyyy").toLatin1();
}

// The plain text of an "*ACK" reply: its hex content decrypted with the key.
QByteArray decryptedReply(const QByteArray &reply, const QByteArray &key) {
    const QByteArray hex = reply.mid(reply.indexOf('[') + 1).chopped(1);
    return dc09::decrypt(key, QByteArray::fromHex(hex)).value_or("not decrypted");
}

} // namespace

class TestDc09Receipt : public QObject {
    Q_OBJECT
private slots:
    void crcIsArc() { QCOMPARE(dc09::crc16("123456789"), quint16(0xBB3D)); }

    // Each frame alone: what it gets back, and what is queued.
    void answers_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("rejection");
        const QByteArray nak = nakReply();
        QTest::newRow("SIA-DCS with R, L and text")
            << siaDcs << Kind::Ack << wrapped("61DB0016\"ACK\"0001RF3L77#1234[]")
            << QByteArray("3D#1234 BNRR DAtest @") << QByteArray("");
        QTest::newRow("SIA-DCS with a timestamp, 3-character account")
            << siaDcsStamped << Kind::Ack << wrapped("C2670011\"ACK\"0013L0#AAA[]")
            << QByteArray("3C#AAA JNri0/RP0000 @") << QByteArray("");
        QTest::newRow("ADM-CID with an account Contact ID cannot carry")
            << admCid << Kind::Duh << wrapped("274C0017\"DUH\"6616R0L0#foc7688[]") << QByteArray()
            << QByteArray("account does not fit the Contact ID form");
        QTest::newRow("NULL") << nullClear << Kind::Ack << wrapped("59890012\"ACK\"0000L0#1409[]")
                              << QByteArray() << QByteArray("");
        QTest::newRow("encrypted NULL from 2020")
            << nullEncrypted << Kind::Nak << nak << QByteArray()
            << QByteArray("time 18:24:52,07-05-2020 outside the window");
        QTest::newRow("CRC over the CR as well")
            << wrapped("E22B0027\"NULL\"0000L0#1409[]_20:38:07,08-27-2026") << Kind::Ack
            << wrapped("59890012\"ACK\"0000L0#1409[]") << QByteArray() << QByteArray("");
        QTest::newRow("ADM-CID") << dc09::framed("\"ADM-CID\"0042L0#1234[#1234|1130 01 003]")
                                 << Kind::Ack << dc09::framed("\"ACK\"0042L0#1234[]")
                                 << QByteArray("21234181130010037") << QByteArray("");
        // Panels given no line number leave the "L" out; answered in the same form.
        QTest::newRow("no receiver, no line number")
            << dc09::framed("\"ADM-CID\"0300#1234[#1234|1131 00 300]") << Kind::Ack
            << dc09::framed("\"ACK\"0300#1234[]") << QByteArray("21234181131003007")
            << QByteArray("");
        QTest::newRow("receiver, no line number")
            << dc09::framed("\"NULL\"0301R5#1234[]") << Kind::Ack
            << dc09::framed("\"ACK\"0301R5#1234[]") << QByteArray() << QByteArray("");
        addRefusedFrameRows();
        addBinaryCrcRows();
        addHighByteRows();
    }

    void answers() {
        QFETCH(QByteArray, frame);
        QFETCH(Kind, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, rejection);
        const Receipt receipt = receive(frame);
        QCOMPARE(receipt.kind, kind);
        QCOMPARE(receipt.reply, reply);
        QCOMPARE(receipt.messages.join('\n'), message);
        QCOMPARE(receipt.consumed, frame.size());
        QCOMPARE(receipt.frame, frame);
        QCOMPARE(receipt.rejection, rejection);
    }

    // Frames that are not whole or not right get no answer; the panel sends them again.
    void silence_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<qsizetype>("consumed");
        QTest::addColumn<QByteArray>("rejection");
        QByteArray wrongCrc = siaDcs;
        wrongCrc[4] = '3';
        QByteArray wrongLength = siaDcs;
        wrongLength[8] = 'A';
        QByteArray nonHexCrc = siaDcs;
        nonHexCrc[2] = 'G';
        const QByteArray truncated = siaDcs.left(30);
        QTest::newRow("wrong CRC")
            << wrongCrc << Kind::Silent << siaDcs.size() << QByteArray("CRC");
        QTest::newRow("wrong length")
            << wrongLength << Kind::Silent << siaDcs.size() << QByteArray("length");
        QTest::newRow("non-hex CRC") << nonHexCrc << Kind::Silent << siaDcs.size()
                                     << QByteArray("CRC field not 4 hex digits");
        QTest::newRow("truncated, nothing after it")
            << truncated << Kind::Incomplete << qsizetype(0) << QByteArray();
        QTest::newRow("truncated, the next frame after it")
            << truncated + nullClear << Kind::Silent << truncated.size()
            << QByteArray("no CR at the end of the frame");
        QTest::newRow("missing CR")
            << siaDcs.chopped(1) + nullClear << Kind::Silent << siaDcs.size() - 1
            << QByteArray("no CR at the end of the frame");
        QTest::newRow("header out of layout")
            << dc09::framed("\"SIA-DCS\"01L0#1234[#1234|NBA01]") << Kind::Silent
            << qsizetype(dc09::framed("\"SIA-DCS\"01L0#1234[#1234|NBA01]").size())
            << QByteArray("header not in the DC-09 layout");
        const QByteArray controlInId = dc09::framed("\"SIA\tDCS\"0001L0#1234[#1234|NBA01]");
        QTest::newRow("control byte in the ID") << controlInId << Kind::Silent << controlInId.size()
                                                << QByteArray("header not in the DC-09 layout");
        QTest::newRow("no LF") << QByteArray("garbage") << Kind::Silent << qsizetype(7)
                               << QByteArray("no LF before the bytes");
        QByteArray wrongBinaryCrc = binaryCid;
        wrongBinaryCrc[1] = '\x73';
        QTest::newRow("wrong binary CRC")
            << wrongBinaryCrc << Kind::Silent << binaryCid.size() << QByteArray("CRC");
        // A CR among the CRC bytes does not end the frame.
        QTest::newRow("binary CRC with a CR, cut short")
            << binaryCid.left(20) << Kind::Incomplete << qsizetype(0) << QByteArray();
        QTest::newRow("no CR in the longest frame")
            << '\n' + QByteArray(dc09::maxFrameSize, 'x') << Kind::Silent << dc09::maxFrameSize + 1
            << QByteArray("no CR within the longest frame");
    }

    void silence() {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, kind);
        QFETCH(qsizetype, consumed);
        QFETCH(QByteArray, rejection);
        const Receipt receipt = receive(bytes);
        QCOMPARE(receipt.kind, kind);
        QCOMPARE(receipt.consumed, consumed);
        QCOMPARE(receipt.rejection, rejection);
        QVERIFY(receipt.reply.isEmpty());
        QVERIFY(receipt.messages.isEmpty());
    }

    void severalFramesInOneBuffer() {
        QByteArray buffer = "\r\n" + siaDcs + nullClear + siaDcsStamped.left(20);
        QList<Kind> kinds;
        for (Receipt receipt = receive(buffer); receipt.kind != Kind::Incomplete;
             receipt = receive(buffer)) {
            kinds.append(receipt.kind);
            buffer.remove(0, receipt.consumed);
        }
        // The stray CR LF before the first frame is a frame without its start and its end.
        QCOMPARE(kinds, (QList<Kind>{Kind::Silent, Kind::Ack, Kind::Ack}));
        QCOMPARE(buffer, siaDcsStamped.left(20));
        buffer += siaDcsStamped.mid(20);
        QCOMPARE(receive(buffer).kind, Kind::Ack);
        QCOMPARE(receive(buffer).consumed, buffer.size());
    }

    // The time window of an encrypted message, from its edges; and the same for a clear one
    // only when asked for.
    void timeWindow_data() {
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<bool>("encrypted");
        QTest::addColumn<bool>("checkClearTime");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("encrypted, 40 s old") << qint64(-40) << true << false << Kind::Ack;
        QTest::newRow("encrypted, 20 s ahead") << qint64(20) << true << false << Kind::Ack;
        QTest::newRow("clear, 41 s old, not checked") << qint64(-41) << false << false << Kind::Ack;
        QTest::newRow("clear, 41 s old, checked") << qint64(-41) << false << true << Kind::Nak;
        QTest::newRow("clear, 21 s ahead, checked") << qint64(21) << false << true << Kind::Nak;
        QTest::newRow("clear, 20 s ahead, checked") << qint64(20) << false << true << Kind::Ack;
    }

    void timeWindow() {
        QFETCH(qint64, offset);
        QFETCH(bool, encrypted);
        QFETCH(bool, checkClearTime);
        QFETCH(Kind, kind);
        // A clear frame of an account with a key is refused whatever its time: 5679 has none.
        const QByteArray account = encrypted ? "5678" : "5679";
        const QByteArray inner = "#" + account + "|NBA01]" + stamp(now.addSecs(offset));
        const QByteArray frame =
            encrypted ? encryptedFrame("\"*SIA-DCS\"0010L0#" + account, key256, inner)
                      : dc09::framed("\"SIA-DCS\"0010L0#" + account + "[" + inner);
        QCOMPARE(receive(frame, now, {true, checkClearTime}).kind, kind);
    }

    void clearRefusedWhenEncryptionRequired() {
        const Receipt receipt = receive(nullClear, now, {false, false});
        QCOMPARE(receipt.kind, Kind::Duh);
        QCOMPARE(receipt.reply, dc09::framed("\"DUH\"0000L0#1409[]"));
        QCOMPARE(receipt.rejection, QByteArray("clear message refused"));
    }

    // The public encrypted vector at the time it was made, and encrypted reports: the "*ACK"
    // decrypts under the account's key to a pad, "]" and the receiver's time.
    void encryptedAck_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("message");
        const QDateTime made(QDate(2020, 7, 5), QTime(18, 24, 52), QTimeZone::utc());
        QTest::newRow("public NULL, AES-128")
            << nullEncrypted << made << keyA << QByteArray("\"*ACK\"0000R0L0#AAAB[")
            << QByteArray();
        QTest::newRow("SIA-DCS, AES-256")
            << encryptedFrame("\"*SIA-DCS\"0011R2L3#5678", key256, "#5678|Nri1/BA01]" + stamp(now))
            << now << key256 << QByteArray("\"*ACK\"0011R2L3#5678[")
            << QByteArray("3D#5678 HNri1/BA01 @");
        QTest::newRow("ADM-CID, AES-256, extra block")
            << encryptedFrame("\"*ADM-CID\"0012L0#5678", key256,
                              "#5678|3401 02 017][X000E0Y000N0]" + stamp(now))
            << now << key256 << QByteArray("\"*ACK\"0012L0#5678[")
            << QByteArray("25678183401020177");
        QTest::newRow("SIA-DCS, AES-256, accented text")
            << encryptedFrame("\"*SIA-DCS\"0013L0#5678", key256,
                              "#5678|NBA01|A" + kitchen + "][L" + kitchen + "]" + stamp(now))
            << now << key256 << QByteArray("\"*ACK\"0013L0#5678[")
            << "3D#5678 DNBA01 EA" + kitchen + " @";
    }

    void encryptedAck() {
        QFETCH(QByteArray, frame);
        QFETCH(QDateTime, at);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, message);
        const Receipt receipt = receive(frame, at);
        QCOMPARE(receipt.kind, Kind::Ack);
        QVERIFY(receipt.encrypted);
        QCOMPARE(receipt.messages.join('\n'), message);
        // Framing, CRC and length of the reply are those of any frame.
        QCOMPARE(receive(receipt.reply).rejection, QByteArray("unknown ID ACK"));
        QVERIFY(receipt.reply.mid(9).startsWith(head));
        const QByteArray plain = decryptedReply(receipt.reply, key);
        QCOMPARE(plain.size(), 32);
        QCOMPARE(plain.mid(11), "]" + stamp(at));
        for (const char c : plain.left(11))
            QVERIFY(c != '|' && c != '[' && c != ']' && c > 0x20 && c < 0x7F);
    }

    // A key is the same whether written as hex (either case) or as its characters; "hex:" and
    // "text:" say which, and 32 hex digits without either are hex.
    void keys_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("128 hex upper") << QByteArray("41414141414141414141414141414141") << keyA;
        QTest::newRow("128 characters") << QByteArray("AAAAAAAAAAAAAAAA") << keyA;
        QTest::newRow("192 hex lower")
            << QByteArray("6162636465666768696a6b6c6d6e6f707172737475767778")
            << QByteArray("abcdefghijklmnopqrstuvwx");
        QTest::newRow("192 characters")
            << QByteArray("abcdefghijklmnopqrstuvwx") << QByteArray("abcdefghijklmnopqrstuvwx");
        QTest::newRow("256 hex mixed")
            << QByteArray("000102030405060708090a0b0c0d0e0f101112131415161718191A1B1C1D1E1F")
            << key256;
        QTest::newRow("256 characters") << QByteArray("Thirty-two characters of key ...")
                                        << QByteArray("Thirty-two characters of key ...");
        QTest::newRow("15 characters") << QByteArray("AAAAAAAAAAAAAAA") << QByteArray();
        QTest::newRow("31 hex digits") << QByteArray(31, '4') << QByteArray();
        QTest::newRow("control byte") << QByteArray("AAAAAAAAAAAAAAA\t") << QByteArray();
        const QByteArray hexDigits = "41414141414141414141414141414141";
        QTest::newRow("hex: form") << "hex:" + hexDigits << keyA;
        QTest::newRow("text: form of hex digits") << "text:" + hexDigits << hexDigits;
        QTest::newRow("text: form, 16") << QByteArray("text:AAAAAAAAAAAAAAAA") << keyA;
        QTest::newRow("hex: form, wrong length") << QByteArray("hex:4141") << QByteArray();
        QTest::newRow("characters that begin like a form")
            << QByteArray("hex:abcdefghijkl") << QByteArray("hex:abcdefghijkl");
    }

    void keys() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QCOMPARE(dc09::parseKey(text).value_or(QByteArray()), key);
    }

private:
    static QByteArray nakReply() {
        return wrapped("5F9E0025\"NAK\"0000R0L0A0[]_20:38:10,08-27-2026");
    }

    // Frames refused whole: unknown, undecryptable, stale or malformed.
    static void addRefusedFrameRows() {
        const QByteArray nak = nakReply();
        QTest::newRow("unknown ID") << dc09::framed("\"SIA-DCX\"0002L0#1234[#1234|NBA01]")
                                    << Kind::Duh << dc09::framed("\"DUH\"0002L0#1234[]")
                                    << QByteArray() << QByteArray("unknown ID SIA-DCX");
        QTest::newRow("encrypted, no key for the account")
            << dc09::framed("\"*SIA-DCS\"0003R1L0#9999[00112233445566778899AABBCCDDEEFF")
            << Kind::Duh << dc09::framed("\"DUH\"0003R1L0#9999[]") << QByteArray()
            << QByteArray("no key for the account");
        QTest::newRow("encrypted with another key")
            << encryptedFrame("\"*SIA-DCS\"0004L0#AAAB", key256, "#AAAB|NBA01]" + stamp(now))
            << Kind::Duh << dc09::framed("\"DUH\"0004L0#AAAB[]") << QByteArray()
            << QByteArray("does not decrypt with the account's key (wrong key or damaged)");
        QTest::newRow("encrypted, 41 s old")
            << encryptedFrame("\"*NULL\"0005L0#AAAB", keyA, "]" + stamp(now.addSecs(-41)))
            << Kind::Nak << nak << QByteArray()
            << QByteArray("time 20:37:29,08-27-2026 outside the window");
        QTest::newRow("encrypted, 21 s ahead")
            << encryptedFrame("\"*NULL\"0006L0#AAAB", keyA, "]" + stamp(now.addSecs(21)))
            << Kind::Nak << nak << QByteArray()
            << QByteArray("time 20:38:31,08-27-2026 outside the window");
        QTest::newRow("encrypted, no timestamp")
            << encryptedFrame("\"*NULL\"0007L0#AAAB", keyA, "]") << Kind::Nak << nak << QByteArray()
            << QByteArray("no timestamp");
        QTest::newRow("data account differs from the frame's")
            << dc09::framed("\"SIA-DCS\"0008L0#1234[#4321|NBA01]") << Kind::Duh
            << dc09::framed("\"DUH\"0008L0#1234[]") << QByteArray()
            << QByteArray("account in the data differs from the frame's");
        QTest::newRow("encrypted, not whole blocks")
            << dc09::framed("\"*NULL\"0010L0#AAAB[00112233") << Kind::Duh
            << dc09::framed("\"DUH\"0010L0#AAAB[]") << QByteArray()
            << QByteArray("encrypted part not whole AES blocks in hex");
        QTest::newRow("SIA-DCS without an event")
            << dc09::framed("\"SIA-DCS\"0009L0#1234[#1234]") << Kind::Duh
            << dc09::framed("\"DUH\"0009L0#1234[]") << QByteArray()
            << QByteArray("SIA report without a block of data");
    }

    // A CRC sent as two bytes is checked so, and every reply carries its CRC in the same form.
    static void addBinaryCrcRows() {
        QTest::newRow("binary CRC, its low byte CR")
            << binaryCid << Kind::Ack
            << QByteArray("\n\xEF"
                          "E0012\"ACK\"0212L0#5801[]\r")
            << QByteArray("25801181130010010") << QByteArray("");
        QTest::newRow("binary CRC, its high byte LF") << binaryNull << Kind::Ack
                                                      << QByteArray("\n\xCA\x10"
                                                                    "0012\"ACK\"0655L0#5801[]\r")
                                                      << QByteArray() << QByteArray("");
        QTest::newRow("binary CRC, DUH in kind")
            << dc09::framed("\"SIA-DCX\"2828L0#5801[#5801|NBA01]", true) << Kind::Duh
            << dc09::framed("\"DUH\"2828L0#5801[]", true) << QByteArray()
            << QByteArray("unknown ID SIA-DCX");
        QTest::newRow("binary CRC, NAK in kind")
            << dc09::framed(nullEncrypted.mid(9).chopped(1), true) << Kind::Nak
            << dc09::framed(nakReply().mid(9).chopped(1), true) << QByteArray()
            << QByteArray("time 18:24:52,07-05-2020 outside the window");
    }

    // Bytes 0x80-0xFF of a text or an extended block are carried as sent; control bytes are not.
    // An encrypted frame whose time reads was decrypted with the right key.
    static void addHighByteRows() {
        QTest::newRow("SIA-DCS, text and extended block above 0x7E")
            << dc09::framed("\"SIA-DCS\"0020L0#1234[#1234|NBA01|A" + kitchen + "][L" + kitchen +
                            "]")
            << Kind::Ack << dc09::framed("\"ACK\"0020L0#1234[]")
            << "3D#1234 DNBA01 EA" + kitchen + " @" << QByteArray("");
        QTest::newRow("ADM-CID, extended block above 0x7E")
            << dc09::framed("\"ADM-CID\"0021L0#1234[#1234|1130 01 003][L" + kitchen + "]")
            << Kind::Ack << dc09::framed("\"ACK\"0021L0#1234[]") << QByteArray("21234181130010037")
            << QByteArray("");
        QTest::newRow("control byte in a text")
            << dc09::framed("\"SIA-DCS\"0022L0#1234[#1234|NBA01|AK\x7F" + kitchen.mid(2) + "]")
            << Kind::Duh << dc09::framed("\"DUH\"0022L0#1234[]") << QByteArray()
            << QByteArray("data not in the DC-09 layout");
        QTest::newRow("encrypted, decrypts, data out of layout")
            << encryptedFrame("\"*SIA-DCS\"0023L0#AAAB", keyA, "#AAAB[NBA01]" + stamp(now))
            << Kind::Duh << dc09::framed("\"DUH\"0023L0#AAAB[]") << QByteArray()
            << QByteArray("decrypted, but the data is not in the DC-09 layout");
    }
};

QTEST_GUILESS_MAIN(TestDc09Receipt)
#include "test_dc09receipt.moc"
