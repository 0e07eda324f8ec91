#include "connectionthread.h"

#include "connectioncount.h"
#include "connectionregistry.h"
#include "dc09exchange.h"
#include "noeventloopdispatcher.h"
#include "panelcycle.h"
#include "peeraddress.h"
#include "receiveroutput.h"

#include "common/logbook.h"
#include "protocol/ipinput.h"

#include <QTcpSocket>
#include <algorithm>
#include <utility>

ConnectionThread::ConnectionThread(qintptr descriptor, Context context, QObject *parent)
    : QThread(parent)
    , m_descriptor(descriptor)
    , m_context(context) {
    // Thousands of these run at once: each keeps no event loop and a small stack.
    setEventDispatcher(new NoEventLoopDispatcher);
    setStackSize(stackSize);
}

void ConnectionThread::run() {
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(m_descriptor)) {
        ConnectionRegistry::closeUnused(m_descriptor);
        return;
    }
    const QByteArray peer = dottedAddress(socket.peerAddress());
    m_context.services.logs.log_connection(QString::fromLatin1(peer + " Connected"));
    m_context.count.add(1);
    emit m_context.services.output.watchdogFed();
    if (m_context.registry.enter(m_descriptor)) {
        serve(socket, peer);
        // Out of the registry before the descriptor is closed and can be reused.
        m_context.registry.leave(m_descriptor);
    }
    socket.abort();
    m_context.count.add(-1);
}

void ConnectionThread::serve(QTcpSocket &socket, const QByteArray &peer) {
    const auto sender = [this, &socket](const QByteArray &bytes) { return send(socket, bytes); };
    PanelCycle cycle(m_context.services, peer,
                     PanelCycle::Link{sender, [&socket] {
                                          return socket.state() == QAbstractSocket::ConnectedState;
                                      }});
    Dc09Exchange exchange(m_context.services, peer, sender);
    for (;;) {
        emit m_context.services.output.peerShown(QString::fromLatin1(peer));
        switch (waitForData(socket)) {
        case Wait::Silent:
        case Wait::Ended:
            return;
        case Wait::Closed:
            logDisconnection(peer);
            cycle.handle(QByteArray()); // the empty read is logged like any other
            return;
        case Wait::Data:
            break;
        }
        if (!take(cycle, exchange, socket.read(ipinput::readSize)))
            return;
    }
}

// False when a reply could not be sent: the connection is then over.
bool ConnectionThread::take(PanelCycle &cycle, Dc09Exchange &exchange, const QByteArray &bytes) {
    if (m_dc09Tail.isEmpty() &&
        !(bytes.startsWith('\n') && Dc09Exchange::enabled(m_context.services)))
        return cycle.handle(bytes);
    m_dc09Tail += bytes;
    return takeFrames(cycle, exchange);
}

// What follows a frame without a new LF is a bare-IP text again.
bool ConnectionThread::takeFrames(PanelCycle &cycle, Dc09Exchange &exchange) {
    while (!m_dc09Tail.isEmpty()) {
        if (!m_dc09Tail.startsWith('\n'))
            return cycle.handle(std::exchange(m_dc09Tail, QByteArray()));
        const Dc09Exchange::Outcome outcome = exchange.handle(m_dc09Tail, false);
        if (outcome.sendFailed)
            return false;
        // The frame rules refuse a frame longer than its length field allows, so the tail
        // never holds more than one frame's worth while it waits.
        if (outcome.receipt.kind == dc09::Receipt::Kind::Incomplete)
            return true;
        m_dc09Tail.remove(0, std::max<qsizetype>(outcome.receipt.consumed, 1));
    }
    return true;
}

ConnectionThread::Wait ConnectionThread::waitForData(QTcpSocket &socket) {
    // Bytes already buffered are the next read: a panel may send its texts back to back.
    if (socket.bytesAvailable() > 0)
        return Wait::Data;
    if (socket.state() == QAbstractSocket::ConnectedState &&
        socket.waitForReadyRead(m_context.idleTimeoutMs) && socket.bytesAvailable() > 0)
        return Wait::Data;
    // A stop wakes the wait by shutting the socket down: that is not the panel closing.
    if (m_context.registry.stopping())
        return Wait::Ended;
    if (socket.error() == QAbstractSocket::RemoteHostClosedError)
        return Wait::Closed;
    if (socket.error() == QAbstractSocket::SocketTimeoutError &&
        socket.state() == QAbstractSocket::ConnectedState)
        return Wait::Silent;
    return Wait::Ended;
}

void ConnectionThread::logDisconnection(const QByteArray &peer) {
    if (!m_context.services.logs.log_connection(QString::fromLatin1(peer + " Disconnected")))
        emit m_context.services.output.disconnectLogFailed(++m_context.disconnectLogFailures);
}

bool ConnectionThread::send(QTcpSocket &socket, const QByteArray &bytes) {
    if (socket.write(bytes) != bytes.size())
        return false;
    // Out at once when the system takes it, as it nearly always does; otherwise wait.
    socket.flush();
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(m_context.idleTimeoutMs))
            return false;
    }
    return true;
}
