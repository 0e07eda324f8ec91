#include "automationreceiver.h"

#include <QTcpSocket>

AutomationReceiver::AutomationReceiver(Reply reply, QObject *parent)
    : QObject(parent)
    , m_reply(reply) {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &AutomationReceiver::accept);
}

void AutomationReceiver::accept() {
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connections;
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray bytes = socket->readAll();
            m_received += bytes;
            m_chunks.append(bytes);
            switch (m_reply) {
            case Reply::Ack:
                socket->write("\x06");
                break;
            case Reply::AckAndClose:
                socket->write("\x06");
                socket->disconnectFromHost();
                break;
            case Reply::Custom:
                socket->write(m_custom);
                break;
            case Reply::Silent:
                break;
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void AutomationReceiver::closeAll() {
    for (QTcpSocket *socket : findChildren<QTcpSocket *>())
        socket->disconnectFromHost();
}

bool AutomationReceiver::restart() {
    const quint16 port = m_server.serverPort();
    m_server.close();
    for (QTcpSocket *socket : findChildren<QTcpSocket *>())
        socket->abort();
    return m_server.listen(QHostAddress::LocalHost, port);
}

void AutomationReceiver::sendToAll(const QByteArray &bytes) {
    for (QTcpSocket *socket : findChildren<QTcpSocket *>()) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            socket->write(bytes);
    }
}

quint16 unusedLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
