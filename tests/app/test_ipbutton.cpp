#include "accounts/pollsupervision.h"
#include "app/receiverdisplay.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "support/automationreceiver.h"
#include "ui/ledindicator.h"
#include "ui/windowfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

const QString refusal = u"Close all the connections already connected to Voduro."_s;

// Both windows over the real receiver on 127.0.0.1, wired as the program wires them.
struct IpWindowFixture : WindowFixture {
    PollReportLines reportLines{settings, txQueue, logs};
    PollSupervision polls{accounts, reportLines, [] { return 1; }};
    IpServer server{accounts, polls, logs};

    IpWindowFixture() {
        server.setListenAddress(QHostAddress::LocalHost);
        connectReceiverToEngine(server.output(), engine);
        showReceiverOnWindows(server.output(), main, setup);
        engine.setIpServer(&server);
    }
    ~IpWindowFixture() { server.deactivate(); }

    void clickStartIp() { QTest::mouseClick(control<QPushButton>(u"StartIP"_s), Qt::LeftButton); }
    QString text(const QString &name) {
        if (auto *field = setup.findChild<QLineEdit *>(name))
            return field->text();
        return control<QLabel>(name)->text();
    }
};

} // namespace

// START IP / STOP IP as the operator uses it, and what the connections show on the windows.
class TestIpButton : public QObject {
    Q_OBJECT
private slots:
    void startAndStopFollowTheButtonAndRefuseWhileConnected();
};

void TestIpButton::startAndStopFollowTheButtonAndRefuseWhileConnected() {
    IpWindowFixture f;
    const quint16 port = unusedLoopbackPort();
    f.control<QSpinBox>(u"PortEdit"_s)->setValue(port);
    f.clickStartIp();
    QVERIFY(f.server.isActive());
    QCOMPARE(f.server.serverPort(), port);
    QCOMPARE(f.control<QPushButton>(u"StartIP"_s)->text(), u"STOP IP"_s);
    QVERIFY(f.settings.flag(SettingKey::TcpOpen));
    f.ticks(1);
    QVERIFY(f.control<QLabel>(u"ComLabIP"_s)->isEnabled());
    QVERIFY(!f.control<LedIndicator>(u"ConnectedLED3"_s)->isLit());

    // Connected: shown on both windows, and the button only refuses.
    QDir().mkdir(f.env.filePath(LogBook::ConnectionLog)); // a disconnection cannot be logged
    f.logs.setConnectionLogEnabled(true);
    QTcpSocket panel;
    panel.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(panel.waitForConnected(15000));
    QTRY_COMPARE_WITH_TIMEOUT(f.text(u"ThreadCount"_s), u"1"_s, 15000);
    panel.write("POLL99999999999#A");
    QTRY_COMPARE_WITH_TIMEOUT(f.text(u"ErrorAcc"_s), u"99999999999"_s, 15000);
    f.ticks(1);
    QVERIFY(f.control<LedIndicator>(u"ConnectedLED3"_s)->isLit());
    QCOMPARE(f.text(u"Pad_NUA3"_s), u"127.0.0.1"_s);
    f.clickStartIp();
    QCOMPARE(f.dialogs.texts(), QStringList{refusal});
    QCOMPARE(f.dialogs.asked.first().kind, ScriptedDialogs::Entry::Notice);
    QVERIFY(f.server.isActive());
    QCOMPARE(f.control<QPushButton>(u"StartIP"_s)->text(), u"STOP IP"_s);
    QVERIFY(f.settings.flag(SettingKey::TcpOpen));
    QCOMPARE(panel.state(), QAbstractSocket::ConnectedState);

    panel.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(f.text(u"ThreadCount"_s), u"0"_s, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(f.text(u"ComLabTx"_s), u"Tx Link1"_s, 15000);
    f.ticks(1);
    QVERIFY(!f.control<LedIndicator>(u"ConnectedLED3"_s)->isLit());
    QCOMPARE(f.text(u"Pad_NUA3"_s), u"----------"_s);

    // Without connections the button stops the server.
    f.clickStartIp();
    QCOMPARE(f.dialogs.asked.size(), 1);
    QVERIFY(!f.server.isActive());
    QCOMPARE(f.control<QPushButton>(u"StartIP"_s)->text(), u"START IP"_s);
    QVERIFY(!f.settings.flag(SettingKey::TcpOpen));
    f.ticks(1);
    QVERIFY(!f.control<QLabel>(u"ComLabIP"_s)->isEnabled());

    // A second unloggable disconnection: the label counts on from the caption.
    f.clickStartIp();
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(second.waitForConnected(15000));
    QTRY_COMPARE_WITH_TIMEOUT(f.text(u"ThreadCount"_s), u"1"_s, 15000);
    second.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(f.text(u"ComLabTx"_s), u"Tx Link2"_s, 15000);
}

QTEST_MAIN(TestIpButton)
#include "test_ipbutton.moc"
