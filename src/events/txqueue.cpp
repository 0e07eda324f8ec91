#include "txqueue.h"

#include "metrics/figures.h"
#include "store/queuejournal.h"

#include <QMetaObject>
#include <QThread>

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
    // A line the journal cannot take is still delivered: only its copy after a restart is lost,
    // and the journal reports the failure.
    if (m_journal->addTx(line, [this, &line](quint64 id) { appendWithId(id, line); }) == 0)
        appendWithId(0, line);
}

void TxQueue::appendTransient(const QByteArray &line) {
    appendWithId(0, line, true);
}

void TxQueue::appendRestored(quint64 id, const QByteArray &line) {
    appendWithId(id, line);
}

void TxQueue::appendWithId(quint64 id, const QByteArray &line, bool transient) {
    const Row row{id, transient ? 0 : lineOriginNs, transient};
    if (QThread::currentThread() == thread()) {
        appendRow(row, line);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, row, line] { appendRow(row, line); }, Qt::QueuedConnection);
}

void TxQueue::appendRow(const Row &row, const QByteArray &line) {
    m_rows.push_back(row);
    ByteListModel::append(line);
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
