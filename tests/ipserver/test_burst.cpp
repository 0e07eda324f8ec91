#include "decoder/messagedecoder.h"
#include "ipserver/ipserverfixture.h"
#include "strings/eventtexts.h"
#include "support/barepanel.h"

#include <QDeadlineTimer>
#include <QtTest>
#include <limits>

namespace {

constexpr int panelCount = 100;
constexpr int reportsPerPanel = 10;
constexpr qint64 itemCostNs = 3'000'000;
// Items a tick decodes at most: those that fit its budget, and the one that reaches it.
constexpr int itemsPerTick = int(Engine::decodeBudgetNs / itemCostNs) + 1;

QByteArray accountOf(int panel) {
    return QByteArray::number(1100 + panel);
}

QByteArray zoneOf(int report) {
    return QByteArray::number(report + 1).rightJustified(3, '0');
}

// A burglary report of the panel with a valid check digit, one zone per report.
QByteArray contactIdReport(int panel, int report) {
    return contactIdWithCheckDigit(accountOf(panel) + "18113001" + zoneOf(report));
}

// The automation line the report becomes.
QByteArray automationLine(int panel, int report) {
    return "5041 18" + accountOf(panel) + "E13001" + zoneOf(report);
}

// A panel that sends its next report only once the last one is acknowledged.
class BurstPanel : public QObject {
public:
    explicit BurstPanel(int number)
        : m_number(number) {
        connect(&m_socket, &QTcpSocket::connected, this, &BurstPanel::sendNext);
        connect(&m_socket, &QTcpSocket::readyRead, this, &BurstPanel::onReply);
    }
    void connectTo(quint16 port) { m_socket.connectToHost(QHostAddress::LocalHost, port); }
    int acknowledged() const { return m_acknowledged; }
    int wrongReplies() const { return m_wrongReplies; }

private:
    void onReply() {
        m_received += m_socket.readAll();
        while (m_received.size() >= ack.size()) {
            if (m_received.startsWith(ack))
                ++m_acknowledged;
            else
                ++m_wrongReplies;
            m_received.remove(0, ack.size());
            sendNext();
        }
    }
    void sendNext() {
        if (m_sent < reportsPerPanel)
            m_socket.write(contactIdReport(m_number, m_sent++));
    }

    QTcpSocket m_socket;
    int m_number;
    int m_sent = 0;
    int m_acknowledged = 0;
    int m_wrongReplies = 0;
    QByteArray m_received;
};

// The whole road of the program: the IP receiver, the engine with the real decoder, and the Tx
// link to a receiver that acknowledges at once. The decoder's clock moves by a fixed cost per item.
struct BurstFixture : IpServerFixture {
    EventTexts texts;
    MessageDecoder decoder{lists,
                           txQueue,
                           logs,
                           accounts,
                           texts,
                           {[this] {
                                return DecoderSettings{
                                    {settings.text(SettingKey::RxNum).toLatin1(),
                                     settings.text(SettingKey::RxLine).toLatin1()},
                                    OutputFormat(settings.integer(SettingKey::OutputFormat))};
                            },
                            [this] { engine.txLink().reloadAttemptsIfIdle(); }}};
    AutomationReceiver receiver{AutomationReceiver::Reply::Ack};
    qint64 now = 0;
    int decodedInTick = 0;

    BurstFixture() {
        engine.setClock([this] { return now; });
        engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
            ++decodedInTick;
            now += itemCostNs;
            decoder.Process_data(source, message);
        });
        settings.setText(SettingKey::HeartBeat, QStringLiteral("0"));
        settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
        settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
        settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
        engine.startStop(5);
        // No self-test of the server: the link talks to the receiver alone.
        engine.txLink().setSelfTestCountdown(std::numeric_limits<int>::max());
    }

    // A tick while the link waits for an ACK that has not arrived yet would count its time-out
    // down faster than any receiver answers; the events run instead until the reply is in.
    bool linkWaitsForReply() {
        return engine.txLink().state().TxWaitTicks > 0 && engine.slot(5).rxText.isEmpty() &&
               engine.slot(5).quietTicks == 0;
    }

    QList<QByteArray> deliveredLines() const {
        QList<QByteArray> lines = receiver.received().split('\x14');
        lines.removeLast(); // after the last terminator
        return lines;
    }
};

} // namespace

class TestBurst : public QObject {
    Q_OBJECT
private slots:
    void burstOfContactIdReportsIsDeliveredInEachPanelsOrder();
};

// 1,000 reports from 100 panels at once: each is acknowledged, decoded and delivered once, every
// panel's reports keep their order in the list and at the automation software, and no tick
// decodes more than its budget and the one item that reaches it.
void TestBurst::burstOfContactIdReportsIsDeliveredInEachPanelsOrder() {
    BurstFixture f;
    QVERIFY(f.start());
    std::vector<std::unique_ptr<BurstPanel>> panels;
    for (int panel = 0; panel < panelCount; ++panel) {
        panels.push_back(std::make_unique<BurstPanel>(panel));
        panels.back()->connectTo(f.port());
    }

    constexpr int total = panelCount * reportsPerPanel;
    int fullTicks = 0;
    QDeadlineTimer deadline(60000);
    const auto done = [&] {
        return f.deliveredLines().size() >= total && f.txQueue.isEmpty() &&
               f.engine.pendingMessages().isEmpty();
    };
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (f.linkWaitsForReply())
            continue;
        f.decodedInTick = 0;
        f.engine.tick();
        QVERIFY2(f.decodedInTick <= itemsPerTick, qPrintable(QString::number(f.decodedInTick)));
        // A tick stops decoding only when its budget is spent or nothing is left.
        if (f.decodedInTick > 0 && f.decodedInTick < itemsPerTick)
            QVERIFY(f.engine.pendingMessages().isEmpty());
        if (f.decodedInTick == itemsPerTick)
            ++fullTicks;
    }
    QVERIFY(done());
    QVERIFY(fullTicks > 0); // the burst outran the budget

    for (const auto &panel : panels) {
        QCOMPARE(panel->acknowledged(), reportsPerPanel);
        QCOMPARE(panel->wrongReplies(), 0);
    }
    QCOMPARE(f.lists.contactId.rowCount(), total);
    QMap<QByteArray, QByteArrayList> listed; // zones of each account, in list order
    for (int row = 0; row < total; ++row)
        listed[f.lists.contactId.cell(row, 2)].append(f.lists.contactId.cell(row, 6));
    QMap<QByteArray, QByteArrayList> delivered; // lines of each account, in delivery order
    for (const QByteArray &line : f.deliveredLines())
        delivered[line.mid(7, 4)].append(line);
    QCOMPARE(delivered.size(), panelCount);
    for (int panel = 0; panel < panelCount; ++panel) {
        QByteArrayList zones;
        QByteArrayList lines;
        for (int report = 0; report < reportsPerPanel; ++report) {
            zones.append(zoneOf(report));
            lines.append(automationLine(panel, report));
        }
        QCOMPARE(listed.value(accountOf(panel)), zones);
        QCOMPARE(delivered.value(accountOf(panel)), lines);
    }
}

QTEST_GUILESS_MAIN(TestBurst)
#include "test_burst.moc"
