#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <deque>

// One accepted message waiting for the decoder, with the caller that sent it: a NUA, an IP peer
// address or "RX3".
struct PendingMessage {
    QByteArray source;
    QByteArray message;

    // "[" + source + "]" + message: how the item is shown and logged.
    QByteArray text() const { return '[' + source + ']' + message; }
};

// "Pending Messages": accepted messages in arrival order, taken from the front one per tick.
// Source and message stay apart, so no byte of a caller's NUA can move where the message starts.
// Items are appended from any thread (the rows are announced on the owner thread); everything
// else belongs to the owner thread.
class PendingMessageModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PendingMessageModel(QObject *parent = nullptr);

    void append(const QByteArray &source, const QByteArray &message); // any thread
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

    std::deque<PendingMessage> m_items;
};
