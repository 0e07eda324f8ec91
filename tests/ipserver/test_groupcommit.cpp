#include "dc09wirefixture.h"
#include "store/queuejournal.h"

#include <QSignalSpy>
#include <QtTest>
#include <arpa/inet.h>
#include <atomic>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace dc09panel;
using namespace dc09wire;

namespace {

// A panel on a plain socket that nothing but the test reads, so the journal's flush can look
// into it: what the panel has been sent before the flush is on the disk is sent too early.
class RawPanel {
public:
    RawPanel(quint16 port, int type)
        : m_fd(::socket(AF_INET, type, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~RawPanel() { ::close(m_fd); }
    bool connected() const { return m_connected; }
    bool send(const QByteArray &bytes) {
        return ::send(m_fd, bytes.constData(), size_t(bytes.size()), 0) == bytes.size();
    }
    // Whether anything has arrived, without taking it.
    bool answered() const {
        char byte;
        return ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }
    // What arrives until `frames` frames (ending in CR) have come, or 15 s passed.
    QByteArray frames(int frames) {
        QByteArray bytes;
        pollfd readable{m_fd, POLLIN, 0};
        while (bytes.count('\r') < frames && ::poll(&readable, 1, 15000) > 0) {
            char buffer[4096];
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            bytes += QByteArray(buffer, qsizetype(got));
        }
        return bytes;
    }

private:
    int m_fd;
    bool m_connected = false;
};

// The receiver over a real journal whose flushes are watched: each looks into the panels first,
// and fails while `failing` is set.
struct WatchedFlushes : Dc09Fixture {
    QueueJournal journal;
    QString path = env.filePath(QueueJournal::fileName);
    std::atomic<bool> failing{false};
    std::atomic<int> answeredBeforeFlush{0};
    QList<const RawPanel *> watched;

    WatchedFlushes() {
        journal.open(path);
        journal.setRetryInterval(50);
        journal.setSyncFunction([this](int fd) {
            for (const RawPanel *panel : watched)
                answeredBeforeFlush += panel->answered() ? 1 : 0;
            return !failing && ::fdatasync(fd) == 0;
        });
        server.setJournal(&journal);
    }
    ~WatchedFlushes() { server.deactivate(); }
};

QByteArray report(const char *sequence, const char *zone) {
    return frame(clear("ADM-CID", sequence, "R0L0#5801", QByteArray("#5801|1130 01 ") + zone));
}

} // namespace

// DC-09 frames wait for the disk with the rest of their I/O thread's round: one flush for the
// frames of a read, their answers after it and in their order, none when it fails.
class TestGroupCommit : public QObject {
    Q_OBJECT

    // Everything stored before it has reached "Pending Messages" once a marker has.
    static QByteArrayList queuedBeforeAMarker(WatchedFlushes &f) {
        Panel marker(f.port());
        if (!marker.waitConnected() || !f.queueMarker(marker))
            return {"no marker"};
        return f.pendingBeforeMarker();
    }

private slots:
    void theFramesOfAReadShareOneFlushAndAnswerInOrder() {
        WatchedFlushes f;
        QVERIFY(f.start());
        RawPanel panel(f.port(), SOCK_STREAM);
        RawPanel datagrams(f.port(), SOCK_DGRAM);
        QVERIFY(panel.connected() && datagrams.connected());
        f.watched = {&panel, &datagrams};
        const quint64 flushes = f.journal.flushCount();
        QVERIFY(panel.send(report("0001", "001") + frame(clear("NULL", "0002", "L0#5801", {})) +
                           report("0003", "002")));
        QCOMPARE(panel.frames(3), reply("ACK", "0001R0L0#5801[]") + reply("ACK", "0002L0#5801[]") +
                                      reply("ACK", "0003R0L0#5801[]"));
        QCOMPARE(f.journal.flushCount(), flushes + 1);
        QVERIFY(datagrams.send(report("0004", "003")));
        QCOMPARE(datagrams.frames(1), reply("ACK", "0004R0L0#5801[]"));
        QCOMPARE(f.answeredBeforeFlush.load(), 0);
        QCOMPARE(queuedBeforeAMarker(f).size(), 3);
    }

    // The round's flush fails and the journal cannot be written anew: no frame of the round is
    // answered. Once it heals, the panel's resend is answered, and queued no second time.
    void aFailedRoundAnswersNoneOfItsFrames() {
        WatchedFlushes f;
        QSignalSpy recovered(&f.journal, &QueueJournal::recovered);
        QVERIFY(f.start());
        RawPanel panel(f.port(), SOCK_STREAM);
        QVERIFY(panel.connected());
        const QByteArray read = report("0001", "001") + report("0002", "002");
        f.failing = true;
        QVERIFY(panel.send(read));
        QTRY_VERIFY_WITH_TIMEOUT(!f.journal.isOpen(), 15000);
        f.failing = false;
        QTRY_COMPARE_WITH_TIMEOUT(recovered.size(), 1, 15000);
        QVERIFY(panel.send(read + frame(clear("NULL", "0003", "L0#5801", {}))));
        // The first answers the panel gets are those of its resend.
        QCOMPARE(panel.frames(3), reply("ACK", "0001R0L0#5801[]") +
                                      reply("ACK", "0002R0L0#5801[]") +
                                      reply("ACK", "0003L0#5801[]"));
        QCOMPARE(queuedBeforeAMarker(f).size(), 2);
    }
};

QTEST_MAIN(TestGroupCommit)
#include "test_groupcommit.moc"
