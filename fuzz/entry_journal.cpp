#include "fuzzentries.h"
#include "fuzzinput.h"

#include "store/journalformat.h"
#include "store/queueops.h"

namespace {

using journalformat::ReadResult;

// Every byte is accounted for once: header, whole records, skipped damage or the torn tail.
void checkAccounting(const QByteArray &bytes, const ReadResult &read) {
    qsizetype recordBytes = 0;
    for (const QByteArray &payload : read.payloads)
        recordBytes += journalformat::recordHeaderSize + payload.size();
    const qsizetype header = read.headerValid ? journalformat::headerSize : 0;
    FUZZ_CHECK(header + recordBytes + read.skippedBytes + read.tailBytes == bytes.size());
    FUZZ_CHECK(read.validEnd + read.tailBytes == bytes.size());
}

QueueState stateOf(const ReadResult &read) {
    QueueState state;
    for (const QByteArray &payload : read.payloads) {
        const auto ops = decodeOps(payload);
        if (!ops)
            continue;
        // A record reads back to exactly the bytes it was written from.
        FUZZ_CHECK(encodeOps(*ops) == payload);
        for (const QueueOp &op : *ops)
            state.apply(op);
    }
    return state;
}

// The compacted journal, written as the store writes it: one record per queued item.
QByteArray compacted(const QueueState &state) {
    QByteArray bytes = journalformat::fileHeader();
    for (const auto &[id, item] : state.pending)
        bytes += journalformat::encodeRecord(
            encodeOps({QueueOp{QueueOp::Kind::AddPending, id, item.source, item.message}}));
    for (const auto &[id, line] : state.tx)
        bytes += journalformat::encodeRecord(
            encodeOps({QueueOp{QueueOp::Kind::AddTx, id, QByteArray(), line}}));
    return bytes;
}

bool sameState(const QueueState &a, const QueueState &b) {
    if (a.tx != b.tx || a.pending.size() != b.pending.size())
        return false;
    auto other = b.pending.begin();
    for (const auto &[id, item] : a.pending) {
        if (other->first != id || other->second.source != item.source ||
            other->second.message != item.message)
            return false;
        ++other;
    }
    return true;
}

} // namespace

namespace fuzzentries {

// The input is a journal file as found at start-up.
void journal(const QByteArray &input) {
    const ReadResult read = journalformat::readJournal(input);
    checkAccounting(input, read);
    const QueueState state = stateOf(read);

    // What a restart compacts to reads back whole, undamaged, to the same queues.
    const QByteArray rewritten = compacted(state);
    const ReadResult again = journalformat::readJournal(rewritten);
    FUZZ_CHECK(again.headerValid && again.skippedBytes == 0 && again.tailBytes == 0);
    FUZZ_CHECK(sameState(stateOf(again), state));
}

} // namespace fuzzentries
