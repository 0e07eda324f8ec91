#pragma once

#include "guardedtcpserver.h"

#include <QHostAddress>
#include <QString>
#include <QThread>

class WatchEndpoints;

// Where the watchers outside ask: the metrics page and /health over HTTP (when an address is
// given), and the status command's local socket in the working directory. Both are served on
// a thread of their own from the published figures, so an answer never waits for the
// user-interface thread, and a stuck one is reported rather than hidden.
class WatchServer {
public:
    static inline const QString statusSocketName = QStringLiteral("Voduro.status");
    // Status commands answered at once; more are closed as they come.
    static constexpr int statusConnections = 8;
    // How long a status socket that went away (its accept failed: no descriptor was free) waits
    // before it listens again.
    static constexpr int statusRelistenMs = 1000;
    // The most the endpoints hold open at once: the metrics page's and the status socket's
    // listeners and connections, and one connection each accepted only to be closed.
    static constexpr int heldDescriptors =
        (1 + GuardedTcpServer::maxConnections + 1) + (1 + statusConnections + 1);

    WatchServer();
    ~WatchServer();
    WatchServer(const WatchServer &) = delete;
    WatchServer &operator=(const WatchServer &) = delete;

    // Opens the endpoints; a null `metricsAddress` serves no metrics. Returns what could not be
    // opened (empty when all is well); the rest is served all the same.
    QString start(const QHostAddress &metricsAddress, quint16 metricsPort);
    void stop();

private:
    QThread m_thread;
    WatchEndpoints *m_endpoints = nullptr;
};

// The status command's answer: the status line, then the main figures, one per line.
QString statusReport();
