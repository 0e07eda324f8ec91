#include "txqueue.h"

#include <QMetaObject>
#include <QThread>

TxQueue::TxQueue(QObject *parent)
    : QAbstractListModel(parent) {}

void TxQueue::append(const QByteArray &line) {
    if (QThread::currentThread() == thread()) {
        appendHere(line);
        return;
    }
    // Posted events are delivered in the order they were posted, so lines from a connection
    // thread keep their order; a blocking call could deadlock against a stop waiting for it.
    QMetaObject::invokeMethod(this, "appendHere", Qt::QueuedConnection, Q_ARG(QByteArray, line));
}

void TxQueue::appendHere(const QByteArray &line) {
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_lines.push_back(line);
    endInsertRows();
}

bool TxQueue::isEmpty() const {
    return m_lines.empty();
}

int TxQueue::size() const {
    return static_cast<int>(m_lines.size());
}

QByteArray TxQueue::head() const {
    return m_lines.empty() ? QByteArray() : m_lines.front();
}

void TxQueue::removeHead() {
    if (m_lines.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, 0);
    m_lines.pop_front();
    endRemoveRows();
}

void TxQueue::clear() {
    beginResetModel();
    m_lines.clear();
    endResetModel();
    emit cleared();
}

QList<QByteArray> TxQueue::lines() const {
    return QList<QByteArray>(m_lines.begin(), m_lines.end());
}

int TxQueue::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant TxQueue::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= size())
        return QVariant();
    return QString::fromLatin1(m_lines[static_cast<std::size_t>(index.row())]);
}
