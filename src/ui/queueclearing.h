#pragma once

#include <QCoreApplication>
#include <QList>

class Engine;
class LogBook;
class OperatorDialogs;
class TxQueue;

// Clearing the queues that hold items not yet delivered: "Tx Pending" (lines for the automation
// software) and "Pending Messages" (messages already acknowledged to their panels). A queue that
// holds items is cleared only after the operator, told how many go, says Yes; and every item is
// first written to the cleared-items file, whatever the log switch says, so that nothing is lost
// without a trace. When that copy cannot be written nothing is cleared. An empty queue is
// cleared without a question.
class QueueClearing {
    Q_DECLARE_TR_FUNCTIONS(QueueClearing)
public:
    QueueClearing(Engine &engine, TxQueue &txQueue, LogBook &logs, OperatorDialogs &dialogs);

    // "Clear Events": true when "Tx Pending" may be cleared (it is empty, or the operator said
    // Yes to the number of lines that go).
    bool confirmTxPending();
    // Keeps a copy of every line of "Tx Pending", then empties it; false when nothing was
    // cleared because the copy could not be written.
    bool clearTxPending();
    // The "Clear" of "Pending Messages": asks, keeps a copy and empties the queue.
    void clearPendingMessages();

private:
    bool keepCopy(const QString &queueName, const QList<QByteArray> &items);

    Engine &m_engine;
    TxQueue &m_txQueue;
    LogBook &m_logs;
    OperatorDialogs &m_dialogs;
};
