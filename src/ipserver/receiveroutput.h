#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// What the IP receiver hands to the user-interface side. The signals are emitted on connection
// threads; receivers on the user-interface thread get them queued, in the order they were
// emitted, so the additions to the lists keep their order of arrival. A connection thread never
// waits for the user-interface thread, so a stop that waits for the threads cannot deadlock.
class ReceiverOutput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // "Pending Messages"; `id` is the journal's id of the stored message (0: not stored).
    void messageQueued(const QByteArray &peer, const QByteArray &message, quint64 id);
    void dataShown(const QByteArray &text);        // "Received Data", while Coms Setup is open
    void watchdogFed();                            // the IP watchdog starts again from 20000 ticks
    void peerShown(const QString &address);        // the "IP Network" line's address
    void errorAccountShown(const QString &text);   // the "Account" error label of Coms Setup
    void threadCountChanged(const QString &count); // "Connections"
    void disconnectLogFailed(int failures);        // appended to the Tx link label's caption
};
