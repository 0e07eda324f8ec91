#include "store/journalformat.h"
#include "store/queuejournal.h"
#include "support/journalfile.h"
#include "support/tempenvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// The queue journal on real files: what a crash, a torn write or a damaged disk leaves behind is
// read back as far as it is whole, and a store that cannot write says so and takes nothing.
class QueueJournalTest : public QObject {
    Q_OBJECT

    static QString journalPath(const TempEnvironment &env) {
        return env.filePath(QueueJournal::fileName);
    }

    static QByteArray fileBytes(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeBytes(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // Two messages and a line, one record each, as the monitor writes them.
    static QByteArray threeRecords(const QString &path) {
        QueueJournal journal;
        if (!journal.open(path).opened)
            return {};
        journal.addPending("1234567", "22468181130010035", {});
        journal.addPending("127.0.0.1", "17531555555551", {});
        journal.addTx("5041 182468E13001003", {});
        return fileBytes(path);
    }

    static QList<QByteArray> restoredMessages(const QueueJournal &journal) {
        QList<QByteArray> messages;
        for (const auto &[id, item] : journal.restored().pending)
            messages.append(item.message);
        return messages;
    }

    static QList<QByteArray> restoredLines(const QueueJournal &journal) {
        QList<QByteArray> lines;
        for (const auto &[id, line] : journal.restored().tx)
            lines.append(line);
        return lines;
    }

    static QStringList damagedCopies(const TempEnvironment &env) {
        return QDir(env.path()).entryList({QueueJournal::fileName + ".damaged-*"}, QDir::Files);
    }

private slots:
    // A crash can stop a write anywhere in the last record: everything before it comes back,
    // the cut is reported, and the journal is whole again afterwards.
    void tornLastRecordIsCutBackAtEveryOffset() {
        TempEnvironment env;
        const QString path = journalPath(env);
        const QByteArray whole = threeRecords(path);
        const qsizetype lastStart = whole.lastIndexOf(journalformat::recordMarker());
        QVERIFY(lastStart > journalformat::headerSize);
        for (qsizetype cut = lastStart; cut < whole.size(); ++cut) {
            writeBytes(path, whole.left(cut));
            QueueJournal journal;
            const QueueJournal::OpenReport report = journal.open(path);
            QVERIFY(report.opened);
            QCOMPARE(report.cutBytes, cut - lastStart);
            QCOMPARE(report.skippedBytes, 0);
            QCOMPARE(restoredMessages(journal),
                     QList<QByteArray>({"22468181130010035", "17531555555551"}));
            QVERIFY(restoredLines(journal).isEmpty());
            QCOMPARE(JournalFile(path).read.tailBytes, 0);
        }
        QVERIFY(damagedCopies(env).isEmpty());
        QueueJournal again;
        QCOMPARE(again.open(path).cutBytes, 0);
    }

    // A damaged record in the middle is skipped, the records after it kept, and the file as it
    // was is copied aside first. A damaged last record is a torn tail.
    void flippedBytesAreSkippedAndReported() {
        TempEnvironment env;
        const QString path = journalPath(env);
        const QByteArray whole = threeRecords(path);
        const QByteArray marker = journalformat::recordMarker();
        const qsizetype second = whole.indexOf(marker, journalformat::headerSize + 1);
        const qsizetype third = whole.lastIndexOf(marker);
        QByteArray damaged = whole;
        damaged[second + 20] = char(damaged[second + 20] ^ 0x01);
        writeBytes(path, damaged);
        {
            QueueJournal journal;
            const QueueJournal::OpenReport report = journal.open(path);
            QVERIFY(report.opened);
            QCOMPARE(report.skippedBytes, third - second);
            QCOMPARE(restoredMessages(journal), QList<QByteArray>({"22468181130010035"}));
            QCOMPARE(restoredLines(journal), QList<QByteArray>({"5041 182468E13001003"}));
            QCOMPARE(damagedCopies(env).size(), 1);
            QCOMPARE(env.filePath(damagedCopies(env).first()), report.keptAs);
            QCOMPARE(fileBytes(report.keptAs), damaged);
        }
        QCOMPARE(JournalFile(path).read.skippedBytes, 0);

        QByteArray lastDamaged = threeRecords(env.filePath("other"));
        lastDamaged[lastDamaged.size() - 2] = 'X';
        writeBytes(path, lastDamaged);
        QueueJournal journal;
        const QueueJournal::OpenReport report = journal.open(path);
        QCOMPARE(report.cutBytes, lastDamaged.size() - third);
        QCOMPARE(restoredMessages(journal).size(), 2);

        QByteArray badHeader = whole;
        badHeader[0] = 'x';
        writeBytes(path, badHeader);
        QueueJournal fromBadHeader;
        QCOMPARE(fromBadHeader.open(path).skippedBytes, journalformat::headerSize);
        QCOMPARE(restoredLines(fromBadHeader).size(), 1);
        QCOMPARE(restoredMessages(fromBadHeader).size(), 2);
    }

    // Removals name their item; a batch is one record; compaction keeps exactly what is queued.
    void removalsBatchesAndCompaction() {
        TempEnvironment env;
        const QString path = journalPath(env);
        QueueJournal journal;
        QVERIFY(journal.open(path).opened);
        quint64 pendingId = 0;
        journal.addPending("RX3", "message", [&](quint64 id) { pendingId = id; });
        {
            QueueJournal::Batch batch(&journal);
            journal.addTx("line 1", {});
            journal.addTx("line 2", {});
            journal.removePending({pendingId});
        }
        const JournalFile afterBatch(path);
        QCOMPARE(afterBatch.records.size(), std::size_t(2));
        QCOMPARE(afterBatch.records.back().size(), std::size_t(3));
        QVERIFY(afterBatch.state.pending.empty());
        QCOMPARE(afterBatch.txLines(), QList<QByteArray>({"line 1", "line 2"}));

        journal.setCompactionThreshold(2048);
        std::vector<quint64> ids;
        for (int i = 0; i < 2000; ++i) {
            journal.addTx("line " + QByteArray::number(i + 3),
                          [&](quint64 id) { ids.push_back(id); });
            if (i % 2 == 0)
                journal.removeTx({ids.back()});
        }
        // It runs beside the writers: what they wrote meanwhile waits for the next one, which
        // one more record (removing a line already gone) calls for.
        journal.finishCompaction();
        journal.removeTx({ids.front()});
        journal.finishCompaction();
        QVERIFY(journal.compactionCount() > 1);
        QVERIFY(QFileInfo(path).size() < 2048 + 40 * 1002);
        QueueJournal reopened;
        QVERIFY(reopened.open(path).opened);
        const QList<QByteArray> lines = restoredLines(reopened);
        QCOMPARE(lines.size(), 1002);
        QCOMPARE(lines.at(2), QByteArray("line 4"));
        QCOMPARE(lines.last(), QByteArray("line 2002"));
    }

    // A compaction whose flush hangs holds no writer up: an item stored meanwhile is on the disk
    // when its flush returns, and the compacted file holds it.
    void aCompactionDoesNotHoldTheWritersUp() {
        TempEnvironment env;
        const QString path = journalPath(env);
        QueueJournal journal;
        QVERIFY(journal.open(path).opened);
        QMutex mutex;
        QWaitCondition released;
        bool hold = false;
        bool held = false;
        journal.setSyncFunction([&](int fd) {
            QMutexLocker lock(&mutex);
            if (std::exchange(hold, false)) {
                held = true;
                while (held)
                    released.wait(&mutex);
            }
            return ::fdatasync(fd) == 0;
        });
        journal.setCompactionThreshold(1024);
        hold = true; // the compaction's flush of its snapshot
        for (int i = 0; i < 40; ++i)
            journal.addTx("line " + QByteArray::number(i), {});
        const auto isHeld = [&] {
            QMutexLocker lock(&mutex);
            return held;
        };
        QTRY_VERIFY_WITH_TIMEOUT(isHeld(), 15000);
        std::atomic<bool> stored = false;
        std::thread writer(
            [&] { stored = journal.flushed(journal.addPending("RX3", "17531555555551", {})); });
        QTRY_VERIFY_WITH_TIMEOUT(stored, 15000);
        {
            QMutexLocker lock(&mutex);
            held = false;
            released.wakeAll();
        }
        writer.join();
        journal.finishCompaction();
        QCOMPARE(journal.compactionCount(), quint64(2)); // at the start, and this one
        const JournalFile compacted(path);
        QCOMPARE(compacted.records.size(), std::size_t(41));
        QCOMPARE(compacted.pendingMessages(), QByteArrayList{"17531555555551"});
    }

    // Many connection threads store at once: every item is on the disk when its flush returns,
    // and the order the items were listed in (under the journal's lock) is the stored order.
    void concurrentAdditionsShareFlushesAndKeepTheListedOrder() {
        TempEnvironment env;
        const QString path = journalPath(env);
        QueueJournal journal;
        QVERIFY(journal.open(path).opened);
        QList<QByteArray> listed;
        std::atomic<int> failures{0};
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back(QThread::create([&, t] {
                for (int n = 0; n < 100; ++n) {
                    const QByteArray message = QByteArray::number(t) + "-" + QByteArray::number(n);
                    const quint64 ticket = journal.addPending(
                        "peer", message, [&](quint64) { listed.append(message); });
                    if (!journal.flushed(ticket))
                        ++failures;
                }
            }));
            threads.back()->start();
        }
        for (auto &thread : threads)
            QVERIFY(thread->wait(60000));
        QCOMPARE(failures.load(), 0);
        QCOMPARE(JournalFile(path).pendingMessages(), listed);
        QVERIFY(journal.flushCount() < 800);
    }

    // A journal that cannot be created takes nothing; a write cut short by a file-size limit
    // takes nothing and leaves no part of its record behind.
    void aStoreThatCannotWriteTakesNothing() {
        TempEnvironment env;
        const QString path = journalPath(env);
        QVERIFY(QDir().mkdir(path));
        QueueJournal blocked;
        QSignalSpy failed(&blocked, &QueueJournal::failed);
        const QueueJournal::OpenReport report = blocked.open(path);
        QVERIFY(!report.opened);
        QVERIFY(!report.error.isEmpty());
        bool listed = false;
        QCOMPARE(blocked.addPending("peer", "message", [&](quint64) { listed = true; }), 0u);
        QCOMPARE(blocked.addPending("peer", "message", [&](quint64) { listed = true; }), 0u);
        QVERIFY(!listed);
        QCOMPARE(failed.size(), 1);
        QVERIFY(QDir().rmdir(path));

        QueueJournal journal;
        QSignalSpy writeFailed(&journal, &QueueJournal::failed);
        QVERIFY(journal.open(path).opened);
        QVERIFY(journal.flushed(journal.addPending("peer", "first", {})));
        const qint64 size = QFileInfo(path).size();
        std::signal(SIGXFSZ, SIG_IGN); // as the program does at start-up
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit limited = old;
        limited.rlim_cur = rlim_t(size + 10);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const quint64 refused = journal.addPending("peer", QByteArray(100, 'x'), {});
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
        QCOMPARE(refused, 0u);
        QCOMPARE(writeFailed.size(), 1);
        QCOMPARE(writeFailed.at(0).at(0).toString(), QStringLiteral("File too large"));
        QCOMPARE(QFileInfo(path).size(), size);
        QVERIFY(journal.flushed(journal.addPending("peer", "second", {})));
        QueueJournal reopened;
        const QueueJournal::OpenReport again = reopened.open(path);
        QCOMPARE(again.skippedBytes + again.cutBytes, 0);
        QCOMPARE(restoredMessages(reopened), QList<QByteArray>({"first", "second"}));
    }

    // While its file cannot be written the queues go on: what leaves them and the lines that
    // enter "Tx Pending" (delivered from memory) are in the file written anew when a removal's
    // write fails, and in the one written when a journal closed by a failed flush goes at a clean
    // stop (the disk back before it tried again); a message refused is in neither.
    void theFileWrittenAnewHoldsTheQueuesAsTheyStand() {
        TempEnvironment env;
        const QString path = journalPath(env);
        std::vector<quint64> ids;
        const auto keep = [&ids](quint64 id) { ids.push_back(id); };
        bool failing = false;
        {
            QueueJournal journal;
            journal.setSyncFunction(
                [&failing](int fd) { return !failing && ::fdatasync(fd) == 0; });
            QVERIFY(journal.open(path).opened);
            journal.addTx("line acknowledged", keep);
            journal.addTx("line acknowledged at a size limit", keep);
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit old{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
            rlimit limited = old;
            limited.rlim_cur = rlim_t(QFileInfo(path).size());
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
            journal.removeTx({ids.at(1)});
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
            QVERIFY(journal.isOpen());
            QCOMPARE(JournalFile(path).txLines(), QList<QByteArray>({"line acknowledged"}));

            failing = true;
            QVERIFY(!journal.flushed(journal.addPending("peer", "message", keep)));
            QVERIFY(!journal.isOpen());
            {
                QueueJournal::Batch decoded(&journal);
                journal.addTx("line decoded", {});
                journal.removePending({ids.at(2)});
            }
            journal.removeTx({ids.at(0)});
            QCOMPARE(journal.addTx("line forwarded", keep), 0u);
            QCOMPARE(journal.addPending("peer", "refused", keep), 0u);
            QCOMPARE(ids.size(), std::size_t(4));
            failing = false;
        }
        QVERIFY(JournalFile(path).state.pending.empty());
        QCOMPARE(JournalFile(path).txLines(),
                 QList<QByteArray>({"line decoded", "line forwarded"}));
    }

    // A receiver of failed() may use the journal at once: the failure is said with the lock let
    // go (held, this call would never return).
    void failureIsReportedWithTheLockLetGo() {
        TempEnvironment env;
        QueueJournal journal;
        QVERIFY(journal.open(journalPath(env)).opened);
        journal.setSyncFunction([](int) { return false; });
        QStringList said;
        connect(
            &journal, &QueueJournal::failed, &journal,
            [&](const QString &error) { said << error + (journal.isOpen() ? "" : " (closed)"); },
            Qt::DirectConnection);
        QVERIFY(!journal.flushed(journal.addPending("peer", "message", {})));
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.first().endsWith("can be written anew (closed)"), qPrintable(said.first()));
    }
};

QTEST_GUILESS_MAIN(QueueJournalTest)
#include "test_queuejournal.moc"
