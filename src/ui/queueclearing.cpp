#include "queueclearing.h"

#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "engine/engine.h"
#include "events/txqueue.h"

QueueClearing::QueueClearing(Engine &engine, TxQueue &txQueue, LogBook &logs,
                             OperatorDialogs &dialogs)
    : m_engine(engine)
    , m_txQueue(txQueue)
    , m_logs(logs)
    , m_dialogs(dialogs) {}

bool QueueClearing::confirmTxPending() {
    if (m_txQueue.isEmpty())
        return true;
    return m_dialogs.question(
        tr("Clear Events"),
        tr("Lines not yet delivered to the automation software: %1.\nThey will be removed from "
           "\"Tx Pending\"; a copy of each is kept in %2.\nClear them?")
            .arg(m_txQueue.size())
            .arg(LogBook::ClearedLog));
}

bool QueueClearing::clearTxPending() {
    if (!keepCopy(QStringLiteral("Tx Pending"), m_txQueue.lines()))
        return false;
    m_engine.clearTxQueue();
    return true;
}

void QueueClearing::clearPendingMessages() {
    PendingMessageModel &pending = m_engine.pendingMessages();
    if (!pending.isEmpty() &&
        !m_dialogs.question(tr("Clear Messages"),
                            tr("Messages not yet decoded and delivered: %1.\nThey will be "
                               "removed from \"Pending Messages\"; a copy of each is kept in "
                               "%2.\nClear them?")
                                .arg(pending.size())
                                .arg(LogBook::ClearedLog)))
        return;
    QList<QByteArray> items;
    for (int row = 0; row < pending.size(); ++row)
        items.append(pending.at(row).text());
    if (keepCopy(QStringLiteral("Pending Messages"), items))
        pending.clear();
}

bool QueueClearing::keepCopy(const QString &queueName, const QList<QByteArray> &items) {
    if (m_logs.logCleared(queueName, items))
        return true;
    m_dialogs.errorNotice(tr("Error"),
                          tr("The cleared items cannot be written to %1, so nothing was cleared.")
                              .arg(LogBook::ClearedLog));
    return false;
}
