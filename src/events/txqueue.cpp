#include "txqueue.h"

#include "store/queuejournal.h"

#include <QMetaObject>
#include <QThread>
#include <utility>

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
    appendWithId(0, line);
}

void TxQueue::appendRestored(quint64 id, const QByteArray &line) {
    appendWithId(id, line);
}

// Called under the journal's lock when the line is stored, so the order of the calls is the
// journal's. A line from another thread waits for the owner thread; one appended there meanwhile
// goes after it, not before.
void TxQueue::appendWithId(quint64 id, const QByteArray &line) {
    {
        QMutexLocker lock(&m_incomingMutex);
        m_incoming.push_back({id, line});
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
        m_ids.push_back(incoming.id);
        ByteListModel::append(incoming.line);
    }
}

void TxQueue::removeFirst() {
    if (isEmpty())
        return;
    const quint64 id = m_ids.front();
    m_ids.pop_front();
    ByteListModel::removeFirst();
    if (m_journal && id != 0)
        m_journal->removeTx({id});
}

void TxQueue::clear() {
    std::vector<quint64> stored;
    for (quint64 id : m_ids) {
        if (id != 0)
            stored.push_back(id);
    }
    m_ids.clear();
    ByteListModel::clear();
    if (m_journal)
        m_journal->removeTx(stored);
}
