#pragma once

#include "bytelistmodel.h"

// "Tx Pending": the automation lines waiting to be sent, head first. Producers append at the
// end from any thread; only the transmit step removes the head.
class TxQueue : public ByteListModel {
    Q_OBJECT
public:
    explicit TxQueue(QObject *parent = nullptr)
        : ByteListModel(QStringLiteral("TxQueue"), parent) {}

    QByteArray head() const { return first(); } // empty when the queue is empty
    void removeHead() { removeFirst(); }
    QList<QByteArray> lines() const { return items(); }
};
