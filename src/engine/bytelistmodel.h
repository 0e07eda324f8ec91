#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <deque>

// A list of byte strings shown as Latin-1 text: "Pending Messages" and "Received Data".
// Changed only on the thread that owns it; other threads post their additions (appendQueued).
class ByteListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ByteListModel(const QString &objectName, QObject *parent = nullptr);

    void append(const QByteArray &item);
    void appendQueued(const QByteArray &item); // from any thread, in order of the calls
    bool isEmpty() const { return m_items.empty(); }
    int size() const { return static_cast<int>(m_items.size()); }
    QByteArray first() const { return m_items.empty() ? QByteArray() : m_items.front(); }
    QByteArray at(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
    void removeFirst();
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    std::deque<QByteArray> m_items;
};
