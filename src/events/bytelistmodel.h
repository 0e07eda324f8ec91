#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <deque>

// A queue of byte strings shown as Latin-1 text, one per row: "Pending Messages", "Received
// Data" and "Tx Pending". Items are appended at the end from any thread (the rows are announced
// on the owner thread) and taken from the front; everything but append() belongs to the owner
// thread.
class ByteListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ByteListModel(const QString &objectName = QString(), QObject *parent = nullptr);

    void append(const QByteArray &item); // any thread, in the order of the calls
    // At most `limit` rows (0: no limit): a row added to a full list first takes the oldest
    // hundredth away, in one step. For a display log, never for a queue.
    void setRowLimit(int limit) { m_rowLimit = limit; }
    int rowLimit() const { return m_rowLimit; }
    bool isEmpty() const { return m_items.empty(); }
    int size() const { return static_cast<int>(m_items.size()); }
    QByteArray first() const { return m_items.empty() ? QByteArray() : m_items.front(); }
    QByteArray at(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
    QList<QByteArray> items() const { return QList<QByteArray>(m_items.begin(), m_items.end()); }
    virtual void removeFirst();
    virtual void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

signals:
    void cleared();

private:
    void appendHere(const QByteArray &item);
    void dropOldest();

    std::deque<QByteArray> m_items;
    int m_rowLimit = 0;
};
