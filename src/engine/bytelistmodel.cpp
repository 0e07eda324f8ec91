#include "bytelistmodel.h"

#include <QMetaObject>
#include <QThread>

ByteListModel::ByteListModel(const QString &objectName, QObject *parent)
    : QAbstractListModel(parent) {
    setObjectName(objectName);
}

void ByteListModel::append(const QByteArray &item) {
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_items.push_back(item);
    endInsertRows();
}

void ByteListModel::appendQueued(const QByteArray &item) {
    if (QThread::currentThread() == thread()) {
        append(item);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, item] { append(item); }, Qt::QueuedConnection);
}

void ByteListModel::removeFirst() {
    if (m_items.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, 0);
    m_items.pop_front();
    endRemoveRows();
}

void ByteListModel::clear() {
    if (m_items.empty())
        return;
    beginResetModel();
    m_items.clear();
    endResetModel();
}

int ByteListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant ByteListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= size())
        return QVariant();
    return QString::fromLatin1(at(index.row()));
}
