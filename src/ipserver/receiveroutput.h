#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// What the IP receiver shows and queues, as signals on the user-interface thread. The I/O
// threads hand their work over in batches (ReceiverHandOver), which emits these in the order the
// work was done, so the additions to the lists keep their order of arrival.
class ReceiverOutput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // "Pending Messages"; `id` is the journal's id of the stored message (0: not stored).
    void messageQueued(const QByteArray &peer, const QByteArray &message, quint64 id);
    void messagesArrived();                        // after a batch that queued messages
    void dataShown(const QByteArray &text);        // "Received Data", while Coms Setup is open
    void watchdogFed();                            // the IP watchdog starts again from 20000 ticks
    void peerShown(const QString &address);        // the "IP Network" line's address
    void errorAccountShown(const QString &text);   // the "Account" error label of Coms Setup
    void threadCountChanged(const QString &count); // "Connections"
    void disconnectLogFailed(int failures);        // appended to the Tx link label's caption
};
