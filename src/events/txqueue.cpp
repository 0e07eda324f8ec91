#include "txqueue.h"

#include "metrics/figures.h"
#include "store/queuejournal.h"

#include <QMetaObject>
#include <QThread>
#include <utility>

namespace {

thread_local qint64 lineOriginNs = 0;

} // namespace

TxQueue::LineOrigin::LineOrigin(qint64 takenAtNs)
    : m_previous(std::exchange(lineOriginNs, takenAtNs)) {}

TxQueue::LineOrigin::~LineOrigin() {
    lineOriginNs = m_previous;
}

void TxQueue::append(const QByteArray &line) {
    if (!m_journal) {
        appendWithId(0, line);
        return;
    }
    // A line the journal cannot write is listed all the same and delivered: the journal keeps
    // it in memory for the next file it writes, and reports the failure.
    m_journal->addTx(line, [this, &line](quint64 id) { appendWithId(id, line); });
}

void TxQueue::appendTransient(const QByteArray &line) {
    appendWithId(0, line, true);
}

void TxQueue::appendRestored(quint64 id, const QByteArray &line) {
    appendWithId(id, line);
}

// Called under the journal's lock when the line is stored, so the order of the calls is the
// journal's. A line from another thread waits for the owner thread; one appended there meanwhile
// goes after it, not before. The row is made here: its origin is the calling thread's.
void TxQueue::appendWithId(quint64 id, const QByteArray &line, bool transient) {
    const Row row{id, transient ? 0 : lineOriginNs, transient};
    {
        QMutexLocker lock(&m_incomingMutex);
        m_incoming.push_back({row, line});
        if (QThread::currentThread() != thread()) {
            if (!std::exchange(m_takePosted, true))
                QMetaObject::invokeMethod(
                    this, [this] { takeIncoming(); }, Qt::QueuedConnection);
            return;
        }
    }
    takeIncoming();
}

void TxQueue::takeIncoming() {
    std::vector<Incoming> taken;
    {
        QMutexLocker lock(&m_incomingMutex);
        taken.swap(m_incoming);
        m_takePosted = false;
    }
    for (const Incoming &incoming : taken) {
        m_rows.push_back(incoming.row);
        ByteListModel::append(incoming.line);
    }
}

void TxQueue::removeFirst() {
    if (isEmpty())
        return;
    const quint64 id = m_rows.front().id;
    m_rows.pop_front();
    ByteListModel::removeFirst();
    if (m_journal && id != 0)
        m_journal->removeTx({id});
}

void TxQueue::clear() {
    std::vector<quint64> stored;
    for (const Row &row : m_rows) {
        if (row.id != 0)
            stored.push_back(row.id);
    }
    m_rows.clear();
    ByteListModel::clear();
    if (m_journal)
        m_journal->removeTx(stored);
}

void TxQueue::headSent() {
    if (m_rows.empty())
        return;
    if (std::exchange(m_rows.front().sent, true))
        figures().lineRetried();
}

void TxQueue::headAcknowledged() {
    if (m_rows.empty())
        return;
    Row &head = m_rows.front();
    if (head.transient || std::exchange(head.acknowledged, true))
        return;
    figures().lineDelivered();
    if (head.takenAtNs > 0)
        figures().alarmLatency.observeNs(steadyNowNs() - head.takenAtNs);
}
