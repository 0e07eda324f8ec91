#include "common/openfilelimit.h"
#include "ipserver/ipserverfixture.h"
#include "store/queuejournal.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int panelCount = 2000;

// The threads of this process, as the system counts them.
int processThreads() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    return -1;
}

int connectTo(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    return fd;
}

// Waits on every descriptor until each has `size` bytes or is closed; what each received.
std::vector<QByteArray> collect(const std::vector<int> &fds, qsizetype size, int timeoutMs) {
    std::vector<QByteArray> received(fds.size());
    std::vector<bool> done(fds.size(), false);
    std::size_t left = fds.size();
    for (QDeadlineTimer deadline(timeoutMs); left > 0 && !deadline.hasExpired();) {
        std::vector<pollfd> waiting;
        std::vector<std::size_t> index;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (!done[i]) {
                waiting.push_back({fds[i], POLLIN, 0});
                index.push_back(i);
            }
        }
        ::poll(waiting.data(), nfds_t(waiting.size()), 200);
        for (std::size_t w = 0; w < waiting.size(); ++w) {
            if (!(waiting[w].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const std::size_t i = index[w];
            char buffer[64];
            const ssize_t got = ::read(fds[i], buffer, sizeof buffer);
            if (got > 0)
                received[i].append(buffer, got);
            if (got <= 0 || received[i].size() >= size) {
                done[i] = true;
                --left;
            }
        }
    }
    return received;
}

} // namespace

// Two thousand panels connected at once, every one polled and answered, then a stop: the
// receiver serves them from its few I/O threads, whatever their number.
class TestManyConnections : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const OpenFileLimit limit = raiseOpenFileLimit();
        if (limit.after >= 0 && limit.after < 2 * panelCount + 200)
            QSKIP("the open-file limit is too low for two thousand connections");
    }

    void twoThousandPanelsPolledAnsweredAndStopped() {
        IpServerFixture f;
        f.logs.setSaveEnabled(false);
        f.logs.setConnectionLogEnabled(false);
        QueueJournal journal;
        QVERIFY(journal.open(f.env.filePath(QueueJournal::fileName)).opened);
        f.server.setJournal(&journal);
        f.engine.setJournal(&journal); // the queues kept as the program keeps them
        f.addAccount(5801, 10);
        const int threadsBefore = processThreads();
        QVERIFY(f.start());
        const int threadsServing = processThreads();
        QCOMPARE(threadsServing - threadsBefore, f.server.ioThreads());

        std::vector<int> fds;
        for (int i = 0; i < panelCount; ++i)
            fds.push_back(connectTo(f.port()));
        QTRY_COMPARE_WITH_TIMEOUT(f.server.threadCount(), QString::number(panelCount), 60000);
        QCOMPARE(processThreads(), threadsServing);

        const QByteArray poll = "POLL5801#A\r\n";
        for (int fd : fds)
            QCOMPARE(::write(fd, poll.constData(), size_t(poll.size())), poll.size());
        const QByteArray reply = QByteArray("[P]\0\x0A", 5) + ack;
        const std::vector<QByteArray> replies = collect(fds, reply.size(), 60000);
        QCOMPARE(qsizetype(std::count(replies.begin(), replies.end(), reply)),
                 qsizetype(panelCount));
        QTRY_COMPARE_WITH_TIMEOUT(f.engine.pendingMessages().size(), panelCount, 30000);
        QCOMPARE(f.engine.pendingMessages().first().text(), QByteArray("[127.0.0.1]POLL5801#A"));
        QCOMPARE(processThreads(), threadsServing);
        // A poll of an account that is not failed does not wait for the disk; one that
        // restores a failed account waits until its restore line is on it.
        QCOMPARE(journal.flushCount(), quint64(0));
        f.accounts.update(5801, [](AccountRecord &record) { record.pollFailed = 1; });
        QCOMPARE(::write(fds[0], poll.constData(), size_t(poll.size())), poll.size());
        QCOMPARE(collect({fds[0]}, reply.size(), 30000).front(), reply);
        QVERIFY(journal.flushCount() >= 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.txQueue.lines(), QList<QByteArray>{"5041 185801R35001000"},
                                  15000);

        QElapsedTimer stopping;
        stopping.start();
        f.server.deactivate();
        const qint64 stopMs = stopping.elapsed();
        qInfo("stopped with %d connections open in %lld ms", panelCount, qlonglong(stopMs));
        QVERIFY2(stopMs < 10000, "the stop waited for the connections");
        QCOMPARE(f.server.threadCount(), u"0"_s);
        QVERIFY(processThreads() < threadsServing); // the I/O threads have ended
        const std::vector<QByteArray> closes = collect(fds, 1, 30000);
        QVERIFY(std::all_of(closes.begin(), closes.end(), [](const QByteArray &rest) {
            return rest.isEmpty(); // closed, nothing more sent
        }));
        for (int fd : fds)
            ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestManyConnections)
#include "test_manyconnections.moc"
