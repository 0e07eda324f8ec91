#include "ipserverfixture.h"
#include "store/queuejournal.h"
#include "support/journalfile.h"

#include <QRandomGenerator>
#include <QtTest>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int clientCount = 1000;
// Both ends of every connection live in this process: two descriptors per panel, with room for
// the logs and the journal.
constexpr rlim_t neededFiles = 2500;

// Raises the open-file limit as far as the system lets this process; the limit reached.
rlim_t raiseOwnOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    const rlim_t wanted = std::max<rlim_t>(8192, limit.rlim_cur);
    rlimit raised{wanted, std::max(wanted, limit.rlim_max)};
    if (setrlimit(RLIMIT_NOFILE, &raised) != 0) {
        raised = {std::min(wanted, limit.rlim_max), limit.rlim_max};
        setrlimit(RLIMIT_NOFILE, &raised);
    }
    getrlimit(RLIMIT_NOFILE, &limit);
    return limit.rlim_cur;
}

// A Contact ID report whose digit sum is valid: account, "18", event, group, zone, check digit.
QByteArray contactId(int account, int zone) {
    QByteArray report = "2" + QByteArray::number(1000 + account % 9000) + "18113001" +
                        QByteArray::number(zone).rightJustified(3, '0');
    int sum = 0;
    for (qsizetype i = 1; i < report.size(); ++i)
        sum += report.at(i) == '0' ? 10 : report.at(i) - '0';
    const int check = 15 - sum % 15; // 1..15
    return report + (check == 10 ? '0' : check < 10 ? char('0' + check) : char('A' + check - 10));
}

// A panel's valid text, each one different: every one must be answered and queued once.
QByteArray validText(int client, int n) {
    const int account = client * 3 + n;
    switch ((client + n) % 4) {
    case 0:
        return "9V" + QByteArray::number(client) + '-' + QByteArray::number(n);
    case 1:
        return "3F#" + QByteArray::number(100000 + account) + "xHNri1BA001y@";
    case 2:
        return contactId(client, n + 1);
    default:
        return "1" + QByteArray::number(1000 + account % 9000) + "12345678" + "x";
    }
}

// Random bytes that no rule recognises: no format digit first, no "POLL", no "IP TEST".
QByteArray garbage(QRandomGenerator &random) {
    QByteArray bytes(int(random.bounded(1, 200)), '\0');
    for (char &byte : bytes) {
        byte = char(random.bounded(256));
        if (byte == 'P' || byte == 'I')
            byte = 'x';
    }
    bytes[0] = 'G';
    return bytes;
}

// A panel driven by the event loop: it sends its next text only once the reply to the last one
// has come, then its unanswered tail, and then closes or stays silent.
class Client : public QObject {
public:
    enum class Kind { Valid, Garbage, Half, Silent };

    Client(Kind kind, QList<QByteArray> script, QByteArray tail)
        : m_kind(kind)
        , m_script(std::move(script))
        , m_tail(std::move(tail)) {
        connect(&m_socket, &QTcpSocket::readyRead, this, &Client::onReply);
    }

    void connectTo(quint16 port) { m_socket.connectToHost(QHostAddress::LocalHost, port); }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    bool isClosed() const { return m_socket.state() == QAbstractSocket::UnconnectedState; }
    void start() { sendNext(); }
    int replies() const { return m_replies; }
    int wrongReplies() const { return m_wrongReplies; }
    const QList<QByteArray> &script() const { return m_script; }
    Kind kind() const { return m_kind; }

private:
    void onReply() {
        m_received += m_socket.readAll();
        while (m_received.size() >= ack.size()) {
            if (!m_received.startsWith(ack))
                ++m_wrongReplies;
            m_received.remove(0, ack.size());
            ++m_replies;
            sendNext();
        }
    }
    void sendNext() {
        if (m_next < m_script.size()) {
            m_socket.write(m_script.at(m_next++));
            return;
        }
        if (!m_tail.isEmpty())
            m_socket.write(std::exchange(m_tail, QByteArray()));
        if (m_kind == Kind::Valid || m_kind == Kind::Garbage)
            m_socket.disconnectFromHost();
    }

    QTcpSocket m_socket;
    Kind m_kind;
    QList<QByteArray> m_script;
    QByteArray m_tail;
    QByteArray m_received;
    qsizetype m_next = 0;
    int m_replies = 0;
    int m_wrongReplies = 0;
};

std::vector<std::unique_ptr<Client>> makeClients() {
    QRandomGenerator random(20240611);
    std::vector<std::unique_ptr<Client>> clients;
    for (int c = 0; c < clientCount; ++c) {
        const auto kind = Client::Kind(c % 4);
        QList<QByteArray> script;
        QByteArray tail;
        const int valid = kind == Client::Kind::Valid ? 3 : kind == Client::Kind::Silent ? 0 : 1;
        for (int n = 0; n < valid; ++n)
            script << validText(c, n);
        if (kind == Client::Kind::Garbage)
            tail = garbage(random);
        if (kind == Client::Kind::Half) // a Fast Format report cut short, or a poll word
            tail = c % 8 == 2 ? "1" + QByteArray::number(1000 + c) + "12" : "POL";
        clients.push_back(std::make_unique<Client>(kind, script, tail));
    }
    return clients;
}

} // namespace

// A thousand panels at once on 127.0.0.1, some with good reports, some with garbage, some
// stopping half-way, some never saying a word: every report is answered and stored once, and
// the receiver ends with no connection left.
class ThousandConnectionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const rlim_t reached = raiseOwnOpenFileLimit();
        if (reached < neededFiles)
            QSKIP(qPrintable(u"the open-file limit stays at %1"_s.arg(quint64(reached))));
    }

    void mixedConnectionsAllAnsweredAndQueuedOnce() {
        IpServerFixture f;
        f.logs.setSaveEnabled(false);
        f.logs.setConnectionLogEnabled(false);
        QueueJournal journal;
        QVERIFY(journal.open(f.env.filePath(QueueJournal::fileName)).opened);
        f.server.setJournal(&journal);
        f.server.setIdleTimeout(15000); // the silent ones stay until all are connected
        int peak = 0;
        connect(&f.server.output(), &ReceiverOutput::threadCountChanged, this,
                [&peak](const QString &count) { peak = std::max(peak, count.toInt()); });
        QVERIFY(f.start());

        auto clients = makeClients();
        connectInHundreds(clients, f.port());
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), QString::number(clientCount), 20000);

        QByteArrayList expected;
        int expectedReplies = 0;
        for (auto &client : clients) {
            client->start();
            for (const QByteArray &text : client->script())
                expected << "[127.0.0.1]" + text;
            expectedReplies += int(client->script().size());
        }
        const auto replies = [&clients] {
            int total = 0;
            for (const auto &client : clients)
                total += client->replies();
            return total;
        };
        QTRY_COMPARE_WITH_TIMEOUT(replies(), expectedReplies, 30000);
        for (const auto &client : clients) {
            QCOMPARE(client->replies(), int(client->script().size()));
            QCOMPARE(client->wrongReplies(), 0);
        }

        // The silent and half-way panels are closed by the receiver; the others closed.
        QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 40000);
        QTRY_COMPARE_WITH_TIMEOUT(f.server.openConnections(), 0, 15000);
        for (const auto &client : clients)
            QTRY_VERIFY_WITH_TIMEOUT(client->isClosed(), 15000);
        QCOMPARE(peak, clientCount);

        QTRY_COMPARE_WITH_TIMEOUT(f.engine.pendingMessages().size(), expected.size(), 15000);
        compareQueuedAndStored(f, expected);
    }

private:
    template <typename Clients> static void connectInHundreds(Clients &clients, quint16 port) {
        for (int from = 0; from < clientCount; from += 100) {
            for (int c = from; c < from + 100; ++c)
                clients[size_t(c)]->connectTo(port);
            QTRY_VERIFY_WITH_TIMEOUT(
                std::all_of(clients.begin() + from, clients.begin() + from + 100,
                            [](const auto &client) { return client->isConnected(); }),
                20000);
        }
    }

    // The queue and the journal hold each expected text once, in any order.
    static void compareQueuedAndStored(IpServerFixture &f, QByteArrayList expected) {
        QByteArrayList queued = f.pendingTexts();
        QByteArrayList stored =
            JournalFile(f.env.filePath(QueueJournal::fileName)).pendingMessages();
        for (QByteArray &text : stored)
            text.prepend("[127.0.0.1]");
        std::sort(expected.begin(), expected.end());
        std::sort(queued.begin(), queued.end());
        std::sort(stored.begin(), stored.end());
        QCOMPARE(queued, expected);
        QCOMPARE(stored, expected);
    }
};

QTEST_GUILESS_MAIN(ThousandConnectionsTest)
#include "test_thousandconnections.moc"
