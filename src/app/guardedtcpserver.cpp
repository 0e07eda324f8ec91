#include "guardedtcpserver.h"

#include <QTcpSocket>
#include <QTimer>

#include <unistd.h>

namespace {

const QByteArray headerEnd("\r\n\r\n");
const QByteArray tooLarge("HTTP/1.1 431 Request Header Fields Too Large\r\n"
                          "Content-Length: 0\r\nConnection: close\r\n\r\n");

// Watches one connection's bytes as they arrive, before the HTTP layer reads them.
class RequestGuard : public QObject {
public:
    explicit RequestGuard(QTcpSocket *socket)
        : QObject(socket)
        , m_socket(socket) {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { drop(); });
        m_deadline.start(GuardedTcpServer::requestMs);
        connect(socket, &QTcpSocket::readyRead, this, &RequestGuard::arrived);
    }

private:
    // The HTTP layer reads every readiness to the end (inside a transaction while a request is
    // incomplete), so each byte is seen here once, by peeking before it reads.
    void arrived() {
        const QByteArray bytes = m_socket->peek(m_socket->bytesAvailable());
        for (char byte : bytes) {
            if (m_headerBytes == 0 && m_inIdle) {
                m_inIdle = false;
                m_deadline.start(GuardedTcpServer::requestMs);
            }
            ++m_headerBytes;
            m_tail = (m_tail + byte).right(headerEnd.size());
            if (m_tail == headerEnd) {
                m_headerBytes = 0;
                m_inIdle = true;
                m_deadline.start(GuardedTcpServer::idleMs);
            } else if (m_headerBytes > GuardedTcpServer::maxHeaderBytes) {
                m_socket->write(tooLarge);
                m_socket->flush();
                drop();
                return;
            }
        }
    }

    void drop() {
        m_deadline.stop();
        m_socket->abort();
        m_socket->deleteLater();
    }

    QTcpSocket *m_socket;
    QTimer m_deadline;
    QByteArray m_tail;
    qsizetype m_headerBytes = 0;
    bool m_inIdle = false;
};

} // namespace

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
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    new RequestGuard(socket);
    addPendingConnection(socket);
}
