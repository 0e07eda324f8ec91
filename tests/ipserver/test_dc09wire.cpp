#include "accounts/polltimer.h"
#include "dc09wirefixture.h"
#include "store/queuejournal.h"

#include <QDir>
#include <QtTest>

using namespace dc09panel;
using namespace dc09wire;

// DC-09 on the IP receiver's port over real sockets on 127.0.0.1: frames on a kept-open TCP
// connection and in UDP datagrams, the same account decision, store and poll supervision as the
// bare-IP texts, and the logs.
class Dc09WireTest : public QObject {
    Q_OBJECT

private slots:
    // Two frames in one write, one frame over two writes, then a bare-IP text: every frame is
    // answered and queued in order, and the connection stays open for the rest.
    void tcpFramesFollowEachOtherOnOneConnection() {
        Dc09Fixture f;
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray cid = frame(clear("ADM-CID", "0001", "R0L0#5801", burglary));
        const QByteArray sia = frame(clear("SIA-DCS", "0001", "RF3L77#1234", "#1234|NRR|Atest"));
        const QByteArray link =
            "\nEA740027\"NULL\"0000L0#1409[]_20:38:07,08-27-2026\r"; // a public vector
        const QByteArray cidAck = reply("ACK", "0001R0L0#5801[]");
        const QByteArray siaAck = reply("ACK", "0001RF3L77#1234[]");
        panel.send(cid + sia + link.left(12));
        QCOMPARE(panel.reply(cidAck.size() + siaAck.size()), cidAck + siaAck);
        panel.send(link.mid(12));
        const QByteArray linkAck = "\n59890012\"ACK\"0000L0#1409[]\r"; // the vector's answer
        QCOMPARE(panel.reply(linkAck.size()), linkAck);
        QVERIFY(f.queueMarker(panel));
        QVERIFY(panel.isConnected());

        const QByteArrayList queued = f.pendingBeforeMarker();
        QCOMPARE(queued.size(), 2);
        QCOMPARE(queued.at(0), "[127.0.0.1]" + burglaryText);
        QVERIFY2(queued.at(1).startsWith("[127.0.0.1]3"), queued.at(1).constData());
        QVERIFY(f.waitForLogLines(LogBook::IpLog, 4));
        QCOMPARE(
            f.logTexts(LogBook::IpLog).mid(0, 3),
            QByteArrayList({cid.mid(1).chopped(1), sia.mid(1).chopped(1), link.mid(1).chopped(1)}));
        QCOMPARE(f.logTexts(LogBook::AckLog, " IP -- ").mid(0, 3),
                 QByteArrayList({cidAck.mid(1).chopped(1), siaAck.mid(1).chopped(1),
                                 "59890012\"ACK\"0000L0#1409[]"}));
        QVERIFY(f.loggedRejections().isEmpty());
    }

    // Bare-IP texts keep their rules beside DC-09, and with DC-09 off a text starting with LF is
    // one of them again (no rule takes it).
    void bareIpTextsKeepTheirRules() {
        Dc09Fixture f;
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        panel.send("POLL5801#A\r\n");
        QCOMPARE(panel.reply(8), QByteArray("[P]\x00\x0A", 5) + ack);
        panel.send("IP TEST");
        QCOMPARE(panel.reply(3), ack);

        Dc09Options off;
        off.enabled = false;
        f.setOptions(off);
        panel.send(frame(clear("ADM-CID", "0002", "R0L0#5801", burglary)));
        QVERIFY(f.queueMarker(panel)); // the marker's ACK is the first answer
        QCOMPARE(f.pendingBeforeMarker(), QByteArrayList({"[127.0.0.1]POLL5801#A"}));
    }

    // One frame per datagram, answered to its sender; a piece of a frame is refused, not kept.
    void udpRepliesGoToTheSender() {
        Dc09Fixture f;
        QVERIFY(f.start());
        DatagramPanel panel(f.port());
        const QByteArray piece = frame(clear("NULL", "0000", "L0#5801", {})).chopped(1);
        panel.socket.writeDatagram(piece, QHostAddress::LocalHost, f.port());
        QCOMPARE(panel.exchange(frame(clear("ADM-CID", "0007", "L0#5801", burglary))),
                 reply("ACK", "0007L0#5801[]"));
        QTRY_COMPARE_WITH_TIMEOUT(f.pendingTexts(), QByteArrayList({"[127.0.0.1]" + burglaryText}),
                                  15000);
        QVERIFY(f.waitForLogLines(LogBook::ConversionLog, 1));
        QCOMPARE(f.loggedRejections(), QByteArrayList({"[incomplete frame] " + piece.mid(1)}));
    }

    // The panel missed our ACK and sends the message again, over TCP or UDP: it is acknowledged
    // each time, queued once; its next message is queued.
    void aRepeatIsAcknowledgedButQueuedOnce() {
        Dc09Fixture f;
        QVERIFY(f.start());
        Panel panel(f.port());
        DatagramPanel datagrams(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray report = frame(clear("ADM-CID", "0042", "R0L0#5801", burglary));
        const QByteArray answer = reply("ACK", "0042R0L0#5801[]");
        panel.send(report);
        QCOMPARE(panel.reply(answer.size()), answer);
        panel.send(report);
        QCOMPARE(panel.reply(answer.size()), answer);
        QCOMPARE(datagrams.exchange(report), answer);
        const QByteArray next = frame(clear("ADM-CID", "0043", "R0L0#5801", burglary));
        panel.send(next);
        QCOMPARE(panel.reply(answer.size()), reply("ACK", "0043R0L0#5801[]"));
        QVERIFY(f.queueMarker(panel));
        QCOMPARE(f.pendingBeforeMarker(),
                 QByteArrayList({"[127.0.0.1]" + burglaryText, "[127.0.0.1]" + burglaryText}));
    }

    // Refused frames: silence for a damaged one (the panel sends it again), "DUH" for one that
    // cannot be handled; each with its reason in the exception log, none queued.
    void refusedFramesAreLoggedWithTheirReason() {
        Dc09Fixture f;
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        QByteArray damaged = frame(clear("ADM-CID", "0001", "R0L0#5801", burglary));
        damaged[1] = damaged[1] == '0' ? '1' : '0';
        const QByteArray noKey =
            frame(encrypted("ADM-CID", "0002", "R0L0", "5801", burglary, aesKey128,
                            stamp(QDateTime::currentDateTimeUtc())));
        panel.send(damaged);
        panel.send(noKey);
        // The first answer is the second frame's.
        const QByteArray answer = readFrame(panel);
        QVERIFY2(answer.startsWith('\n') && answer.contains("\"DUH\""), answer.constData());
        QVERIFY(f.logTexts(LogBook::AckLog, " IP -- ").contains(answer.mid(1).chopped(1)));
        QVERIFY(f.queueMarker(panel));
        QVERIFY(f.pendingBeforeMarker().isEmpty());
        QVERIFY(f.waitForLogLines(LogBook::ConversionLog, 2));
        const QByteArrayList reasons = f.loggedRejections();
        QVERIFY2(reasons.at(0).startsWith('[') && !reasons.at(0).startsWith("[]") &&
                     reasons.at(0).endsWith("] " + damaged.mid(1).chopped(1)),
                 reasons.at(0).constData());
        QVERIFY2(reasons.at(1).endsWith("] " + noKey.mid(1).chopped(1)), reasons.at(1).constData());
    }

    // An ADM-CID account with the digit A ("0" on the Contact ID line) gets "DUH" rather than
    // going out as another panel's number; SIA-DCS carries it as it is. A frame without a line
    // number is answered in its own form and queued; the exception log says so once for the
    // account, over any connection.
    void accountsAndHeadersAsPanelsSendThem() {
        Dc09Fixture f;
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray withA = frame("\"ADM-CID\"0451L0#12AB[#12AB|1110 00 451]");
        const QByteArray siaWithA = frame("\"SIA-DCS\"0452L0#12AB[#12AB|NFA451]");
        const QByteArray noLine = frame("\"ADM-CID\"0300#1234[#1234|1131 00 300]");
        const QByteArray noLineAck = reply("ACK", "0300#1234[]");
        const QByteArray answers =
            reply("DUH", "0451L0#12AB[]") + reply("ACK", "0452L0#12AB[]") + noLineAck;
        panel.send(withA + siaWithA + noLine);
        QCOMPARE(panel.reply(answers.size()), answers);
        // The panel missed the answer and sends it again, then over UDP.
        panel.send(noLine);
        QCOMPARE(panel.reply(noLineAck.size()), noLineAck);
        DatagramPanel datagrams(f.port());
        QCOMPARE(datagrams.exchange(noLine), noLineAck);
        QVERIFY(f.queueMarker(panel));
        QCOMPARE(f.pendingBeforeMarker(),
                 QByteArrayList({"[127.0.0.1]3D#12AB ENFA451 @", "[127.0.0.1]21234181131003007"}));
        const QByteArray digitA = "[account holds the digit A, which Contact ID sends for 0] ";
        const QByteArray note =
            "[the panel of account 1234 sends no line number; taken as line 0] ";
        QCOMPARE(f.loggedRejections(), QByteArrayList({digitA + withA.mid(1).chopped(1),
                                                       note + noLine.mid(1).chopped(1)}));
    }

    // A panel that sends its CRC as two bytes (here LF or CR among them) is answered in the same
    // form and queued; the exception log says so once for the account. Accented text reaches
    // "Pending Messages" as it was sent.
    void binaryCrcsAndAccentedTextAreTaken() {
        Dc09Fixture f;
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray cid = binaryFrame(clear("ADM-CID", "0212", "L0#5801", burglary));
        const QByteArray link = binaryFrame(clear("NULL", "0655", "L0#5801", {}));
        QVERIFY(cid.mid(1, 2).contains('\r') && link.mid(1, 2).contains('\n'));
        const QByteArray text = QByteArray("AK\xFC") + "che";
        const QByteArray sia = frame(clear("SIA-DCS", "0213", "L0#5801", "#5801|NBA01|" + text));
        const QByteArray answers = binaryFrame("\"ACK\"0212L0#5801[]") +
                                   binaryFrame("\"ACK\"0655L0#5801[]") +
                                   reply("ACK", "0213L0#5801[]");
        panel.send(cid.left(3)); // up to the CR among its CRC bytes
        panel.send(cid.mid(3) + link + sia);
        QCOMPARE(panel.reply(answers.size()), answers);
        QVERIFY(f.queueMarker(panel));
        QCOMPARE(f.pendingBeforeMarker(),
                 QByteArrayList(
                     {"[127.0.0.1]" + burglaryText, "[127.0.0.1]3D#5801 DNBA01 E" + text + " @"}));
        QCOMPARE(f.loggedRejections(),
                 QByteArrayList({"[the panel of account 5801 sends its CRC as two binary bytes; "
                                 "answered in the same form] 720D" +
                                 cid.mid(3).chopped(1)}));
    }

    // Encrypted frames with the account's key from the key file (AES-128 as written in characters,
    // AES-256 in hex): the public vector acknowledged at its own time and refused with the
    // receiver's time later; an encrypted report queued as its clear form is. No key in a log.
    void encryptedFramesUseTheKeyFile() {
        Dc09Fixture f;
        QVERIFY(f.writeKeys("# centre keys\r\nAAAB " + aesKey128 + "\r\n\r\n5801 " +
                            aesKey256.toHex() + "\r\n"));
        QVERIFY(f.start());
        const QDateTime vectorTime = utc(2020, 7, 5, 18, 24, 52);
        Clock::setNowFunction([vectorTime] { return vectorTime; });
        const QByteArray vector = "\n76D80055\"*NULL\"0000R0L0#AAAB[B4BC8B40D0E6D959D6BEA78E88CC0B"
                                  "2155741A3C44FBB96D476A3E557CAD64D9\r";
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        panel.send(vector);
        const QByteArray accepted = readFrame(panel);
        QVERIFY2(accepted.contains("\"*ACK\"0000R0L0#AAAB["), accepted.constData());
        QVERIFY2(decryptedBlock(accepted, aesKey128).endsWith("]_18:24:52,07-05-2020"),
                 accepted.constData());

        const QDateTime later = utc(2026, 12, 9, 1, 2, 3);
        Clock::setNowFunction([later] { return later; });
        panel.send(vector);
        QCOMPARE(readFrame(panel), reply("NAK", "0000R0L0A0[]_01:02:03,12-09-2026"));

        DatagramPanel datagrams(f.port());
        const QByteArray report =
            frame(encrypted("ADM-CID", "0005", "R0L0", "5801", burglary, aesKey256, stamp(later)));
        const QByteArray answer = datagrams.exchange(report);
        QVERIFY2(answer.contains("\"*ACK\"0005R0L0#5801["), answer.constData());
        QVERIFY(decryptedBlock(answer, aesKey256).endsWith("]_01:02:03,12-09-2026"));
        QTRY_COMPARE_WITH_TIMEOUT(f.pendingTexts(), QByteArrayList({"[127.0.0.1]" + burglaryText}),
                                  15000);
        QVERIFY(f.logTexts(LogBook::IpLog).contains(report.mid(1).chopped(1)));
        for (const QString &name : QDir(f.env.path()).entryList({"*.TXT", "*.txt"}, QDir::Files)) {
            if (name == Dc09Keys::fileName)
                continue;
            const QByteArray log = f.env.readFile(name);
            QVERIFY2(!log.contains(aesKey128) &&
                         !log.toUpper().contains(aesKey256.toHex().toUpper()),
                     qPrintable(name));
        }
    }

    // Options: clear messages refused when encryption is required.
    void clearMessagesCanBeRefused() {
        Dc09Fixture f;
        Dc09Options encryptedOnly;
        encryptedOnly.receive.acceptClear = false;
        f.setOptions(encryptedOnly);
        QVERIFY(f.start());
        DatagramPanel panel(f.port());
        const QByteArray answer =
            panel.exchange(frame(clear("ADM-CID", "0001", "R0L0#5801", burglary)));
        QVERIFY2(answer.contains("\"DUH\""), answer.constData());
        Panel marker(f.port());
        QVERIFY(marker.waitConnected());
        QVERIFY(f.queueMarker(marker));
        QVERIFY(f.pendingBeforeMarker().isEmpty());
    }

    // Any accepted frame of a known account is its poll: a NULL reloads the timer and ends a
    // poll failure with its restore line. An account bound to another address has its frame
    // and its bare-IP poll answered, but neither keeps it alive (anyone can send them): no
    // reload, no restore, its last address kept, nothing queued, and the exception log says so.
    void acceptedFramesCountAsPolls() {
        Dc09Fixture f;
        f.addAccount(5802, 20, 0, AccountRecord::MatchNuaIp, "10.0.0.9");
        for (quint32 number : {5801, 5802})
            f.accounts.update(number, [](AccountRecord &record) {
                record.pollTimer = 0;
                record.pollFailed = 1;
            });
        QVERIFY(f.start());
        DatagramPanel panel(f.port());
        QCOMPARE(panel.exchange(frame(clear("NULL", "0000", "L0#5801", {}))),
                 reply("ACK", "0000L0#5801[]"));
        QCOMPARE(f.account(5801).pollTimer, pollTimerReload(10, 1));
        QCOMPARE(f.account(5801).pollFailed, 0);
        QCOMPARE(f.account(5801).lastNuaIp, "127.0.0.1");
        // The queue takes additions from other threads on its own thread.
        QTRY_COMPARE_WITH_TIMEOUT(
            f.txQueue.lines(),
            QList<QByteArray>({f.reportLines.line({PollReport::Kind::Restore, 5801, false})}),
            15000);

        // A datagram's address proves nothing: a bound account without a key is refused there.
        const QByteArray bound = frame(clear("ADM-CID", "0003", "R0L0#5802", "#5802|1130 01 001"));
        QCOMPARE(panel.exchange(bound), reply("DUH", "0003R0L0#5802[]"));
        Panel marker(f.port());
        QVERIFY(marker.waitConnected());
        marker.send("POLL5802#A\r\n");
        QCOMPARE(marker.reply(8), QByteArray("[P]\x00\x14", 5) + ack);
        QVERIFY(f.queueMarker(marker));
        QVERIFY(f.pendingBeforeMarker().isEmpty());
        QCOMPARE(f.account(5802).pollTimer, 0);
        QCOMPARE(f.account(5802).pollFailed, 1);
        QVERIFY(f.account(5802).lastNuaIp.isEmpty());
        QCOMPARE(f.txQueue.lines().size(), 1);
        const QByteArray other = "[sent from 127.0.0.1, not from the account's NUA / IP: ";
        QCOMPARE(f.loggedRejections(),
                 QByteArrayList(
                     {"[sent over UDP, which cannot prove its sender, for account 5802, which "
                      "is bound to its NUA / IP and has no DC-09 key: not queued, not taken "
                      "as its poll] " +
                          bound.mid(1).chopped(1),
                      other + "not taken as its poll, not queued] POLL5802#A"}));
        // Shown like a withdrawn bare-IP text.
        QTRY_COMPARE_WITH_TIMEOUT(f.engine.receivedData().items().value(0), bound.mid(1).chopped(1),
                                  15000);
    }

    // A report that cannot be stored is not acknowledged: the panel keeps it and sends it again.
    // A NULL, which stores nothing, is still answered.
    void nothingUnstoredIsAcknowledged() {
        Dc09Fixture f;
        QueueJournal journal;
        const QString path = f.env.filePath(QueueJournal::fileName);
        QDir().mkdir(path);
        journal.open(path);
        f.server.setJournal(&journal);
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        panel.send(frame(clear("ADM-CID", "0001", "R0L0#5801", burglary)));
        panel.send(frame(clear("NULL", "0000", "L0#5801", {})));
        QCOMPARE(readFrame(panel), reply("ACK", "0000L0#5801[]"));
        QVERIFY(f.engine.pendingMessages().isEmpty());
    }
};

QTEST_MAIN(Dc09WireTest)
#include "test_dc09wire.moc"
