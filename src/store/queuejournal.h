#pragma once

#include "queueops.h"

#include <QFile>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWaitCondition>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

class QSaveFile;
class QThread;
class QTimer;

// The durable copy of "Pending Messages" and "Tx Pending": one journal file that records every
// change to the two queues, read back at start-up. One writer at a time (a lock); records are
// written as they come and a flush to the disk is shared by everyone waiting for it (group
// commit). A flush that fails loses the file: it is written anew from the queues in memory
// before anything it holds counts as stored. A journal that cannot be opened or written anew
// takes no message and tries again every few seconds until it can; meanwhile it follows the
// queues in memory, and what it writes when it can is what they hold then. Safe to call from
// any thread.
class QueueJournal : public QObject {
    Q_OBJECT
public:
    static inline const QString fileName = QStringLiteral("Voduro_Queues.jnl");
    static constexpr int defaultRetryMs = 2000;

    struct OpenReport {
        bool opened = false;
        QString error;              // why the journal cannot be written (opened is false)
        qsizetype skippedBytes = 0; // damaged bytes between whole records
        qsizetype cutBytes = 0;     // a torn tail cut back
        QString keptAs;             // the copy of a damaged journal
    };

    explicit QueueJournal(QObject *parent = nullptr);
    ~QueueJournal() override;

    // Reads the journal at `path` (creating it when missing) and writes it anew, compacted.
    OpenReport open(const QString &path);
    // The queues as read by open().
    const QueueState &restored() const { return m_restored; }
    bool isOpen() const;

    // Stores an addition and calls `underLock(id)` while still holding the lock, so additions
    // posted from there keep the stored order. Returns a ticket for flushed(), 0 when the item
    // could not be stored: then addPending does not call `underLock` (the message is refused),
    // while addTx does, since the line is delivered anyway; its id is what the journal keeps it
    // under in memory for the next file it writes (0 when it keeps nothing).
    quint64 addPending(const QByteArray &source, const QByteArray &message,
                       const std::function<void(quint64)> &underLock);
    quint64 addTx(const QByteArray &line, const std::function<void(quint64)> &underLock);
    void removePending(const std::vector<quint64> &ids);
    void removeTx(const std::vector<quint64> &ids);

    // Stores an addition to "Pending Messages" and waits until it is on the disk: what a sender
    // may be acknowledged for. `listed(id)` is called under the lock, as with addPending. With
    // `waitForDisk` false the addition is written but not waited for: for a message whose loss
    // in a crash costs no line to the automation. False: not stored; the sender gets no reply.
    bool storePending(const QByteArray &source, const QByteArray &message,
                      const std::function<void(quint64)> &listed, bool waitForDisk = true);

    // Waits until everything up to the ticket is on the disk; false when the flush failed.
    bool flushed(quint64 ticket);
    // The same, unless a DeferredWaits lives on this thread: the ticket is then noted there and
    // the answer is true for now. `then(stored)` runs once the outcome is known: at once, or,
    // deferred, when the caller has flushed for its DeferredWaits.
    using AfterFlush = std::function<void(bool stored)>;
    bool awaited(quint64 ticket, const AfterFlush &then = {});
    // The ticket of the last record the calling thread wrote (0: none yet): what a caller that
    // did not wait at once must wait for before it tells anyone the record is kept.
    static quint64 lastTicketOfThisThread();

    // Changes made on this thread while a batch is open are written as one record when the
    // outermost batch ends: all of them or none survive a crash.
    class Batch {
    public:
        explicit Batch(QueueJournal *journal);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        QueueJournal *m_journal;
    };

    // While one lives on a thread, awaited() there does not wait but notes the highest ticket in
    // `owed`, and what is to follow the flush in `then`: the caller holds back every reply until
    // flushed(owed) gives the outcome, runs `then` with it, and so shares one flush among all the
    // messages it serves meanwhile.
    class DeferredWaits {
    public:
        explicit DeferredWaits(quint64 &owed);
        DeferredWaits(quint64 &owed, std::vector<AfterFlush> &then);
        ~DeferredWaits();
        DeferredWaits(const DeferredWaits &) = delete;
        DeferredWaits &operator=(const DeferredWaits &) = delete;
    };

    // Disk flushes done so far (several waiting additions share one).
    quint64 flushCount() const;

    // Compacts when the file holds more than this many bytes of history (tests lower it). The
    // compaction runs on a thread of its own while records go on to the file as before; only its
    // end (what was written meanwhile, and the file's replacement) takes the journal's lock.
    void setCompactionThreshold(qint64 bytes) { m_compactionThreshold = bytes; }
    // Waits for a compaction under way to end.
    void finishCompaction();
    // Compactions done since the journal was opened (in the background or not).
    quint64 compactionCount() const;
    // How a file is flushed to the disk, given its descriptor (tests make a flush fail); set
    // before the journal is used. Empty: the system's.
    void setSyncFunction(std::function<bool(int)> sync) { m_sync = std::move(sync); }
    // How long a closed journal waits before it tries again.
    void setRetryInterval(int milliseconds);

signals:
    // The journal could not be written; reported once until a write succeeds again, and never
    // while the journal's lock is held, so a receiver may call the journal again.
    void failed(const QString &error);
    // A journal that was closed by a failure is written again; `note` says so.
    void recovered(const QString &note);
    // Whether the journal stores what it is given changed: false from a failed write (or a
    // journal that cannot be opened) until a write succeeds again. Emitted once per change,
    // after the lock is let go, on the thread that made the change; `change` counts the changes,
    // so that a receiver can tell the last when two threads' signals overtake each other.
    void storingChanged(bool storing, quint64 change);

private:
    class Locked;

    quint64 record(std::vector<QueueOp> ops, const std::function<void(quint64)> &underLock);
    bool readLocked(OpenReport &report);
    bool writeLocked(const std::vector<QueueOp> &ops, bool listed);
    bool keepInMemoryLocked(const std::vector<QueueOp> &ops, bool listed);
    void replaceStaleFileLocked();
    bool compactLocked(QString *unreported = nullptr);
    bool writeRecordLocked(const QByteArray &bytes, QString &error);
    void startCompactionLocked();
    void runCompactor();
    void compactInBackground(Locked &lock);
    bool replaceWithLocked(QSaveFile &next, qint64 liveBytes, qint64 fileBytes);
    bool compactionFailedLocked(const QString &error);
    void retryLaterLocked();
    void replaceLostFileLocked();
    void retry();
    bool syncFile(QFileDevice &file);
    void reportLocked(bool ok, const QString &error);
    bool inBatchHere() const;
    void endBatch();

    mutable QMutex m_mutex;
    QWaitCondition m_flushDone;
    QString m_path;
    QFile m_file;
    QueueState m_state;    // the queues as they stand: what the file holds, or is written with next
    QueueState m_restored; // what it held at start-up
    quint64 m_nextId = 1;
    quint64 m_written = 0; // records written
    quint64 m_flushed = 0; // records known to be on the disk
    quint64 m_flushCount = 0;
    bool m_flushing = false;
    bool m_failing = false;
    bool m_saidStoring = true; // what storingChanged said last
    quint64 m_storingChanges = 0;
    QStringList m_unsaid; // failures to report once the lock is let go
    qint64 m_liveBytes = 0;
    qint64 m_fileBytes = 0; // the length of the file as written
    qint64 m_compactionThreshold = 4 * 1024 * 1024;
    qint64 m_fileSizeThreshold = std::numeric_limits<qint64>::max(); // half the file-size limit
    QThread *m_batchThread = nullptr;
    int m_batchDepth = 0;
    std::vector<QueueOp> m_batch;
    std::function<bool(int)> m_sync;
    QTimer *m_retryTimer;
    bool m_unread = false; // the file at the path could not be read: it is not written over
    // The compaction in the background, on a thread started at the first one and ended with the
    // journal: the queues to write, the records written while it runs, and the file's
    // generation, which changes whenever the file is replaced (a compaction of an older one is
    // then given up).
    std::thread m_compactor;
    QWaitCondition m_compactorWork;
    QWaitCondition m_compactionDone;
    bool m_compacting = false;
    bool m_compactorStopping = false;
    QueueState m_toCompact;
    quint64 m_compactedGeneration = 0;
    QByteArray m_sinceSnapshot;
    quint64 m_generation = 0;
    quint64 m_compactions = 0;
};
