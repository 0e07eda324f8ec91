#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <deque>

class QueueJournal;

// One accepted message waiting for the decoder, with the caller that sent it: a NUA, an IP peer
// address or "RX3".
struct PendingMessage {
    QByteArray source;
    QByteArray message;
    quint64 id = 0;       // the journal's id; 0 when not stored
    qint64 takenAtNs = 0; // when this run took it, on the steady clock (for the alarm latency)

    // "[" + source + "]" + message: how the item is shown and logged.
    QByteArray text() const { return '[' + source + ']' + message; }
};

// "Pending Messages": accepted messages in arrival order, taken from the front one per tick.
// Source and message stay apart, so no byte of a caller's NUA can move where the message starts.
// Items are appended from any thread (the rows are announced on the owner thread); everything
// else belongs to the owner thread. With a journal, a removal or a clear leaves the journal too.
class PendingMessageModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PendingMessageModel(QObject *parent = nullptr);

    void setJournal(QueueJournal *journal) { m_journal = journal; }

    // Any thread. The item is already stored (id) or is not to be stored (0).
    void append(const QByteArray &source, const QByteArray &message, quint64 id = 0);
    // Owner thread: stores the item, adds it and waits for the disk. False when it could not be
    // stored: then it is not added and must not be acknowledged.
    bool appendStored(const QByteArray &source, const QByteArray &message);
    bool isEmpty() const { return m_items.empty(); }
    int size() const { return static_cast<int>(m_items.size()); }
    PendingMessage first() const { return m_items.empty() ? PendingMessage() : m_items.front(); }
    PendingMessage at(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
    void removeFirst();
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void appendHere(const PendingMessage &item);

    QueueJournal *m_journal = nullptr;
    std::deque<PendingMessage> m_items;
};
