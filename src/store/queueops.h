#pragma once

#include <QByteArray>
#include <map>
#include <optional>
#include <vector>

// The changes to the two durable queues that the journal records. Every queued item has an id
// of its own, so a removal names the item it removes and never another one.
struct QueueOp {
    enum class Kind : quint8 { AddPending = 1, AddTx = 2, RemovePending = 3, RemoveTx = 4 };
    Kind kind = Kind::AddTx;
    quint64 id = 0;
    QByteArray source; // AddPending: the caller
    QByteArray bytes;  // AddPending: the message; AddTx: the automation line
};

struct StoredPending {
    QByteArray source;
    QByteArray message;
};

// The queues as the journal holds them, each in the order its items were stored.
struct QueueState {
    std::map<quint64, StoredPending> pending;
    std::map<quint64, QByteArray> tx;

    void apply(const QueueOp &op);
    quint64 highestId() const;
};

// One record's payload: its operations, in order. A record is applied whole or not at all.
QByteArray encodeOps(const std::vector<QueueOp> &ops);
// Empty optional when the payload is not a list of well-formed operations.
std::optional<std::vector<QueueOp>> decodeOps(const QByteArray &payload);
