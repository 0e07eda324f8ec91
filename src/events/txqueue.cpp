#include "txqueue.h"

#include "common/ownerthread.h"
#include "store/queuejournal.h"

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

void TxQueue::appendWithId(quint64 id, const QByteArray &line) {
    runOnOwnerThread(this, [this, id, line] {
        m_ids.push_back(id);
        ByteListModel::append(line);
    });
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
