#include "dc09wirefixture.h"

#include "metrics/figures.h"
#include "protocol/messageaccount.h"
#include "support/barepanel.h"

#include <QtTest>

using namespace dc09panel;
using namespace dc09wire;

namespace {

// A burglary report of the account with a valid check digit.
QByteArray contactId(const QByteArray &account) {
    return contactIdWithCheckDigit(account + "18113001001");
}

// The accounts of "Pending Messages", in their order.
QByteArrayList accountsOf(const QByteArrayList &pending) {
    QByteArrayList accounts;
    for (const QByteArray &text : pending)
        accounts.append(messageAccount(text.mid(text.indexOf(']') + 1)).text);
    return accounts;
}

} // namespace

// "Known accounts only" over real sockets: account 5801 is in the account table, 4242 in the key
// file only, 7777 in neither.
class KnownAccountsTest : public QObject {
    Q_OBJECT

private slots:
    void onlyKnownAccountsReport_data() {
        QTest::addColumn<bool>("knownOnly");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    // On, an unknown account's report gets no ACK over bare IP and "DUH" over DC-09, is not
    // queued, and is logged and counted with its reason; its poll and link test are answered as
    // ever, and reports of the accounts either file knows are taken. Off, every account is.
    void onlyKnownAccountsReport() {
        QFETCH(bool, knownOnly);
        Dc09Fixture f;
        QVERIFY(f.writeKeys("4242 " + aesKey128 + "\n"));
        f.settings.setFlag(SettingKey::KnownAccountsOnly, knownOnly);
        QVERIFY(f.start());
        const quint64 refusedBefore = figures().refusedCount(Refusal::UnknownAccount);
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        // Each text is read on its own: the next goes once the last is answered or logged.
        panel.send(contactId("7777"));
        if (knownOnly)
            QVERIFY(f.waitForLogLines(LogBook::IpLog, 1));
        else
            QCOMPARE(panel.reply(3), ack);
        panel.send("POLL7777#A\r\n");
        QCOMPARE(panel.reply(3), ack);
        panel.send(burglaryText);
        QCOMPARE(panel.reply(3), ack);
        panel.send(frame(clear("SIA-DCS", "0001", "L0#7777", "#7777|NBA01")) +
                   frame(clear("NULL", "0002", "L0#7777", {})));
        const QByteArray siaReply = reply(knownOnly ? "DUH" : "ACK", "0001L0#7777[]");
        const QByteArray linkReply = reply("ACK", "0002L0#7777[]");
        QCOMPARE(panel.reply(siaReply.size() + linkReply.size()), siaReply + linkReply);
        panel.send(frame(encrypted("SIA-DCS", "0003", "L0", "4242", "#4242|NBA01", aesKey128,
                                   stamp(QDateTime::currentDateTimeUtc()))));
        QVERIFY(readFrame(panel).contains("\"*ACK\"0003L0#4242["));

        const QByteArrayList taken = knownOnly ? QByteArrayList{"5801", "4242"}
                                               : QByteArrayList{"7777", "5801", "7777", "4242"};
        QVERIFY(QTest::qWaitFor([&] { return f.pendingTexts().size() >= taken.size(); }, 15000));
        QCOMPARE(accountsOf(f.pendingTexts()), taken);
        QCOMPARE(figures().refusedCount(Refusal::UnknownAccount) - refusedBefore,
                 quint64(knownOnly ? 2 : 0));
        const QByteArrayList reasons = f.loggedRejections();
        QCOMPARE(reasons.size(), knownOnly ? 2 : 0);
        for (const QByteArray &reason : reasons)
            QVERIFY2(reason.startsWith("[unknown account 7777: in neither Accounts.PDB nor "
                                       "Dc09Keys.txt, and \"Known accounts only\" is on: not "),
                     reason.constData());
    }
};

QTEST_MAIN(KnownAccountsTest)
#include "test_knownaccounts.moc"
