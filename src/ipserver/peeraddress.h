#pragma once

#include <QByteArray>
#include <QHostAddress>

// The dotted IPv4 form, also for a peer reached through an IPv6 socket.
inline QByteArray dottedAddress(const QHostAddress &address) {
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return (isIpv4 ? QHostAddress(ipv4) : address).toString().toLatin1();
}
