#include "ipserver.h"

#include "iothread.h"
#include "listeningsockets.h"

#include "common/logbook.h"
#include "common/receivertrouble.h"
#include "common/steadyclock.h"
#include "metrics/figures.h"
#include "protocol/dc09frame.h"

#include <algorithm>

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

// About one per core, at least two: a thread that waits for the disk leaves the others serving.
int IpServer::ioThreadsToStart() {
    return std::max(2, QThread::idealThreadCount());
}

void IpServer::setConnectionLimit(int setting) {
    m_connectionSetting = setting;
    applyConnectionLimit();
}

// Read afresh at each start: the open-file limit may have been changed from outside meanwhile.
void IpServer::applyConnectionLimit() {
    m_limitApplied = ::connectionLimit(m_connectionSetting, openFileLimitNow(),
                                       reservedDescriptors(ioThreadsToStart(), m_otherReserved));
    m_connectionLimit = m_limitApplied.inEffect;
    figures().set(Gauge::ConnectionLimitSetting, m_limitApplied.setting);
    figures().set(Gauge::ConnectionLimitInEffect, m_limitApplied.inEffect);
    if (!isActive() || (m_limitSaid.setting == m_limitApplied.setting &&
                        m_limitSaid.inEffect == m_limitApplied.inEffect))
        return;
    m_limitSaid = m_limitApplied;
    emit connectionLimitApplied(m_limitApplied);
}

void IpServer::setTroubleReports(TroubleReports *troubles) {
    m_troubles = troubles;
    m_count.setTroubleReports(troubles);
}

void IpServer::activate() {
    if (isActive())
        return;
    if (m_port < 1 || m_port > 65535) {
        sayPortOpened(false);
        return;
    }
    // A connection holds at most one message's worth of unread bytes: the largest DC-09 frame.
    const listeningsockets::Opened listener =
        listeningsockets::openListener(m_address, quint16(m_port), int(dc09::maxFrameSize));
    m_error = listener.error;
    sayPortOpened(listener.fd >= 0);
    if (listener.fd < 0)
        return;
    m_listener = listener.fd;
    applyConnectionLimit();
    openDatagrams();
    const IoThread::Shared shared{services(),        m_count,   m_refusals, m_disconnectLogFailures,
                                  m_connectionLimit, m_clockMs, m_limits};
    for (int i = 0, count = ioThreadsToStart(); i < count; ++i) {
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

void IpServer::sayPortOpened(bool opened) {
    if (m_troubles)
        m_troubles->troubleState(ReceiverTrouble::IpPortNotOpened, !opened);
}

ReceiverServices IpServer::services() {
    return {m_accounts, m_polls, m_logs, m_handOver, m_journal, &m_dc09, m_options, &m_refusalLog};
}

void IpServer::deactivate() {
    for (const auto &thread : m_threads)
        thread->stop();
    for (const auto &thread : m_threads)
        thread->wait();
    m_threads.clear();
    m_refusalLog.sayLeftOut(true);
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
