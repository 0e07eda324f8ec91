#pragma once

#include "bytelistmodel.h"

#include <QMutex>
#include <deque>
#include <vector>

class QueueJournal;

// "Tx Pending": the automation lines waiting to be sent, head first. Producers append at the
// end from any thread; only the transmit step removes the head. With a journal, every line but
// the link's own heartbeat and self-test lines is stored, and leaves the journal with the queue.
// Lines enter the queue in the order they entered the journal, from whichever thread: after a
// restart they come back in the order they were shown.
class TxQueue : public ByteListModel {
    Q_OBJECT
public:
    explicit TxQueue(QObject *parent = nullptr)
        : ByteListModel(QStringLiteral("TxQueue"), parent) {}

    void setJournal(QueueJournal *journal) { m_journal = journal; }

    void append(const QByteArray &line);          // any thread, stored
    void appendTransient(const QByteArray &line); // any thread, never stored
    void appendRestored(quint64 id, const QByteArray &line);
    QByteArray head() const { return first(); } // empty when the queue is empty
    void removeHead() { removeFirst(); }
    void removeFirst() override;
    void clear() override;
    QList<QByteArray> lines() const { return items(); }

private:
    struct Incoming {
        quint64 id;
        QByteArray line;
    };

    void appendWithId(quint64 id, const QByteArray &line);
    void takeIncoming();

    QueueJournal *m_journal = nullptr;
    std::deque<quint64> m_ids; // the journal's id of each row, 0 for a line not stored
    QMutex m_incomingMutex;
    std::vector<Incoming> m_incoming; // appended, not yet in the rows
    bool m_takePosted = false;
};
