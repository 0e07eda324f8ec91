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

    // The head goes out: a second send of it is counted as a retry.
    void headSent();
    // The automation software acknowledged the head: counted as delivered once, with the time
    // since its message was taken, whatever further copies of it are still owed.
    void headAcknowledged();

    // While one lives, the lines this thread appends stem from a message taken at `takenAtNs`.
    class LineOrigin {
    public:
        explicit LineOrigin(qint64 takenAtNs);
        ~LineOrigin();
        LineOrigin(const LineOrigin &) = delete;
        LineOrigin &operator=(const LineOrigin &) = delete;

    private:
        qint64 m_previous;
    };

private:
    struct Row {
        quint64 id = 0;         // the journal's id, 0 for a line not stored
        qint64 takenAtNs = 0;   // when its message was taken; 0 when unknown
        bool transient = false; // the link's own heartbeat or self-test line
        bool sent = false;
        bool acknowledged = false;
    };
    struct Incoming {
        Row row;
        QByteArray line;
    };
    void appendWithId(quint64 id, const QByteArray &line, bool transient = false);
    void takeIncoming();

    QueueJournal *m_journal = nullptr;
    std::deque<Row> m_rows; // one per line, head first
    QMutex m_incomingMutex;
    std::vector<Incoming> m_incoming; // appended, not yet in the rows
    bool m_takePosted = false;
};
