#include "accounts/accountnumbers.h"
#include "accounts/polltimer.h"
#include "dc09wirefixture.h"

#include <QtTest>

using namespace dc09panel;
using namespace dc09wire;

// What a peer on the network can make the receiver believe, over real sockets on 127.0.0.1: an
// account with a key takes nothing but encrypted frames, a captured frame cannot be replayed,
// and a forged datagram sender gets no larger answer than it sent.
class Dc09TrustTest : public QObject {
    Q_OBJECT

    static QByteArray nullFrame(const QByteArray &account, const QByteArray &key) {
        return frame(encrypted("NULL", "0000", "L0", account, {}, key,
                               stamp(QDateTime::currentDateTimeUtc())));
    }

private slots:
    // A clear frame for a keyed account gets "DUH"; a bare-IP poll and report naming it get no
    // answer, are not queued and keep nothing alive; each is logged with its reason. The key is
    // found by the account's number ("#05801" finds "5801") and a hex account in either case.
    void keyedAccountsTakeEncryptedFramesOnly() {
        Dc09Fixture f;
        QVERIFY(f.writeKeys("5801 " + aesKey256.toHex() + "\n12BC " + aesKey128 + "\n"));
        const quint32 hexAccount = *NumericalAccNum("12BC");
        f.addAccount(hexAccount, 10);
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray clearFrame = frame(clear("ADM-CID", "0001", "R0L0#5801", burglary));
        panel.send(clearFrame);
        QCOMPARE(readFrame(panel), reply("DUH", "0001R0L0#5801[]"));
        // Each text is read on its own before the next is sent; a marker's ACK is the next
        // answer.
        panel.send("POLL5801#A\r\n");
        QVERIFY(f.waitForLogLines(LogBook::IpLog, 2));
        QVERIFY(f.queueMarker(panel));
        panel.send(burglaryText);
        QVERIFY(f.waitForLogLines(LogBook::IpLog, 4));
        QVERIFY(f.queueMarker(panel));
        QCOMPARE(f.pendingTexts(), QByteArrayList({"[127.0.0.1]9MARK", "[127.0.0.1]9MARK"}));
        QCOMPARE(f.account(5801).pollTimer, 0);
        QVERIFY(f.account(5801).lastNuaIp.isEmpty());

        panel.send(nullFrame("05801", aesKey256));
        QVERIFY(readFrame(panel).contains("\"*ACK\"0000L0#05801["));
        QCOMPARE(f.account(5801).pollTimer, pollTimerReload(10, 1));
        panel.send(nullFrame("12bc", aesKey128));
        QVERIFY(readFrame(panel).contains("\"*ACK\"0000L0#12bc["));
        QCOMPARE(f.account(hexAccount).pollTimer, pollTimerReload(10, 1));
        const QByteArray keyed =
            "has a DC-09 key: bare-IP text not answered, not queued, not taken as a poll] ";
        QCOMPARE(f.loggedRejections(),
                 QByteArrayList(
                     {"[clear message for an account with a key] " + clearFrame.mid(1).chopped(1),
                      "[account 5801 " + keyed + "POLL5801#A",
                      "[account 5801 " + keyed + burglaryText}));
    }

    // A captured encrypted frame sent again with another sequence number in its clear header is
    // answered like a repeat, never queued again.
    void aReplayedFrameIsQueuedOnce() {
        Dc09Fixture f;
        QVERIFY(f.writeKeys("5801 " + aesKey256.toHex() + "\n"));
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray body = encrypted("ADM-CID", "0042", "R0L0", "5801", burglary, aesKey256,
                                          stamp(QDateTime::currentDateTimeUtc()));
        QByteArray replayed = body;
        replayed.replace("\"0042R0L0", "\"0043R0L0");
        panel.send(frame(body));
        QVERIFY(readFrame(panel).contains("\"*ACK\"0042R0L0#5801["));
        panel.send(frame(replayed));
        QVERIFY(readFrame(panel).contains("\"*ACK\"0043R0L0#5801["));
        QVERIFY(f.queueMarker(panel));
        QCOMPARE(f.pendingBeforeMarker(), QByteArrayList({"[127.0.0.1]" + burglaryText}));
    }

    // The same ciphertext under the account written with leading zeros (one account by its
    // number, so one key) is the same message: answered, never queued again.
    void aReplayUnderAPaddedAccountIsQueuedOnce() {
        Dc09Fixture f;
        QVERIFY(f.writeKeys("5801 " + aesKey128 + "\n"));
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        const QByteArray body = encrypted("ADM-CID", "0042", "R0L0", "5801", "1130 01 001",
                                          aesKey128, stamp(QDateTime::currentDateTimeUtc()));
        for (const char *account : {"#5801[", "#05801[", "#005801["}) {
            panel.send(frame(QByteArray(body).replace("#5801[", account)));
            QVERIFY(readFrame(panel).contains("\"*ACK\"0042R0L0" + QByteArray(account)));
        }
        QVERIFY(f.queueMarker(panel));
        QCOMPARE(f.pendingBeforeMarker(), QByteArrayList({"[127.0.0.1]" + burglaryText}));
    }

    // A sender of a datagram may be forged: an answer larger than what it sent is not sent.
    void aDatagramGetsNoLargerAnswer() {
        Dc09Fixture f;
        QVERIFY(f.start());
        DatagramPanel panel(f.port());
        const QByteArray small = frame("\"X\"0001L0#123[]");
        panel.socket.writeDatagram(small, QHostAddress::LocalHost, f.port());
        // Datagrams are taken in order: the first answer is the NULL's.
        QCOMPARE(panel.exchange(frame(clear("NULL", "0002", "L0#5801", {}))),
                 reply("ACK", "0002L0#5801[]"));
        QVERIFY(f.waitForLogLines(LogBook::ConversionLog, 1));
        QCOMPARE(f.loggedRejections(),
                 QByteArrayList({"[unknown ID X] " + small.mid(1).chopped(1)}));
    }

    // A key of 32 hex digits that a panel uses as 32 characters: its frames are taken with that
    // reading, and the exception log says once which reading the panel uses, never the key.
    void aKeyOf32HexDigitsIsTriedBothWays() {
        Dc09Fixture f;
        const QByteArray written = "0123456789ABCDEF0123456789ABCDEF";
        QVERIFY(f.writeKeys("5801 " + written + "\n"));
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        for (int i = 0; i < 2; ++i) {
            panel.send(nullFrame("5801", written));
            const QByteArray answer = readFrame(panel);
            QVERIFY2(decryptedBlock(answer, written).contains(']'), answer.constData());
        }
        QCOMPARE(f.account(5801).pollTimer, pollTimerReload(10, 1));
        const QByteArrayList logged = f.loggedRejections();
        QCOMPARE(logged.size(), 1);
        QVERIFY2(logged.at(0).startsWith("[the panel of account 5801 uses its key of 32 hex "
                                         "digits as 32 characters") &&
                     !logged.at(0).contains(written),
                 logged.at(0).constData());
    }
};

QTEST_MAIN(Dc09TrustTest)
#include "test_dc09trust.moc"
