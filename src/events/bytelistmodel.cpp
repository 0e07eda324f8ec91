#include "bytelistmodel.h"

#include "common/ownerthread.h"

#include <algorithm>

ByteListModel::ByteListModel(const QString &objectName, QObject *parent)
    : QAbstractListModel(parent) {
    setObjectName(objectName);
}

void ByteListModel::append(const QByteArray &item) {
    runOnOwnerThread(this, [this, item] { appendHere(item); });
}

void ByteListModel::appendHere(const QByteArray &item) {
    if (m_rowLimit > 0 && size() >= m_rowLimit)
        dropOldest();
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_items.push_back(item);
    endInsertRows();
}

void ByteListModel::dropOldest() {
    const int count = std::min(std::max(m_rowLimit / 100, 1), size());
    beginRemoveRows(QModelIndex(), 0, count - 1);
    m_items.erase(m_items.begin(), m_items.begin() + count);
    endRemoveRows();
}

void ByteListModel::removeFirst() {
    if (m_items.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, 0);
    m_items.pop_front();
    endRemoveRows();
}

void ByteListModel::clear() {
    beginResetModel();
    m_items.clear();
    endResetModel();
    emit cleared();
}

int ByteListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : size();
}

QVariant ByteListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= size())
        return QVariant();
    return QString::fromLatin1(at(index.row()));
}
