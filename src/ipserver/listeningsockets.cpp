#include "listeningsockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace listeningsockets {

namespace {

sockaddr_in socketAddress(const QHostAddress &address, quint16 port) {
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = htonl(address.toIPv4Address());
    return bound;
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

Opened openBound(int type, const QHostAddress &address, quint16 port, int receiveBuffer) {
    Opened opened;
    const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        opened.error = systemError();
        return opened;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // Set before listen(): an accepted socket inherits it, and its window is sized by it.
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    const sockaddr_in bound = socketAddress(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&bound), sizeof bound) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, backlog) != 0)) {
        opened.error = systemError();
        ::close(fd);
        return opened;
    }
    opened.fd = fd;
    return opened;
}

} // namespace

Opened openListener(const QHostAddress &address, quint16 port, int receiveBuffer) {
    return openBound(SOCK_STREAM, address, port, receiveBuffer);
}

Opened openDatagramSocket(const QHostAddress &address, quint16 port) {
    return openBound(SOCK_DGRAM, address, port, 0);
}

quint16 localPort(int fd) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length) != 0)
        return 0;
    return ntohs(bound.sin_port);
}

void closeSocket(int fd) {
    if (fd >= 0)
        ::close(fd);
}

QByteArray dottedPeer(const void *socketAddress) {
    const auto *peer = static_cast<const sockaddr_in *>(socketAddress);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer->sin_addr, text, sizeof text);
    return QByteArray(text);
}

} // namespace listeningsockets
