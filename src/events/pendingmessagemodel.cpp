#include "pendingmessagemodel.h"

#include <QMetaObject>
#include <QThread>

PendingMessageModel::PendingMessageModel(QObject *parent)
    : QAbstractListModel(parent) {
    setObjectName(QStringLiteral("ListBox2"));
}

void PendingMessageModel::append(const QByteArray &source, const QByteArray &message) {
    const PendingMessage item{source, message};
    if (QThread::currentThread() == thread()) {
        appendHere(item);
        return;
    }
    // Posted in call order, so a connection thread's messages keep their order.
    QMetaObject::invokeMethod(
        this, [this, item] { appendHere(item); }, Qt::QueuedConnection);
}

void PendingMessageModel::appendHere(const PendingMessage &item) {
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_items.push_back(item);
    endInsertRows();
}

void PendingMessageModel::removeFirst() {
    if (m_items.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, 0);
    m_items.pop_front();
    endRemoveRows();
}

void PendingMessageModel::clear() {
    beginResetModel();
    m_items.clear();
    endResetModel();
}

int PendingMessageModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant PendingMessageModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= size())
        return QVariant();
    return QString::fromLatin1(at(index.row()).text());
}
