#include "queuejournal.h"

#include "journalformat.h"

#include "metrics/figures.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString damagedCopyName(const QString &path) {
    return path + QStringLiteral(".damaged-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
}

// The new name of a renamed file is only durable once its directory is.
void syncDirectory([[maybe_unused]] const QString &path) {
#ifndef Q_OS_WIN
    const QByteArray directory = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(directory.constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

QByteArray snapshot(const QueueState &state) {
    QByteArray bytes = journalformat::fileHeader();
    for (const auto &[id, item] : state.pending) {
        const QueueOp op{QueueOp::Kind::AddPending, id, item.source, item.message};
        bytes += journalformat::encodeRecord(encodeOps({op}));
    }
    for (const auto &[id, line] : state.tx) {
        const QueueOp op{QueueOp::Kind::AddTx, id, QByteArray(), line};
        bytes += journalformat::encodeRecord(encodeOps({op}));
    }
    return bytes;
}

thread_local quint64 lastTicketHere = 0;

} // namespace

QueueJournal::QueueJournal(QObject *parent)
    : QObject(parent) {}

QueueJournal::~QueueJournal() = default;

quint64 QueueJournal::flushCount() const {
    QMutexLocker lock(&m_mutex);
    return m_flushCount;
}

bool QueueJournal::isOpen() const {
    QMutexLocker lock(&m_mutex);
    return m_file.isOpen();
}

QueueJournal::OpenReport QueueJournal::open(const QString &path) {
#ifndef Q_OS_WIN
    // A file-size limit must fail the write, not end the program with the queues in memory.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QMutexLocker lock(&m_mutex);
    OpenReport report;
    m_path = path;
    QFile existing(path);
    if (existing.exists() && !existing.open(QIODevice::ReadOnly)) {
        report.error = existing.errorString();
        return report;
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
        report.keptAs = damagedCopyName(path);
        if (!QFile::copy(path, report.keptAs))
            report.keptAs.clear();
    }
    m_restored = m_state;
    m_nextId = m_state.highestId() + 1;
    report.opened = compactLocked();
    if (!report.opened)
        report.error = m_file.errorString();
    return report;
}

bool QueueJournal::syncFile(QFileDevice &file) {
    if (!file.isOpen())
        return false;
    const TimedObservation timed(figures().journalFlush);
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fdatasync(file.handle()) == 0;
#endif
}

bool QueueJournal::writeBytes(QFileDevice &file, const QByteArray &bytes) {
    return file.write(bytes) == bytes.size();
}

// Written aside and renamed into place: a crash leaves the old journal or the new one, whole.
bool QueueJournal::compactLocked() {
    while (m_flushing)
        m_flushDone.wait(&m_mutex);
    QSaveFile next(m_path);
    const QByteArray bytes = snapshot(m_state);
    if (!next.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeBytes(next, bytes) ||
        !syncFile(next) || !next.commit()) {
        next.cancelWriting();
        reportLocked(false, next.errorString());
        return false;
    }
    syncDirectory(m_path);
    m_file.close();
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        reportLocked(false, m_file.errorString());
        return false;
    }
    m_liveBytes = bytes.size();
    m_fileBytes = bytes.size();
    m_flushed = m_written;
    return true;
}

bool QueueJournal::writeLocked(const std::vector<QueueOp> &ops) {
    if (!m_file.isOpen()) {
        reportLocked(false, tr("the queue journal %1 is not open").arg(m_path));
        return false;
    }
    const QByteArray bytes = journalformat::encodeRecord(encodeOps(ops));
    // The size is kept here, not asked of the system: one less call per record.
    const qint64 before = m_fileBytes;
    if (!writeBytes(m_file, bytes)) {
        const QString error = m_file.errorString();
        // A part of a record must not stay in front of the records that follow it.
        m_file.resize(before);
        m_file.seek(before);
        reportLocked(false, error);
        return false;
    }
    for (const QueueOp &op : ops)
        m_state.apply(op);
    ++m_written;
    reportLocked(true, QString());
    m_fileBytes += bytes.size();
    if (m_fileBytes - m_liveBytes > m_compactionThreshold)
        compactLocked();
    return true;
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
    emit failed(error);
}

bool QueueJournal::inBatchHere() const {
    return m_batchDepth > 0 && m_batchThread == QThread::currentThread();
}

quint64 QueueJournal::record(std::vector<QueueOp> ops,
                             const std::function<void(quint64)> &underLock) {
    QMutexLocker lock(&m_mutex);
    for (QueueOp &op : ops) {
        if (op.id == 0)
            op.id = m_nextId++;
    }
    if (inBatchHere()) {
        m_batch.insert(m_batch.end(), ops.begin(), ops.end());
    } else if (!writeLocked(ops)) {
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

bool QueueJournal::flushed(quint64 ticket) {
    if (ticket == 0)
        return false;
    QMutexLocker lock(&m_mutex);
    while (m_flushed < ticket) {
        if (m_flushing) {
            m_flushDone.wait(&m_mutex);
            continue;
        }
        // This caller flushes for everyone whose record is written by now.
        m_flushing = true;
        const quint64 target = m_written;
        lock.unlock();
        const bool ok = syncFile(m_file);
        lock.relock();
        ++m_flushCount;
        m_flushing = false;
        m_flushDone.wakeAll();
        if (!ok) {
            reportLocked(false, m_file.errorString());
            return false;
        }
        m_flushed = std::max(m_flushed, target);
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
    QMutexLocker lock(&m_mutex);
    if (--m_batchDepth > 0 || m_batch.empty())
        return;
    std::vector<QueueOp> ops;
    ops.swap(m_batch);
    writeLocked(ops);
}
