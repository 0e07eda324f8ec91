#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A stand-in for the automation software on 127.0.0.1: accepts connections, records every byte
// it receives and answers each read as the test tells it.
class AutomationReceiver : public QObject {
    Q_OBJECT
public:
    enum class Reply {
        Ack,         // answers 0x06
        Silent,      // answers nothing
        AckAndClose, // answers 0x06 and closes the connection at once
        Custom,      // answers customReply()
    };

    explicit AutomationReceiver(Reply reply = Reply::Ack, QObject *parent = nullptr);

    quint16 port() const { return m_server.serverPort(); }
    void setReply(Reply reply) { m_reply = reply; }
    void setCustomReply(const QByteArray &bytes) { m_custom = bytes; }

    QByteArray received() const { return m_received; }    // every byte, in order
    QList<QByteArray> chunks() const { return m_chunks; } // one entry per read
    int connectionCount() const { return m_connections; }
    void closeAll(); // the far end drops its open connections
    // The far end's program restarted: its connections dropped, its port listened on anew.
    bool restart();
    void sendToAll(const QByteArray &bytes); // unasked, on every open connection

private:
    void accept();

    QTcpServer m_server;
    Reply m_reply;
    QByteArray m_custom;
    QByteArray m_received;
    QList<QByteArray> m_chunks;
    int m_connections = 0;
};

// A port on 127.0.0.1 that nothing listens on: connecting to it is refused.
quint16 unusedLoopbackPort();
