#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QStringList>
#include <deque>

// "Tx Pending": the automation lines waiting to be sent, head first. Producers append at the
// end from any thread (the model announces the rows on its own thread); only the transmit step
// removes the head. Everything but append() belongs to the owner thread.
class TxQueue : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TxQueue(QObject *parent = nullptr);

    void append(const QByteArray &line); // any thread
    bool isEmpty() const;
    int size() const;
    QByteArray head() const; // empty when the queue is empty
    void removeHead();
    void clear();
    QList<QByteArray> lines() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

signals:
    void cleared();

private:
    Q_INVOKABLE void appendHere(const QByteArray &line);

    std::deque<QByteArray> m_lines;
};
