#include "support/automationreceiver.h"
#include "support/txfixture.h"

#include <QtTest>
#include <limits>

// An alarm's automation line leaves on the tick that decodes the alarm: the decoder runs before
// the transmit step, so the line does not wait a whole tick in "Tx Pending".
class DecodedLineTest : public QObject {
    Q_OBJECT

private slots:
    void lineIsSentOnTheTickThatDecodesItsMessage() {
        AutomationReceiver receiver(AutomationReceiver::Reply::Silent);
        TxFixture f;
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("0"));
        f.engine.txLink().setSelfTestCountdown(std::numeric_limits<int>::max());
        f.engine.setDecoder([&f](const QByteArray &source, const QByteArray &message) {
            f.queue(source + ' ' + message); // as the decoder queues its lines
        });
        f.useTcp(receiver.port());
        f.run(2); // nothing to send yet

        f.engine.pendingMessages().append("RX3", "2alarm");
        f.run(1);
        QCOMPARE(f.ticksOf(f.sends), QList<int>{3});
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), QByteArray("RX3 2alarm\x14"), 10000);
        QVERIFY(f.engine.pendingMessages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(DecodedLineTest)
#include "test_decodedline.moc"
