#include "guardedtcpserver.h"

#include <QTcpSocket>
#include <QTimer>

#include <unistd.h>

namespace {

// One connection: its input is read only while no reply is on its way, so the requests a client
// sends without taking the replies wait in the system, not here.
class HttpConnection : public QObject {
public:
    HttpConnection(QTcpSocket *socket, GuardedTcpServer::Responder responder)
        : QObject(socket)
        , m_socket(socket)
        , m_responder(std::move(responder)) {
        socket->setReadBufferSize(GuardedTcpServer::maxBufferedBytes);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { drop(); });
        m_deadline.start(GuardedTcpServer::requestMs); // a connection comes to ask
        connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::serve);
        connect(socket, &QTcpSocket::bytesWritten, this, &HttpConnection::serve);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void serve() {
        if (m_closing || (m_replying && !replyTaken()))
            return;
        while (true) {
            const qsizetype end = requestHeadEnd(m_input, m_start, m_scanned);
            if (end >= 0) {
                const QByteArrayView head = QByteArrayView(m_input).sliced(m_start, end - m_start);
                m_start = end;
                answer(head);
                return;
            }
            if (m_input.size() - m_start > GuardedTcpServer::maxHeaderBytes) {
                refuse(431);
                return;
            }
            if (!readMore())
                return;
        }
    }

    // Once the reply is with the system, the next request's time begins: now, for one that has
    // come already, else at its first byte after an idle wait.
    bool replyTaken() {
        if (m_socket->bytesToWrite() > 0)
            return false;
        m_replying = false;
        m_deadline.start(m_input.size() > m_start ? GuardedTcpServer::requestMs
                                                  : GuardedTcpServer::idleMs);
        return true;
    }

    // What is waiting, as far as a head's room goes. False when nothing more is waiting.
    bool readMore() {
        if (m_start > 0) {
            m_input.remove(0, m_start);
            m_scanned -= m_start;
            m_start = 0;
        }
        const QByteArray bytes =
            m_socket->read(GuardedTcpServer::maxHeaderBytes + 1 - m_input.size());
        if (bytes.isEmpty())
            return false;
        if (m_input.isEmpty())
            m_deadline.start(GuardedTcpServer::requestMs);
        m_input += bytes;
        return true;
    }

    // The reply must be taken within the request's time; nothing more is read until it is.
    void answer(QByteArrayView head) {
        const HttpRequestHead request = parseRequestHead(head);
        if (!request.valid) {
            refuse(400);
            return;
        }
        // A body is not read: the connection ends after the reply, so its bytes are never
        // taken for a request.
        const bool closing = !request.keepAlive || request.hasBody;
        m_socket->write(httpResponse(m_responder(request), closing));
        if (closing) {
            close();
            return;
        }
        m_replying = true;
        m_deadline.start(GuardedTcpServer::requestMs);
    }

    void refuse(int status) {
        m_socket->write(httpResponse({status, {}, {}}, true));
        close();
    }

    // After what was written has gone; the deadline still ends a client that does not take it.
    void close() {
        m_closing = true;
        m_deadline.start(GuardedTcpServer::requestMs);
        m_socket->disconnectFromHost();
    }

    void drop() {
        m_deadline.stop();
        m_socket->abort();
        m_socket->deleteLater();
    }

    QTcpSocket *m_socket;
    GuardedTcpServer::Responder m_responder;
    QTimer m_deadline;
    QByteArray m_input;      // read, not yet answered, from m_start on
    qsizetype m_start = 0;   // where the request in hand begins
    qsizetype m_scanned = 0; // how far its head has been searched for its end
    bool m_replying = false; // a reply is on its way: nothing more is read
    bool m_closing = false;
};

} // namespace

GuardedTcpServer::GuardedTcpServer(Responder responder, QObject *parent)
    : QTcpServer(parent)
    , m_responder(std::move(responder)) {
    connect(this, &QTcpServer::acceptError, this,
            [this] { QTimer::singleShot(acceptRetryMs, this, [this] { resumeAccepting(); }); });
}

void GuardedTcpServer::incomingConnection(qintptr descriptor) {
    if (m_open >= maxConnections) {
        ::close(int(descriptor));
        return;
    }
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    new HttpConnection(socket, m_responder);
}
