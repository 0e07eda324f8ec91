#include "iothread.h"

#include "connectioncount.h"
#include "connectionrefusals.h"
#include "dc09exchange.h"
#include "listeningsockets.h"
#include "noeventloopdispatcher.h"
#include "receiverhandover.h"
#include "refusallog.h"

#include "common/steadyclock.h"
#include "metrics/figures.h"
#include "store/queuejournal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// How often the time limits of the connections are checked.
constexpr int checkIntervalMs = 100;
// Out of descriptors, the thread stops accepting for this long, while the system keeps the
// waiting connections queued.
constexpr int acceptRetryMs = 100;
// Connections and datagrams taken per readiness, so a burst of one cannot starve the others.
constexpr int acceptsPerTurn = 32;
constexpr int datagramsPerTurn = 64;
// The largest datagram; a DC-09 frame needs far less, and a longer one is refused whole.
constexpr std::size_t datagramLimit = 65536;

bool outOfResources(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

} // namespace

IoThread::IoThread(const Shared &shared, int listener, int datagrams, QObject *parent)
    : QThread(parent)
    , m_shared(shared)
    , m_listener(listener)
    , m_datagrams(datagrams) {
    setEventDispatcher(new NoEventLoopDispatcher);
    if (m_datagrams >= 0)
        m_datagramBuffer.resize(datagramLimit);
}

IoThread::~IoThread() {
    stop();
    wait();
}

void IoThread::stop() {
    m_stopping = true;
    m_poller.wake();
}

void IoThread::run() {
    m_poller.add(m_listener, EventPoller::incoming | EventPoller::exclusive, &m_acceptReady);
    if (m_datagrams >= 0)
        m_poller.add(m_datagrams, EventPoller::readable, &m_datagramReady);
    qint64 lastCheck = steadyNowMs();
    while (!m_stopping) {
        m_poller.wait(checkIntervalMs);
        settleDiskWaits();
        releaseClosed();
        const qint64 now = steadyNowMs();
        resumeAcceptingWhenDue(now);
        if (now - lastCheck >= checkIntervalMs) {
            lastCheck = now;
            checkTimes();
            releaseClosed();
            // A flood's count of refusal lines left out is said soon after its second.
            if (m_shared.services.refusals)
                m_shared.services.refusals->sayLeftOut();
        }
    }
    closeAll();
}

void IoThread::acceptWaiting() {
    for (int turn = 0; turn < acceptsPerTurn && !m_stopping; ++turn) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const int fd = ::accept4(m_listener, reinterpret_cast<sockaddr *>(&from), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            takeOn(fd, listeningsockets::dottedPeer(&from));
            continue;
        }
        if (outOfResources(errno))
            pauseAccepting();
        if (errno != EINTR && errno != ECONNABORTED)
            return;
    }
}

// A connection that cannot be served is closed at once, counted and logged: over the limit of
// open connections, or when the system cannot register it or memory runs out.
void IoThread::takeOn(int fd, const QByteArray &peer) {
    if (!m_shared.count.tryAdd(m_shared.connectionLimit.load())) {
        ::close(fd);
        figures().connectionRefused(ConnectionRefusal::Limit);
        m_shared.refusals.refused(peer, QByteArray::number(m_shared.connectionLimit.load()) +
                                            " connections open");
        return;
    }
    QByteArray reason;
    try {
        if (serve(fd, peer))
            return;
        reason = std::strerror(errno);
    } catch (const std::bad_alloc &) {
        reason = "out of memory";
    }
    figures().connectionRefused(ConnectionRefusal::Resources);
    m_shared.refusals.refused(peer, reason);
}

// False when the connection could not be taken on; it is then closed and no longer counted.
bool IoThread::serve(int fd, const QByteArray &peer) {
    std::unique_ptr<PanelConnection> connection;
    try {
        connection = std::make_unique<PanelConnection>(
            fd, peer,
            PanelConnection::Context{m_shared.services, m_poller, m_shared.count,
                                     m_shared.disconnectLogFailures, m_shared.clockMs, m_closed,
                                     m_awaitingDisk});
    } catch (const std::bad_alloc &) {
        ::close(fd);
        m_shared.count.remove();
        throw;
    }
    // Replies are a few bytes each: out at once, not held back for a coalescing delay.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    PanelConnection *served = connection.get();
    m_connections.emplace(served, std::move(connection));
    ++m_open;
    if (served->start())
        return true;
    const int error = errno;
    served->end();
    errno = error;
    return false;
}

void IoThread::pauseAccepting() {
    m_poller.remove(m_listener);
    m_acceptPausedUntil = steadyNowMs() + acceptRetryMs;
}

void IoThread::resumeAcceptingWhenDue(qint64 nowMs) {
    if (m_acceptPausedUntil < 0 || nowMs < m_acceptPausedUntil)
        return;
    m_acceptPausedUntil = -1;
    m_poller.add(m_listener, EventPoller::incoming | EventPoller::exclusive, &m_acceptReady);
}

// Taken while DC-09 is off too, and dropped: nothing else is spoken on this port. The stores of
// the turn's datagrams wait for the round's flush together.
void IoThread::takeDatagrams() {
    QueueJournal::DeferredWaits deferred(m_datagramsOwed, m_datagramsAfterFlush);
    for (int turn = 0; turn < datagramsPerTurn && !m_stopping; ++turn) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got = ::recvfrom(m_datagrams, m_datagramBuffer.data(), datagramLimit,
                                       MSG_TRUNC, reinterpret_cast<sockaddr *>(&from), &length);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (std::size_t(got) > datagramLimit || !Dc09Exchange::enabled(m_shared.services))
            continue;
        takeDatagram(QByteArray(m_datagramBuffer.data(), qsizetype(got)), from);
    }
}

void IoThread::takeDatagram(const QByteArray &data, const sockaddr_in &from) {
    const QByteArray peer = listeningsockets::dottedPeer(&from);
    m_shared.services.output.peerShown(peer);
    Dc09Exchange exchange(m_shared.services, peer, [this, from](const QByteArray &bytes) {
        if (m_datagramsOwed == 0)
            return sendDatagram(bytes, from);
        m_heldAnswers.push_back({bytes, from});
        return true;
    });
    exchange.handle(data, true);
}

bool IoThread::sendDatagram(const QByteArray &bytes, const sockaddr_in &to) {
    return ::sendto(m_datagrams, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL,
                    reinterpret_cast<const sockaddr *>(&to), sizeof to) == bytes.size();
}

// The flush is done: the held answers go out in their order, or none of them when it failed
// (their panels send again).
void IoThread::settleDatagrams(bool stored) {
    m_datagramsOwed = 0;
    for (const QueueJournal::AfterFlush &then : std::exchange(m_datagramsAfterFlush, {}))
        then(stored);
    for (const HeldAnswer &answer : std::exchange(m_heldAnswers, {})) {
        if (stored)
            sendDatagram(answer.bytes, answer.to);
    }
}

// Group commit within the thread: the messages of one round of readinesses share one flush,
// and their replies leave only after it.
void IoThread::settleDiskWaits() {
    if (m_awaitingDisk.empty() && m_datagramsOwed == 0)
        return;
    quint64 ticket = m_datagramsOwed;
    for (PanelConnection *connection : m_awaitingDisk)
        ticket = std::max(ticket, connection->owedTicket());
    QueueJournal *journal = m_shared.services.journal;
    const bool stored = ticket == 0 || (journal && journal->flushed(ticket));
    for (PanelConnection *connection : m_awaitingDisk)
        connection->diskDone(stored);
    m_awaitingDisk.clear();
    settleDatagrams(stored);
}

void IoThread::checkTimes() {
    const qint64 now = m_shared.clockMs();
    for (auto &[address, connection] : m_connections)
        connection->checkTime(now, m_shared.limits);
}

// Closed connections are released only here, after the readinesses of a wait have been served:
// a later readiness of the same wait may still name one.
void IoThread::releaseClosed() {
    for (PanelConnection *closed : m_closed) {
        if (m_connections.erase(closed) > 0)
            --m_open;
    }
    m_closed.clear();
}

void IoThread::closeAll() {
    for (auto &[address, connection] : m_connections)
        connection->end();
    m_closed.clear();
    m_connections.clear();
    m_open = 0;
    m_poller.remove(m_listener);
    if (m_datagrams >= 0)
        m_poller.remove(m_datagrams);
}
