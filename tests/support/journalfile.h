#pragma once

#include "store/journalformat.h"
#include "store/queueops.h"

#include <QFile>

// What a journal file holds, read without opening it as the monitor does (which would rewrite
// it): the queues after every whole record, and the records themselves.
struct JournalFile {
    QueueState state;
    std::vector<std::vector<QueueOp>> records;
    journalformat::ReadResult read;

    explicit JournalFile(const QString &path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        read = journalformat::readJournal(file.readAll());
        for (const QByteArray &payload : read.payloads) {
            const auto ops = decodeOps(payload);
            if (!ops)
                continue;
            records.push_back(*ops);
            for (const QueueOp &op : *ops)
                state.apply(op);
        }
    }

    QList<QByteArray> txLines() const {
        QList<QByteArray> lines;
        for (const auto &[id, line] : state.tx)
            lines.append(line);
        return lines;
    }
    QList<QByteArray> pendingMessages() const {
        QList<QByteArray> messages;
        for (const auto &[id, item] : state.pending)
            messages.append(item.message);
        return messages;
    }
};
