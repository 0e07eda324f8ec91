#pragma once

#include "httpexchange.h"

#include <QTcpServer>
#include <functional>

// The metrics page's HTTP server, guarding the monitor against what a network may send it: at
// most maxConnections at once (more are closed as they come); one request at a time on each,
// the next not read before the reply to the last has gone out, so a client that does not take
// its replies stops being read; request heads of at most maxHeaderBytes (a longer one gets 431
// and the connection is closed); at most maxBufferedBytes waiting unread; a request answered
// and its reply taken within requestMs of its first byte, and no connection idle for longer
// than idleMs. Each byte received is looked at a few times at most, however it is cut up.
class GuardedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    static constexpr int maxConnections = 32;
    static constexpr qsizetype maxHeaderBytes = 8192;
    static constexpr qsizetype maxBufferedBytes = 16384;
    static constexpr int requestMs = 10000;
    static constexpr int idleMs = 60000;
    // Qt stops accepting for good when an accept fails for want of a descriptor: it tries again
    // after this long.
    static constexpr int acceptRetryMs = 1000;

    // Answers a well-formed request; runs on the server's thread.
    using Responder = std::function<HttpReply(const HttpRequestHead &)>;

    explicit GuardedTcpServer(Responder responder, QObject *parent = nullptr);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    Responder m_responder;
    int m_open = 0;
};
