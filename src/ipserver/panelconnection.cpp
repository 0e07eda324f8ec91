#include "panelconnection.h"

#include "connectioncount.h"
#include "receiverhandover.h"

#include "common/logbook.h"
#include "metrics/figures.h"
#include "protocol/ipinput.h"
#include "store/queuejournal.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Reads served per readiness before the other connections of the thread get their turn.
constexpr int chunksPerTurn = 16;

} // namespace

PanelConnection::PanelConnection(int fd, QByteArray peer, const Context &context)
    : m_fd(fd)
    , m_peer(std::move(peer))
    , m_context(context)
    , m_cycle(context.services, m_peer,
              PanelCycle::Link{[this](const QByteArray &bytes) { return send(bytes); },
                               [this] { return m_fd >= 0 && !m_peerGone; }})
    , m_exchange(context.services, m_peer, [this](const QByteArray &bytes) { return send(bytes); })
    , m_lastDataMs(context.clockMs()) {}

PanelConnection::~PanelConnection() {
    if (m_fd < 0)
        return;
    m_context.poller.remove(m_fd);
    ::close(m_fd);
    m_context.count.remove();
}

bool PanelConnection::start() {
    if (!m_context.poller.add(m_fd, EventPoller::readable, this))
        return false;
    ReceiverServices &services = m_context.services;
    services.logs.log_connection(QString::fromLatin1(m_peer + " Connected"));
    services.output.watchdogFed();
    services.output.peerShown(m_peer);
    m_context.count.announce();
    figures().connectionOpened();
    return true;
}

void PanelConnection::ready(std::uint32_t) {
    if (m_fd < 0)
        return;
    // Only writability is asked for while replies wait; an error shows in the next send.
    if (!m_unsent.isEmpty()) {
        writePending();
        return;
    }
    readChunks();
}

void PanelConnection::readChunks() {
    char buffer[ipinput::readSize];
    for (int turn = 0; turn < chunksPerTurn && m_fd >= 0 && m_unsent.isEmpty() && m_owedTicket == 0;
         ++turn) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            takeChunk(QByteArray(buffer, qsizetype(got)));
        } else if (got == 0) {
            peerClosed();
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else if (errno != EINTR) {
            end(); // reset by the panel: not an orderly close, nothing is logged
        }
    }
}

// A message is complete once it is answered; the deadline runs from the first byte of one that
// is not, and from the first byte of a DC-09 frame still waiting for its end.
void PanelConnection::takeChunk(const QByteArray &bytes) {
    const qint64 now = m_context.clockMs();
    m_lastDataMs = now;
    m_answered = false;
    m_context.services.output.peerShown(m_peer);
    if (!take(bytes)) {
        end();
        return;
    }
    const bool frameWaiting = !m_dc09Tail.isEmpty();
    if (m_answered && !frameWaiting)
        m_messageStartMs = -1;
    else if (m_messageStartMs < 0 || m_answered)
        m_messageStartMs = now;
}

// False when a reply could not be sent: the connection is then over.
// Every store of the read waits for the round's flush, with the other connections' stores.
bool PanelConnection::take(const QByteArray &bytes) {
    QueueJournal::DeferredWaits deferred(m_owedTicket, m_afterFlush);
    bool taken = true;
    if (m_dc09Tail.isEmpty() &&
        !(bytes.startsWith('\n') && Dc09Exchange::enabled(m_context.services))) {
        taken = m_cycle.handle(bytes);
    } else {
        m_dc09Tail += bytes;
        taken = takeFrames();
    }
    if (m_owedTicket > 0)
        m_context.awaitingDisk.push_back(this);
    return taken;
}

// What follows a frame without a new LF is a bare-IP text again.
bool PanelConnection::takeFrames() {
    while (!m_dc09Tail.isEmpty()) {
        if (!m_dc09Tail.startsWith('\n'))
            return m_cycle.handle(std::exchange(m_dc09Tail, QByteArray()));
        const Dc09Exchange::Outcome outcome = m_exchange.handle(m_dc09Tail, false);
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

bool PanelConnection::send(const QByteArray &bytes) {
    if (m_fd < 0 || m_peerGone)
        return false;
    m_answered = true;
    if (m_owedTicket > 0) {
        m_held += bytes;
        return true;
    }
    return sendNow(bytes);
}

void PanelConnection::diskDone(bool stored) {
    m_owedTicket = 0;
    for (const QueueJournal::AfterFlush &then : std::exchange(m_afterFlush, {}))
        then(stored);
    const QByteArray held = std::exchange(m_held, QByteArray());
    if (m_fd >= 0 && stored && !sendNow(held))
        end();
}

bool PanelConnection::sendNow(const QByteArray &bytes) {
    if (!m_unsent.isEmpty()) {
        m_unsent += bytes;
        return true;
    }
    const ssize_t sent = ::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    if (sent == bytes.size())
        return true;
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        return false;
    m_unsent = bytes.mid(std::max<qsizetype>(sent, 0));
    // Nothing more is read until the panel has taken what it was sent.
    return m_context.poller.change(m_fd, EventPoller::writable, this);
}

void PanelConnection::writePending() {
    const ssize_t sent = ::send(m_fd, m_unsent.constData(), size_t(m_unsent.size()), MSG_NOSIGNAL);
    if (sent < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            end();
        return;
    }
    m_unsent.remove(0, sent);
    if (m_unsent.isEmpty() && !m_context.poller.change(m_fd, EventPoller::readable, this))
        end();
}

void PanelConnection::peerClosed() {
    m_peerGone = true;
    LogBook &logs = m_context.services.logs;
    if (!logs.log_connection(QString::fromLatin1(m_peer + " Disconnected")))
        m_context.services.output.disconnectLogFailed(++m_context.disconnectLogFailures);
    m_cycle.handle(QByteArray()); // the empty read is logged like any other
    end();
}

void PanelConnection::checkTime(qint64 nowMs, const Limits &limits) {
    if (m_fd < 0)
        return;
    if (m_messageStartMs >= 0 && nowMs - m_messageStartMs >= limits.messageDeadlineMs) {
        m_context.services.logs.appendStamped(LogBook::ConversionLog,
                                              "[message not completed in time] " + m_peer);
        end();
    } else if (nowMs - m_lastDataMs >= limits.idleMs) {
        end(); // silence: nothing is logged
    }
}

void PanelConnection::end() {
    if (m_fd < 0)
        return;
    m_context.poller.remove(m_fd);
    ::close(m_fd);
    m_fd = -1;
    m_context.count.remove();
    m_context.closed.push_back(this);
}
