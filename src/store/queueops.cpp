#include "queueops.h"

#include <QtEndian>

namespace {

void putU32(QByteArray &out, quint32 value) {
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    out.append(bytes, 4);
}

void putU64(QByteArray &out, quint64 value) {
    char bytes[8];
    qToLittleEndian<quint64>(value, bytes);
    out.append(bytes, 8);
}

void putBytes(QByteArray &out, const QByteArray &bytes) {
    putU32(out, quint32(bytes.size()));
    out.append(bytes);
}

// Reads from a payload; every read checks the bytes left, so no input reads past the end.
class Reader {
public:
    explicit Reader(const QByteArray &payload)
        : m_payload(payload) {}

    bool atEnd() const { return m_at == m_payload.size(); }
    std::optional<quint8> u8() {
        if (left() < 1)
            return std::nullopt;
        return static_cast<quint8>(m_payload[m_at++]);
    }
    std::optional<quint64> u64() {
        if (left() < 8)
            return std::nullopt;
        const quint64 value = qFromLittleEndian<quint64>(m_payload.constData() + m_at);
        m_at += 8;
        return value;
    }
    std::optional<QByteArray> bytes() {
        if (left() < 4)
            return std::nullopt;
        const quint32 length = qFromLittleEndian<quint32>(m_payload.constData() + m_at);
        m_at += 4;
        if (qsizetype(length) > left())
            return std::nullopt;
        const QByteArray value = m_payload.mid(m_at, length);
        m_at += length;
        return value;
    }

private:
    qsizetype left() const { return m_payload.size() - m_at; }

    const QByteArray &m_payload;
    qsizetype m_at = 0;
};

std::optional<QueueOp> readOp(Reader &reader) {
    const auto kind = reader.u8();
    const auto id = reader.u64();
    if (!kind || !id || *kind < 1 || *kind > 4)
        return std::nullopt;
    QueueOp op;
    op.kind = static_cast<QueueOp::Kind>(*kind);
    op.id = *id;
    if (op.kind == QueueOp::Kind::AddPending) {
        const auto source = reader.bytes();
        if (!source)
            return std::nullopt;
        op.source = *source;
    }
    if (op.kind == QueueOp::Kind::AddPending || op.kind == QueueOp::Kind::AddTx) {
        const auto bytes = reader.bytes();
        if (!bytes)
            return std::nullopt;
        op.bytes = *bytes;
    }
    return op;
}

} // namespace

void QueueState::apply(const QueueOp &op) {
    switch (op.kind) {
    case QueueOp::Kind::AddPending:
        pending[op.id] = {op.source, op.bytes};
        break;
    case QueueOp::Kind::AddTx:
        tx[op.id] = op.bytes;
        break;
    case QueueOp::Kind::RemovePending:
        pending.erase(op.id);
        break;
    case QueueOp::Kind::RemoveTx:
        tx.erase(op.id);
        break;
    }
}

quint64 QueueState::highestId() const {
    quint64 highest = 0;
    if (!pending.empty())
        highest = pending.rbegin()->first;
    if (!tx.empty())
        highest = std::max(highest, tx.rbegin()->first);
    return highest;
}

QByteArray encodeOps(const std::vector<QueueOp> &ops) {
    QByteArray out;
    for (const QueueOp &op : ops) {
        out.append(static_cast<char>(op.kind));
        putU64(out, op.id);
        if (op.kind == QueueOp::Kind::AddPending)
            putBytes(out, op.source);
        if (op.kind == QueueOp::Kind::AddPending || op.kind == QueueOp::Kind::AddTx)
            putBytes(out, op.bytes);
    }
    return out;
}

std::optional<std::vector<QueueOp>> decodeOps(const QByteArray &payload) {
    Reader reader(payload);
    std::vector<QueueOp> ops;
    while (!reader.atEnd()) {
        std::optional<QueueOp> op = readOp(reader);
        if (!op)
            return std::nullopt;
        ops.push_back(std::move(*op));
    }
    if (ops.empty())
        return std::nullopt;
    return ops;
}
