#include "queuejournal.h"

#include "journalfiles.h"
#include "journalformat.h"

#include "metrics/figures.h"

#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

thread_local quint64 lastTicketHere = 0;
// Where awaited() notes its ticket and what follows the flush on this thread, while a
// DeferredWaits lives.
thread_local quint64 *owedHere = nullptr;
thread_local std::vector<QueueJournal::AfterFlush> *thenHere = nullptr;

} // namespace

// The journal's lock. Failures found while it was held are reported once it is let go: a
// receiver connected directly may call the journal again, and the lock is not recursive.
class QueueJournal::Locked {
public:
    explicit Locked(QueueJournal &journal)
        : m_journal(journal) {
        m_journal.m_mutex.lock();
    }
    ~Locked() { unlock(); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

    void unlock() {
        if (!m_held)
            return;
        const QStringList unsaid = std::exchange(m_journal.m_unsaid, QStringList());
        const bool storing = m_journal.m_file.isOpen() && !m_journal.m_failing;
        const bool storingChanged = std::exchange(m_journal.m_saidStoring, storing) != storing;
        const quint64 change = storingChanged ? ++m_journal.m_storingChanges : 0;
        m_held = false;
        m_journal.m_mutex.unlock();
        for (const QString &error : unsaid)
            emit m_journal.failed(error);
        if (storingChanged)
            emit m_journal.storingChanged(storing, change);
    }
    void relock() {
        m_journal.m_mutex.lock();
        m_held = true;
    }

private:
    QueueJournal &m_journal;
    bool m_held = true;
};

QueueJournal::QueueJournal(QObject *parent)
    : QObject(parent)
    , m_retryTimer(new QTimer(this)) {
    m_retryTimer->setInterval(defaultRetryMs);
    connect(m_retryTimer, &QTimer::timeout, this, &QueueJournal::retry);
}

void QueueJournal::setRetryInterval(int milliseconds) {
    m_retryTimer->setInterval(milliseconds);
}

// A clean stop while a failure keeps the journal closed tries once more, so that the next start
// finds the queues as they stand rather than what the file held before the failure. Nothing is
// said: no one listens any more.
QueueJournal::~QueueJournal() {
    {
        QMutexLocker lock(&m_mutex);
        m_compactorStopping = true;
        m_compactorWork.wakeAll();
    }
    if (m_compactor.joinable())
        m_compactor.join();
    QMutexLocker lock(&m_mutex);
    if (!m_file.isOpen() && !m_unread && !m_path.isEmpty())
        compactLocked();
}

quint64 QueueJournal::flushCount() const {
    QMutexLocker lock(&m_mutex);
    return m_flushCount;
}

bool QueueJournal::isOpen() const {
    QMutexLocker lock(&m_mutex);
    return m_file.isOpen();
}

QueueJournal::OpenReport QueueJournal::open(const QString &path) {
    // A file-size limit fails the write: the program ignores SIGXFSZ from its start (main.cpp).
    Locked lock(*this);
    OpenReport report;
    m_path = path;
    if (!readLocked(report)) {
        // What it holds is not known: it is neither written over nor taken for empty.
        // The caller says why; the journal only tries again.
        m_unread = true;
        retryLaterLocked();
        return report;
    }
    m_restored = m_state;
    m_fileSizeThreshold = journalfiles::fileSizeLimit() / 2;
    report.opened = compactLocked();
    if (!report.opened)
        report.error = m_file.errorString();
    return report;
}

// Adds what the file at the path holds to the queues; false when it exists and cannot be read.
bool QueueJournal::readLocked(OpenReport &report) {
    QFile existing(m_path);
    if (existing.exists() && !existing.open(QIODevice::ReadOnly)) {
        report.error = existing.errorString();
        return false;
    }
    const journalformat::ReadResult read =
        journalformat::readJournal(existing.isOpen() ? existing.readAll() : QByteArray());
    existing.close();
    report.skippedBytes = read.skippedBytes;
    report.cutBytes = read.tailBytes;
    for (const QByteArray &payload : read.payloads) {
        const auto ops = decodeOps(payload);
        if (!ops) {
            report.skippedBytes += journalformat::recordHeaderSize + payload.size();
            continue;
        }
        for (const QueueOp &op : *ops)
            m_state.apply(op);
    }
    if (report.skippedBytes > 0) {
        report.keptAs = journalfiles::damagedCopyName(m_path);
        if (!QFile::copy(m_path, report.keptAs))
            report.keptAs.clear();
    }
    m_nextId = std::max(m_nextId, m_state.highestId() + 1);
    m_unread = false;
    return true;
}

// Every few seconds while the journal is closed. A journal that could not be read keeps what it
// held for the next start, since those items are not in the queues this time.
void QueueJournal::retry() {
    Locked lock(*this);
    if (m_file.isOpen()) {
        m_retryTimer->stop();
        return;
    }
    const std::size_t itemsBefore = m_state.pending.size() + m_state.tx.size();
    OpenReport report;
    if (m_unread && !readLocked(report))
        return;
    if (!compactLocked())
        return;
    m_retryTimer->stop();
    m_failing = false;
    QString note = tr("the queue journal is written again; messages are acknowledged again");
    const qsizetype kept = qsizetype(m_state.pending.size() + m_state.tx.size() - itemsBefore);
    if (kept > 0)
        note += tr("; the %1 items it held before come back at the next start").arg(kept);
    lock.unlock();
    emit recovered(note);
}

bool QueueJournal::syncFile(QFileDevice &file) {
    if (!file.isOpen())
        return false;
    const TimedObservation timed(figures().journalFlush);
    if (m_sync)
        return m_sync(file.handle());
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fdatasync(file.handle()) == 0;
#endif
}

// Written aside and renamed into place: a crash leaves the old journal or the new one, whole.
// With `unreported`, a failure to write the copy is left to the caller to say, the old file
// going on as it was.
bool QueueJournal::compactLocked(QString *unreported) {
    while (m_flushing)
        m_flushDone.wait(&m_mutex);
    QSaveFile next(m_path);
    const QByteArray bytes = journalfiles::snapshot(m_state);
    QString error = next.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                        ? journalfiles::writeAll(next, bytes)
                        : next.errorString();
    if (error.isEmpty() && !syncFile(next))
        error = tr("its flush failed");
    if (!error.isEmpty()) {
        next.cancelWriting();
        if (unreported) {
            *unreported = error;
            return false;
        }
        return compactionFailedLocked(error);
    }
    return replaceWithLocked(next, bytes.size(), bytes.size());
}

// The new file, on the disk, takes the old one's place; everything written is then in it.
bool QueueJournal::replaceWithLocked(QSaveFile &next, qint64 liveBytes, qint64 fileBytes) {
    if (!next.commit())
        return compactionFailedLocked(next.errorString());
    ++m_generation;
    m_file.close();
    if (!journalfiles::syncDirectory(m_path))
        return compactionFailedLocked(tr("the directory of %1 cannot be flushed").arg(m_path));
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return compactionFailedLocked(m_file.errorString());
    m_liveBytes = liveBytes;
    m_fileBytes = fileBytes;
    m_flushed = m_written;
    ++m_compactions;
    return true;
}

// The queues as they stand now are written on the compactor's thread; the writers go on.
void QueueJournal::startCompactionLocked() {
    if (m_compacting || !m_file.isOpen())
        return;
    m_compacting = true;
    m_toCompact = m_state;
    m_compactedGeneration = m_generation;
    m_sinceSnapshot.clear();
    if (!m_compactor.joinable())
        m_compactor = std::thread(&QueueJournal::runCompactor, this);
    m_compactorWork.wakeAll();
}

void QueueJournal::runCompactor() {
    Locked lock(*this);
    while (!m_compactorStopping) {
        if (m_compacting) {
            compactInBackground(lock);
            m_compacting = false;
            m_compactionDone.wakeAll();
        } else {
            m_compactorWork.wait(&m_mutex);
        }
    }
}

// The snapshot is written and flushed without the lock. Under it, the records written meanwhile
// follow it and are flushed (the old file's flushes are not the new file's), and the new file
// takes the old one's place. A failure keeps the old file as it is; its history then waits for
// another threshold's worth before the next try.
void QueueJournal::compactInBackground(Locked &lock) {
    const QueueState state = std::exchange(m_toCompact, QueueState());
    const quint64 generation = m_compactedGeneration;
    lock.unlock();
    const QByteArray bytes = journalfiles::snapshot(state);
    QSaveFile next(m_path);
    const bool written = next.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         journalfiles::writeAll(next, bytes).isEmpty() && syncFile(next);
    lock.relock();
    while (m_flushing)
        m_flushDone.wait(&m_mutex);
    const QByteArray since = std::exchange(m_sinceSnapshot, QByteArray());
    const bool current = generation == m_generation && m_file.isOpen();
    if (!written || !current ||
        (!since.isEmpty() && !(journalfiles::writeAll(next, since).isEmpty() && syncFile(next)))) {
        next.cancelWriting();
        if (current)
            m_liveBytes = m_fileBytes;
        return;
    }
    replaceWithLocked(next, bytes.size(), bytes.size() + since.size());
}

void QueueJournal::finishCompaction() {
    QMutexLocker lock(&m_mutex);
    while (m_compacting)
        m_compactionDone.wait(&m_mutex);
}

quint64 QueueJournal::compactionCount() const {
    QMutexLocker lock(&m_mutex);
    return m_compactions;
}

// A journal left closed tries again later; one still open goes on as it was.
bool QueueJournal::compactionFailedLocked(const QString &error) {
    reportLocked(false, error);
    if (!m_file.isOpen())
        retryLaterLocked();
    return false;
}

void QueueJournal::retryLaterLocked() {
    QMetaObject::invokeMethod(m_retryTimer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

// A failed flush may have lost any record written since the last good one, and the system says
// so only once per open file: a later flush of the same file would succeed over the hole. So the
// file counts as lost and is written anew from the queues in memory, which hold every record.
void QueueJournal::replaceLostFileLocked() {
    m_file.close();
    m_failing = true; // a failure of the new file is said with this one
    const bool replaced = compactLocked();
    const QString error = tr("a flush of %1 to the disk failed").arg(m_path);
    m_unsaid.append(replaced ? error + tr("; written anew from the queues in memory")
                             : error + tr("; nothing is stored until it can be written anew"));
    m_failing = !replaced;
}

bool QueueJournal::writeLocked(const std::vector<QueueOp> &ops, bool listed) {
    if (!m_file.isOpen()) {
        reportLocked(false, tr("the queue journal %1 is not open").arg(m_path));
        keepInMemoryLocked(ops, listed);
        return false;
    }
    const QByteArray bytes = journalformat::encodeRecord(encodeOps(ops));
    QString error;
    if (!writeRecordLocked(bytes, error)) {
        reportLocked(false, error);
        if (keepInMemoryLocked(ops, listed))
            replaceStaleFileLocked();
        return false;
    }
    for (const QueueOp &op : ops)
        m_state.apply(op);
    ++m_written;
    reportLocked(true, QString());
    m_fileBytes += bytes.size();
    if (m_compacting)
        m_sinceSnapshot += bytes;
    // Also well before a file-size limit, so that history is shed before a record is refused.
    const qint64 history = m_fileBytes - m_liveBytes;
    if (history > m_compactionThreshold || (history > 0 && m_fileBytes > m_fileSizeThreshold))
        startCompactionLocked();
    return true;
}

// A record that does not fit (a file-size limit, a full disk) may fit once the history is shed:
// the queues are written anew and it is tried again. Only when they cannot be (there is no room
// for their second copy) is it refused.
bool QueueJournal::writeRecordLocked(const QByteArray &bytes, QString &error) {
    // The size is kept here, not asked of the system: one less call per record.
    const qint64 before = m_fileBytes;
    error = journalfiles::writeAll(m_file, bytes);
    if (error.isEmpty())
        return true;
    // A part of a record must not stay in front of the records that follow it.
    m_file.resize(before);
    m_file.seek(before);
    if (m_unread || m_fileBytes == m_liveBytes)
        return false;
    QString compaction;
    if (!compactLocked(&compaction)) {
        if (!compaction.isEmpty())
            error = tr("%1; the queues cannot be written anew to make room either, having no room "
                       "for a second copy (%2)")
                        .arg(error, compaction);
        return false;
    }
    error = journalfiles::writeAll(m_file, bytes);
    if (error.isEmpty())
        return true;
    m_file.resize(m_fileBytes);
    m_file.seek(m_fileBytes);
    return false;
}

// The queues in memory go on whatever becomes of a record: what leaves them, and the lines that
// enter "Tx Pending" (delivered from memory even so), and with `listed` every item (a batch's,
// already in the queues). So the state follows them, and the next file written from it holds
// what they hold: a message decoded or a line acknowledged meanwhile is not delivered again after
// a restart. Only a message whose caller refuses it stays out. A journal that could not read its
// file keeps nothing: its ids could stand for items of that file. True when anything was kept.
bool QueueJournal::keepInMemoryLocked(const std::vector<QueueOp> &ops, bool listed) {
    if (m_unread)
        return false;
    bool kept = false;
    for (const QueueOp &op : ops) {
        if (listed || op.kind != QueueOp::Kind::AddPending) {
            m_state.apply(op);
            kept = true;
        }
    }
    return kept;
}

// A file that missed a change the queues made is no longer theirs: it is written anew from
// memory, or closed until it can be (nothing is acknowledged meanwhile).
void QueueJournal::replaceStaleFileLocked() {
    if (compactLocked() || !m_file.isOpen())
        return;
    m_file.close();
    retryLaterLocked();
}

void QueueJournal::reportLocked(bool ok, const QString &error) {
    figures().journalWritten(ok, error);
    if (ok) {
        m_failing = false;
        return;
    }
    if (m_failing)
        return;
    m_failing = true;
    m_unsaid.append(error);
}

bool QueueJournal::inBatchHere() const {
    return m_batchDepth > 0 && m_batchThread == QThread::currentThread();
}

quint64 QueueJournal::record(std::vector<QueueOp> ops,
                             const std::function<void(quint64)> &underLock) {
    Locked lock(*this);
    for (QueueOp &op : ops) {
        if (op.id == 0)
            op.id = m_nextId++;
    }
    if (inBatchHere()) {
        m_batch.insert(m_batch.end(), ops.begin(), ops.end());
    } else if (!writeLocked(ops, false)) {
        // A line not stored is still delivered, from memory: it is listed all the same, with
        // the id it is kept under, so that its removal reaches the state.
        if (underLock && ops.front().kind == QueueOp::Kind::AddTx)
            underLock(m_unread ? 0 : ops.front().id);
        return 0;
    }
    if (underLock)
        underLock(ops.front().id);
    lastTicketHere = inBatchHere() ? m_written + 1 : m_written;
    return lastTicketHere;
}

quint64 QueueJournal::lastTicketOfThisThread() {
    return lastTicketHere;
}

quint64 QueueJournal::addPending(const QByteArray &source, const QByteArray &message,
                                 const std::function<void(quint64)> &underLock) {
    return record({QueueOp{QueueOp::Kind::AddPending, 0, source, message}}, underLock);
}

quint64 QueueJournal::addTx(const QByteArray &line, const std::function<void(quint64)> &underLock) {
    return record({QueueOp{QueueOp::Kind::AddTx, 0, QByteArray(), line}}, underLock);
}

void QueueJournal::removePending(const std::vector<quint64> &ids) {
    std::vector<QueueOp> ops;
    for (quint64 id : ids)
        ops.push_back({QueueOp::Kind::RemovePending, id, {}, {}});
    if (!ops.empty())
        record(std::move(ops), {});
}

void QueueJournal::removeTx(const std::vector<quint64> &ids) {
    std::vector<QueueOp> ops;
    for (quint64 id : ids)
        ops.push_back({QueueOp::Kind::RemoveTx, id, {}, {}});
    if (!ops.empty())
        record(std::move(ops), {});
}

bool QueueJournal::storePending(const QByteArray &source, const QByteArray &message,
                                const std::function<void(quint64)> &listed, bool waitForDisk) {
    const quint64 ticket = addPending(source, message, listed);
    return ticket != 0 && (!waitForDisk || awaited(ticket));
}

bool QueueJournal::awaited(quint64 ticket, const AfterFlush &then) {
    if (!owedHere || (then && !thenHere)) {
        const bool stored = flushed(ticket);
        if (then)
            then(stored);
        return stored;
    }
    *owedHere = std::max(*owedHere, ticket);
    if (then)
        thenHere->push_back(then);
    return true;
}

QueueJournal::DeferredWaits::DeferredWaits(quint64 &owed) {
    owedHere = &owed;
    thenHere = nullptr;
}

QueueJournal::DeferredWaits::DeferredWaits(quint64 &owed, std::vector<AfterFlush> &then) {
    owedHere = &owed;
    thenHere = &then;
}

QueueJournal::DeferredWaits::~DeferredWaits() {
    owedHere = nullptr;
    thenHere = nullptr;
}

bool QueueJournal::flushed(quint64 ticket) {
    if (ticket == 0)
        return false;
    Locked lock(*this);
    while (m_flushed < ticket) {
        if (m_flushing) {
            m_flushDone.wait(&m_mutex);
            continue;
        }
        if (!m_file.isOpen())
            return false;
        // This caller flushes for everyone whose record is written by now.
        m_flushing = true;
        const quint64 target = m_written;
        lock.unlock();
        const bool ok = syncFile(m_file);
        lock.relock();
        ++m_flushCount;
        m_flushing = false;
        if (ok)
            m_flushed = std::max(m_flushed, target);
        else
            replaceLostFileLocked();
        m_flushDone.wakeAll();
    }
    return true;
}

QueueJournal::Batch::Batch(QueueJournal *journal)
    : m_journal(journal) {
    if (!m_journal)
        return;
    QMutexLocker lock(&m_journal->m_mutex);
    if (m_journal->m_batchDepth > 0 && !m_journal->inBatchHere()) {
        m_journal = nullptr; // one thread batches at a time; the others write as they go
        return;
    }
    m_journal->m_batchThread = QThread::currentThread();
    ++m_journal->m_batchDepth;
}

QueueJournal::Batch::~Batch() {
    if (m_journal)
        m_journal->endBatch();
}

void QueueJournal::endBatch() {
    Locked lock(*this);
    if (--m_batchDepth > 0 || m_batch.empty())
        return;
    std::vector<QueueOp> ops;
    ops.swap(m_batch);
    writeLocked(ops, true);
}
