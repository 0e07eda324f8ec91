#include "common/openfilelimit.h"
#include "ipserver/ipserverfixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A panel on a plain non-blocking socket, so that connecting runs no event loop of the test's.
struct RawPanel {
    int fd = -1;
    QByteArray received;

    explicit RawPanel(quint16 port)
        : RawPanel() {
        connectTo(port);
    }
    RawPanel()
        : fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0)) {}
    void connectTo(quint16 port) const {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    ~RawPanel() {
        if (fd >= 0)
            ::close(fd);
    }
    RawPanel(const RawPanel &) = delete;
    RawPanel &operator=(const RawPanel &) = delete;

    bool connected() const {
        pollfd entry{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        return ::poll(&entry, 1, 0) == 1 && (entry.revents & POLLOUT) &&
               ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    bool send(const QByteArray &bytes) const {
        return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    void readWaiting() {
        char buffer[64];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, got);
    }
};

using Panels = std::vector<std::unique_ptr<RawPanel>>;

Panels connectRaw(quint16 port, int count) {
    Panels panels;
    for (int i = 0; i < count; ++i)
        panels.push_back(std::make_unique<RawPanel>(port));
    return panels;
}

// Waits without running the event loop: only the system completes connections meanwhile.
int connectedWithoutAccepting(const Panels &panels) {
    int connected = 0;
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); ::usleep(20000)) {
        connected = int(std::count_if(panels.begin(), panels.end(),
                                      [](const auto &panel) { return panel->connected(); }));
        if (connected == int(panels.size()))
            break;
    }
    return connected;
}

bool everyAck(Panels &panels) {
    return QTest::qWaitFor(
        [&panels] {
            return std::all_of(panels.begin(), panels.end(), [](const auto &panel) {
                panel->readWaiting();
                return panel->received == ack;
            });
        },
        30000);
}

int openDescriptors() {
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size());
}

long somaxconn() {
    QFile file(u"/proc/sys/net/core/somaxconn"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLong() : 0;
}

} // namespace

// The limits of the receiver at scale: connections that arrive faster than they are accepted,
// and a process that runs out of descriptors.
class TestConnectionLimits : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const OpenFileLimit limit = raiseOpenFileLimit();
        if (limit.after >= 0 && limit.after < 4000)
            QSKIP("the hard open-file limit is too low for a thousand connections");
    }

    // A thousand panels connect while the server accepts nothing (a burst after an outage):
    // the system completes and queues every one of them, and each is then served.
    void aThousandConnectionsQueuedWhileNoneIsAccepted() {
        if (somaxconn() < 1000)
            QSKIP("the system caps listen queues below a thousand");
        IpServerFixture f;
        f.logs.setSaveEnabled(false);
        f.logs.setConnectionLogEnabled(false);
        QVERIFY(f.start());
        const int descriptorsBefore = openDescriptors();
        Panels panels = connectRaw(f.port(), 1000);
        QCOMPARE(connectedWithoutAccepting(panels), 1000);
        for (std::size_t i = 0; i < panels.size(); ++i)
            QVERIFY(panels[i]->send("9\x03 panel " + QByteArray::number(qulonglong(i))));
        QVERIFY(everyAck(panels));
        QTRY_COMPARE_WITH_TIMEOUT(f.engine.pendingMessages().size(), 1000, 30000);
        QCOMPARE(f.server.threadCount(), u"1000"_s);
        // One descriptor per connection on each side, nothing per connection thread: the
        // descriptors are what limits the count of panels.
        const int held = openDescriptors() - descriptorsBefore;
        QVERIFY2(held <= 2000 + 50, QByteArray::number(held).constData());
        panels.clear();
        QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), u"0"_s, 30000);
    }

    // Out of descriptors, the server cannot take the connections that come; they wait in the
    // system's queue, and once descriptors are free again the server takes and serves every one
    // of them, without a restart. The process goes on all the while.
    void connectionsWaitingWhileDescriptorsRanOutAreServedAfterwards() {
        IpServerFixture f;
        f.logs.setSaveEnabled(false);
        f.logs.setConnectionLogEnabled(false);
        QVERIFY(f.start());
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        // The panels' sockets first: the server accepts on its own threads meanwhile.
        Panels panels;
        for (int i = 0; i < 25; ++i)
            panels.push_back(std::make_unique<RawPanel>());
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(openDescriptors() + 5);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        for (const auto &panel : panels)
            panel->connectTo(f.port());
        // Connections are taken until the descriptors run out, all in one go.
        QTRY_VERIFY_WITH_TIMEOUT(f.server.openConnections() > 0, 15000);
        // Their threads start and serve while no descriptor is free; one the system could not
        // register at the limit is let go again, so the count is read once the two agree.
        QTRY_VERIFY_WITH_TIMEOUT(
            f.server.threadCount() == QString::number(f.server.openConnections()), 15000);
        const int heldAtTheLimit = f.server.openConnections();
        QVERIFY(heldAtTheLimit > 0);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
        QVERIFY2(heldAtTheLimit < 25, QByteArray::number(heldAtTheLimit).constData());

        for (const auto &panel : panels)
            QVERIFY(panel->send("IP TEST"));
        QVERIFY(everyAck(panels));
        QCOMPARE(f.server.threadCount(), u"25"_s);
    }
};

QTEST_GUILESS_MAIN(TestConnectionLimits)
#include "test_connectionlimits.moc"
