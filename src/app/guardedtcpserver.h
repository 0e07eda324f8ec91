#pragma once

#include <QTcpServer>

// The listening socket of the metrics page, guarding the monitor against what a network may
// send it: at most maxConnections at once (more are closed as they come), request headers of at
// most maxHeaderBytes (a longer one gets 431 and the connection is closed), a request complete
// within requestMs of its first byte and no connection idle for longer than idleMs. What passes
// is handed to the HTTP layer as it is.
class GuardedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    static constexpr int maxConnections = 32;
    static constexpr qsizetype maxHeaderBytes = 8192;
    static constexpr int requestMs = 10000;
    static constexpr int idleMs = 60000;

    explicit GuardedTcpServer(QObject *parent = nullptr)
        : QTcpServer(parent) {}

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    int m_open = 0;
};
