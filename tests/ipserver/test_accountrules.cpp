#include "dc09wirefixture.h"

#include "decoder/messagedecoder.h"
#include "protocol/messageaccount.h"
#include "strings/eventtexts.h"
#include "support/barepanel.h"
#include "support/ptypair.h"

#include <QtTest>

using namespace dc09wire;

namespace {

// The whole centre: panels on the IP port and on Zorer-Uda 1, the decoder, and the Tx link to a
// loopback automation receiver. Account 1230 has a DC-09 key; the others are set per test.
struct Centre : Dc09Fixture {
    EventTexts texts;
    MessageDecoder decoder{
        lists,
        txQueue,
        logs,
        accounts,
        texts,
        MessageDecoder::Hooks{[] {
                                  return DecoderSettings{{"04", "1"}, OutputFormat::HighSpeed};
                              },
                              [this] { engine.txLink().reloadAttemptsIfIdle(); }}};
    PtyPair pty;
    AutomationReceiver receiver{AutomationReceiver::Reply::Ack};

    Centre() {
        engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
            decoder.Process_data(source, message);
        });
        settings.setDevice(0, pty.slavePath());
        settings.setInteger(SettingKey::Port1Num, 0);
        engine.startStop(1);
        settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
        settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
        settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
        engine.startStop(5);
    }

    bool ready() {
        if (!writeKeys("1230 " + aesKey128 + "\n") || !start())
            return false;
        return serial("RING 1234567\rCONNECT 1200\r").isEmpty();
    }
    // What the unit gets back for a text from it.
    QByteArray serial(const QByteArray &text) {
        pty.write(text);
        if (!QTest::qWaitFor([&] { return engine.slot(1).rxText == text; }, 10000))
            return "not read: " + engine.slot(1).rxText;
        run(4);
        settle();
        return pty.readAvailable();
    }
    void run(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            settle(1);
            engine.tick();
        }
    }
    QByteArrayList delivered() const {
        QByteArrayList lines = receiver.received().split('\x14');
        lines.removeLast();
        return lines;
    }
    // Ticks until `count` lines reached the automation receiver.
    QByteArrayList deliveredAtLeast(qsizetype count) {
        for (int i = 0; i < 1000 && delivered().size() < count; ++i)
            run(1);
        return delivered();
    }
    void bind(quint32 number, const QByteArray &address) {
        if (!account(number).optionBits)
            addAccount(number, 0, 0, AccountRecord::MatchNuaIp);
        accounts.update(number, [&](AccountRecord &record) { record.nuaIp = address; });
    }
};

struct Form {
    const char *name;
    QByteArray text;
    quint32 account;
    QByteArray line;
};

const QList<Form> forms{
    {"Contact ID, 4 digits", "22468181130010050", 2468, "5041 182468E13001005"},
    {"Contact ID, 5 digits", "224681181130010040", 24681, "5041 1824681E13001004"},
    {"Contact ID, 6 digits", "2246813181130010010", 246813, "5041 18246813E13001001"},
    {"Contact ID, A for 0", "2246A181130010030", 2460, "5041 182460E13001003"},
    {"Fast Format, 4 channels", "17531555555551", 7531, "80417531 5555 5555 1"},
    {"Fast Format, 16 channels", "1753111112222333344441", 7531, "80417531 1111 2222 3333 4444 1"},
    {"SIA", "3D#2468xHNri1BA001y@", 2468, "S041[#2468|Nri1BA001]"},
};

} // namespace

// Whose alarm is it: the account every rule is applied to is the account of the line the
// automation software receives, for every form, on the IP port and on a Zorer-Uda line.
class TestAccountRules : public QObject {
    Q_OBJECT
private slots:
    void eachFormIsDeliveredUnderTheAccountItsRulesSaw();
    void forgedTextsDeliverNothingUnderAProtectedAccount();
};

// Bound to another address, a form's account takes nothing from this sender; bound to this
// sender, the form is delivered under that account. So the rules saw the delivered account.
void TestAccountRules::eachFormIsDeliveredUnderTheAccountItsRulesSaw() {
    Centre f;
    QVERIFY(f.ready());
    QByteArrayList expected;
    for (const Form &form : forms) {
        f.bind(form.account, "10.9.9.9");
        QVERIFY2(barePanelDelivered(f.port(), form.text), form.name); // withdrawn, not queued
        QCOMPARE(f.serial(form.text), QByteArray());                  // refused: no ACK
        f.bind(form.account, "127.0.0.1");
        QVERIFY2(barePanelDelivered(f.port(), form.text), form.name);
        f.bind(form.account, "1234567");
        QCOMPARE(f.serial(form.text), QByteArray("\x06\r"));
        expected << form.line << form.line;
        QCOMPARE(f.deliveredAtLeast(expected.size()), expected);
    }
    f.run(20);
    QCOMPARE(f.delivered(), expected);
}

// The texts a review sent under keyed account 1230 and bound account 1240: none is delivered
// under either, whoever reads the line. A forwarding monitor's lines are taken as they come.
void TestAccountRules::forgedTextsDeliverNothingUnderAProtectedAccount() {
    Centre f;
    QVERIFY(f.ready());
    f.bind(1240, "10.9.9.9");
    Panel panel(f.port());
    QVERIFY(panel.waitConnected());
    const QByteArrayList unanswered{"95041 181230E13001003", "2123A181130010013",
                                    "3F#1230|X HNri1/BA01 @", "11230ABCDABCDABCDABCD1"};
    for (qsizetype i = 0; i < unanswered.size(); ++i) {
        panel.send(unanswered.at(i));
        QVERIFY(f.waitForLogLines(LogBook::IpLog, i + 1)); // read, and not answered
    }
    panel.send("2124A181130010012");
    QCOMPARE(panel.reply(3), ack); // the first answer: answered, withdrawn
    QCOMPARE(f.serial("2124A181130010012"), QByteArray());
    QVERIFY(barePanelDelivered(f.port(), "17531555555551"));
    QCOMPARE(f.deliveredAtLeast(1), QByteArrayList{"80417531 5555 5555 1"});

    f.settings.setText(SettingKey::ForwardingMonitors, QStringLiteral("10.1.1.1, 127.0.0.1"));
    QVERIFY(barePanelDelivered(f.port(), "95041 181230E13001003"));
    QCOMPARE(f.deliveredAtLeast(2),
             QByteArrayList({"80417531 5555 5555 1", "5041 181230E13001003"}));
    const QByteArrayList refusals = f.loggedRejections();
    QCOMPARE(refusals.size(), 5);
    QCOMPARE(refusals.at(0), "[a forwarded line for account 1230, which takes its reports from "
                             "its own panel only, sent from 127.0.0.1, which is not a forwarding "
                             "monitor: not answered, not queued] 95041 181230E13001003");
    QCOMPARE(refusals.at(2), "[account 1230|X holds a character its form does not use: not "
                             "answered, not queued] 3F#1230|X HNri1/BA01 @");
}

QTEST_GUILESS_MAIN(TestAccountRules)
#include "test_accountrules.moc"
