#include "dc09wirefixture.h"
#include "store/queuejournal.h"
#include "support/journalfile.h"

#include <QDir>
#include <QSignalSpy>
#include <QWaitCondition>
#include <QtTest>
#include <unistd.h>

using namespace dc09panel;
using namespace dc09wire;

namespace {

// The journal's flush to the disk, held at will: the next flush waits until it is released and
// then fails; after it, flushes fail too while `failing`.
class SyncGate {
public:
    bool sync(int fd) {
        QMutexLocker lock(&m_mutex);
        if (m_armed) {
            m_armed = false;
            m_entered = true;
            while (!m_released)
                m_changed.wait(&m_mutex);
            return false;
        }
        return !m_failing && ::fdatasync(fd) == 0;
    }
    void arm() {
        QMutexLocker lock(&m_mutex);
        m_armed = true;
    }
    bool waitEntered() {
        return QTest::qWaitFor(
            [this] {
                QMutexLocker lock(&m_mutex);
                return m_entered;
            },
            15000);
    }
    void release(bool failing) {
        QMutexLocker lock(&m_mutex);
        m_failing = failing;
        m_released = true;
        m_changed.wakeAll();
    }

private:
    QMutex m_mutex;
    QWaitCondition m_changed;
    bool m_armed = false;
    bool m_entered = false;
    bool m_released = false;
    bool m_failing = false;
};

} // namespace

// The receiver on 127.0.0.1 over a real journal file whose flushes fail at will: a panel is
// acknowledged only for what is on the disk, and a journal that failed comes back by itself.
class JournalFailureTest : public QObject {
    Q_OBJECT

    struct Fixture : Dc09Fixture {
        SyncGate gate;
        QueueJournal journal;
        QString path = env.filePath(QueueJournal::fileName);

        explicit Fixture(bool blocked = false) {
            if (blocked)
                QDir().mkdir(path);
            journal.open(path);
            journal.setSyncFunction([this](int fd) { return gate.sync(fd); });
            server.setJournal(&journal);
        }
        // The server's threads end before the journal and its gate go.
        ~Fixture() {
            gate.release(false);
            server.deactivate();
        }
    };

private slots:
    // Two panels wait for the same flush and it fails: the file is written anew from the queues
    // in memory, and only then are both acknowledged; the disk holds both.
    void aFailedFlushIsWrittenAnewBeforeAnyAck() {
        Fixture f;
        QVERIFY(f.start());
        f.gate.arm();
        Panel first(f.port());
        QVERIFY(first.waitConnected());
        first.send(burglaryText);
        QVERIFY(f.gate.waitEntered());
        // The first panel's thread is held in its flush: another thread takes the second.
        Panel second(f.port());
        QVERIFY(second.waitConnected());
        second.send(burglaryText);
        QVERIFY(f.waitForLogLines(LogBook::IpLog, 2));
        f.gate.release(false);
        QCOMPARE(first.reply(3), ack);
        QCOMPARE(second.reply(3), ack);
        QCOMPARE(JournalFile(f.path).pendingMessages(),
                 QByteArrayList({burglaryText, burglaryText}));
    }

    // A panel sends its frame again on another connection while the first copy waits for its
    // flush: the copy is not acknowledged before the first is on the disk, and when that store
    // fails, neither is.
    void aRepeatWaitsForItsFirstCopy() {
        Fixture f;
        QVERIFY(f.start());
        const QByteArray report = frame(clear("ADM-CID", "0042", "R0L0#5801", burglary));
        const QByteArray link = frame(clear("NULL", "0043", "L0#5801", {}));
        f.gate.arm();
        Panel first(f.port());
        QVERIFY(first.waitConnected());
        first.send(report);
        QVERIFY(f.gate.waitEntered());
        Panel second(f.port());
        QVERIFY(second.waitConnected());
        second.send(report);
        QVERIFY(f.waitForLogLines(LogBook::IpLog, 2));
        f.gate.release(true); // the journal cannot be written anew either
        // A NULL stores nothing and is answered: the first answer each panel gets is its.
        second.send(link);
        QCOMPARE(readFrame(second), reply("ACK", "0043L0#5801[]"));
        first.send(link);
        QCOMPARE(readFrame(first), reply("ACK", "0043L0#5801[]"));
    }

    // A journal that cannot be opened takes nothing, and tries again: once its path is free,
    // it says so and a report is acknowledged again.
    void aJournalThatFailedHealsByItself() {
        Fixture f(true);
        QSignalSpy recovered(&f.journal, &QueueJournal::recovered);
        QVERIFY(f.start());
        QVERIFY(QDir().rmdir(f.path));
        QTRY_COMPARE_WITH_TIMEOUT(recovered.size(), 1, 10000);
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        panel.send(burglaryText);
        QCOMPARE(panel.reply(3), ack);
        QCOMPARE(JournalFile(f.path).pendingMessages(), QByteArrayList({burglaryText}));
    }
};

QTEST_MAIN(JournalFailureTest)
#include "test_journalfailure.moc"
