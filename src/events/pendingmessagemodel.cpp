#include "pendingmessagemodel.h"

#include "common/ownerthread.h"
#include "metrics/figures.h"
#include "store/queuejournal.h"

PendingMessageModel::PendingMessageModel(QObject *parent)
    : QAbstractListModel(parent) {
    setObjectName(QStringLiteral("ListBox2"));
}

void PendingMessageModel::append(const QByteArray &source, const QByteArray &message, quint64 id) {
    const PendingMessage item{source, message, id, steadyNowNs()};
    runOnOwnerThread(this, [this, item] { appendHere(item); });
}

bool PendingMessageModel::appendStored(const QByteArray &source, const QByteArray &message) {
    if (!m_journal) {
        append(source, message);
        return true;
    }
    // Stored and listed: a failed flush still leaves it queued (delivered at least once), but
    // unacknowledged, so the sender keeps it too.
    return m_journal->storePending(source, message, [&](quint64 id) {
        appendHere(PendingMessage{source, message, id, steadyNowNs()});
    });
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
    const quint64 id = m_items.front().id;
    beginRemoveRows(QModelIndex(), 0, 0);
    m_items.pop_front();
    endRemoveRows();
    if (m_journal && id != 0)
        m_journal->removePending({id});
}

void PendingMessageModel::clear() {
    std::vector<quint64> stored;
    for (const PendingMessage &item : m_items) {
        if (item.id != 0)
            stored.push_back(item.id);
    }
    if (m_journal)
        m_journal->removePending(stored);
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
