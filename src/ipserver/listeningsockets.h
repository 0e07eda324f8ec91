#pragma once

#include <QHostAddress>
#include <QString>

// The receiver's two sockets on its port, non-blocking: the TCP listener for the panels'
// connections and the UDP socket for DC-09 datagrams. IPv4, on the given local address.
namespace listeningsockets {

// Panels reconnect in bursts after a network outage or a restart of the server, thousands at
// once; a short queue would drop their attempts. The system caps it (net.core.somaxconn).
constexpr int backlog = 8192;

struct Opened {
    int fd = -1;
    QString error; // why it could not be opened
};

// Every accepted connection may hold at most `receiveBuffer` unread bytes in the system.
Opened openListener(const QHostAddress &address, quint16 port, int receiveBuffer);
Opened openDatagramSocket(const QHostAddress &address, quint16 port);
quint16 localPort(int fd);
void closeSocket(int fd);
// The dotted form of an IPv4 socket address.
QByteArray dottedPeer(const void *socketAddress);

} // namespace listeningsockets
