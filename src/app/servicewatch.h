#pragma once

#include "servicenotifier.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class AccountTable;
class Engine;
class IpServer;
class TxQueue;

// What the service manager and the watchers outside see of the running monitor, kept up on the
// engine's tick: the published figures, the one-line status, and the watchdog's pings. The
// pings come from the tick itself, so a tick that hangs stops them and the manager restarts the
// monitor.
class ServiceWatch : public QObject {
    Q_OBJECT
public:
    struct Sources {
        Engine &engine;
        IpServer &ipServer;
        AccountTable &accounts;
        TxQueue &txQueue;
    };

    explicit ServiceWatch(Sources sources, QObject *parent = nullptr);

    // For tests: while this file exists, the tick hangs, as a stuck one would.
    void setStallFile(const QString &path) { m_stallFile = path; }

    // The queues are restored and the lines started: the monitor is ready.
    void ready();
    // The shutdown begins.
    void stopping();

    // "Tx link OK; Pending Messages 0; Tx Pending 0; IP connections 0".
    QString statusText() const;

private:
    void ticked();
    void sampleEveryTick();
    void sampleEverySecond();
    void pingWatchdog();
    void publishStatus();
    QString linkState() const;
    void stallWhileAsked() const;

    Sources m_sources;
    ServiceNotifier m_notifier;
    QString m_stallFile;
    QElapsedTimer m_sincePing;
    QElapsedTimer m_sinceStatus;
    QElapsedTimer m_sinceSample;
    QString m_sentStatus;
    QString m_sentLinkState;
};
