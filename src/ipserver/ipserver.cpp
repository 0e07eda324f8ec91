#include "ipserver.h"

#include "iothread.h"
#include "listeningsockets.h"

#include "common/logbook.h"
#include "common/steadyclock.h"
#include "protocol/dc09frame.h"

#include <algorithm>

namespace {

// About one per core, at least two: a thread that waits for the disk leaves the others serving.
int ioThreadCount() {
    return std::max(2, QThread::idealThreadCount());
}

} // namespace

IpServer::IpServer(AccountTable &accounts, PollSupervision &polls, LogBook &logs, QObject *parent)
    : QObject(parent)
    , m_accounts(accounts)
    , m_polls(polls)
    , m_logs(logs)
    , m_clockMs(steadyNowMs) {
    m_handOver.setCountSource([this] { return m_count.value(); });
}

IpServer::~IpServer() {
    deactivate();
}

void IpServer::activate() {
    if (isActive() || m_port < 1 || m_port > 65535)
        return;
    // A connection holds at most one message's worth of unread bytes: the largest DC-09 frame.
    const listeningsockets::Opened listener =
        listeningsockets::openListener(m_address, quint16(m_port), int(dc09::maxFrameSize));
    m_error = listener.error;
    if (listener.fd < 0)
        return;
    m_listener = listener.fd;
    openDatagrams();
    const IoThread::Shared shared{services(),        m_count,   m_refusals, m_disconnectLogFailures,
                                  m_connectionLimit, m_clockMs, m_limits};
    for (int i = 0, count = ioThreadCount(); i < count; ++i) {
        m_threads.push_back(
            std::make_unique<IoThread>(shared, m_listener, i == 0 ? m_datagrams : -1));
        m_threads.back()->start(QThread::HighPriority);
    }
}

// A port whose UDP side is taken still serves TCP; the reason goes to the exception log.
void IpServer::openDatagrams() {
    const listeningsockets::Opened datagrams =
        listeningsockets::openDatagramSocket(m_address, serverPort());
    m_datagrams = datagrams.fd;
    if (m_datagrams < 0)
        m_logs.appendStamped(LogBook::ConversionLog, "[" + datagrams.error.toLatin1() + "] UDP " +
                                                         QByteArray::number(serverPort()));
}

ReceiverServices IpServer::services() {
    return {m_accounts, m_polls, m_logs, m_handOver, m_journal, &m_dc09, m_options};
}

void IpServer::deactivate() {
    for (const auto &thread : m_threads)
        thread->stop();
    for (const auto &thread : m_threads)
        thread->wait();
    m_threads.clear();
    listeningsockets::closeSocket(m_datagrams);
    listeningsockets::closeSocket(m_listener);
    m_datagrams = -1;
    m_listener = -1;
    // What the ended connections handed over is shown now, their count of 0 included.
    m_handOver.deliverNow();
}

quint16 IpServer::serverPort() const {
    return listeningsockets::localPort(m_listener);
}

int IpServer::openConnections() const {
    int open = 0;
    for (const auto &thread : m_threads)
        open += thread->connections();
    return open;
}
