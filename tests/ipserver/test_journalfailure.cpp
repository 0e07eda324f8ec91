#include "dc09wirefixture.h"
#include "decoder/messagedecoder.h"
#include "protocol/automationlines.h"
#include "store/queuejournal.h"
#include "strings/eventtexts.h"
#include "support/journalfile.h"

#include <QDir>
#include <QSignalSpy>
#include <QWaitCondition>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
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

    // The same with the decoder and the automation software behind it, and from the start a
    // disk on which every flush fails and the journal cannot be written anew either.
    struct Delivery : Fixture {
        EventTexts texts;
        MessageDecoder decoder{lists, txQueue,
                               logs,  accounts,
                               texts, MessageDecoder::Hooks{[] { return DecoderSettings{}; }, {}}};
        AutomationReceiver receiver{AutomationReceiver::Reply::Ack};
        QSignalSpy recovered{&journal, &QueueJournal::recovered};

        Delivery() {
            journal.setRetryInterval(50);
            engine.setJournal(&journal);
            engine.setDecoder([this](const QByteArray &source, const QByteArray &message) {
                decoder.Process_data(source, message);
            });
            settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
            settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
            settings.setText(SettingKey::TxIpPort, QString::number(receiver.port()));
            engine.startStop(5);
            gate.release(true);
        }
        // The panel's text is queued, unanswered, and the journal closed by the failure.
        bool queuedWhileClosed(Panel &panel, const QByteArray &text) {
            panel.send(text);
            return QTest::qWaitFor(
                [this] { return !journal.isOpen() && engine.pendingMessages().size() == 1; },
                15000);
        }
        bool heal() {
            const qsizetype healed = recovered.size();
            gate.release(false);
            return QTest::qWaitFor([&] { return recovered.size() > healed; }, 15000);
        }
        // Runs the engine until both queues are empty: every line delivered so far.
        QByteArrayList deliverAll() {
            const bool emptied = QTest::qWaitFor(
                [this] {
                    settle(1);
                    engine.tick();
                    return engine.pendingMessages().isEmpty() && txQueue.isEmpty();
                },
                15000);
            if (!emptied)
                return {"the queues were not emptied"};
            QByteArrayList lines = receiver.received().split('\x14');
            lines.removeLast();
            lines.removeAll(heartbeatLine);
            return lines;
        }
        // Runs the engine until `count` lines reached the automation software.
        bool deliveredCount(qsizetype count) {
            return QTest::qWaitFor(
                [&] {
                    settle(1);
                    engine.tick();
                    return receiver.received().count('\x14') >= count;
                },
                15000);
        }
        // A clean stop, and what a new start on the same working directory would queue.
        std::size_t queuedAfterRestart() {
            server.deactivate();
            QueueJournal next;
            next.open(path);
            return next.restored().pending.size() + next.restored().tx.size();
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

    // A report whose flush fails is not acknowledged but delivered; the panel's resend once the
    // journal heals is acknowledged and delivered too. A DC-09 frame's resend is then a repeat,
    // answered without a copy. A clean restart delivers none of them again.
    void anUnacknowledgedReportIsDeliveredOnceMoreAtMost() {
        Delivery f;
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        QVERIFY(f.queuedWhileClosed(panel, burglaryText));
        QCOMPARE(f.deliverAll().size(), 1);
        QCOMPARE(panel.unread(), QByteArray());
        QVERIFY(f.heal());
        panel.send(burglaryText);
        QCOMPARE(panel.reply(3), ack);
        QVERIFY(f.queueMarker(panel));
        const QByteArrayList bare = f.deliverAll();
        QCOMPARE(bare.count(bare.first()), 2);

        f.gate.release(true);
        const QByteArray report = frame(clear("ADM-CID", "0042", "R0L0#5801", burglary));
        QVERIFY(f.queuedWhileClosed(panel, report));
        QCOMPARE(f.deliverAll().size(), bare.size() + 1);
        QCOMPARE(panel.unread(), QByteArray());
        QVERIFY(f.heal());
        panel.send(report);
        QCOMPARE(readFrame(panel), reply("ACK", "0042R0L0#5801[]"));
        QVERIFY(f.queueMarker(panel));
        QVERIFY(f.pendingBeforeMarker().isEmpty());
        f.deliverAll();
        QCOMPARE(f.queuedAfterRestart(), std::size_t(0));
    }

    // Under a file-size limit of 256 KiB the history of alarms delivered one after another fills
    // the file long before 4 MiB of it: a record that does not fit sheds it, and no alarm is
    // refused. The error a refusal would name is the system's.
    void aJournalAtItsSizeLimitShedsItsHistory() {
        Delivery f;
        f.gate.release(false);
        f.logs.setSaveEnabled(false);
        QVERIFY(f.start());
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        std::signal(SIGXFSZ, SIG_IGN); // as the program does at start-up
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit limited = old;
        limited.rlim_cur = 256 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        int acknowledged = 0;
        for (int i = 0; i < 3000; ++i) {
            panel.send(burglaryText);
            if (panel.reply(3) != ack)
                break;
            ++acknowledged;
            if (!f.deliveredCount(acknowledged))
                break;
        }
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
        QCOMPARE(acknowledged, 3000);
        QVERIFY(QFileInfo(f.path).size() < 256 * 1024);
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
