#include "ipserver.h"

#include "connectionthread.h"
#include "datagramthread.h"

#include "common/logbook.h"

#include <QTimer>

namespace {

// Panels reconnect in bursts after a network outage or a restart of the server, thousands at
// once; a short queue would drop their attempts, and they would come back only seconds later.
// The system caps it at its own maximum (on Linux net.core.somaxconn, 4096 by default).
constexpr int listenBacklog = 8192;
// Out of descriptors, the listener pauses; it tries again this often, while the system keeps
// the waiting connections queued.
constexpr int acceptRetryMs = 100;

} // namespace

IpServer::IpServer(AccountTable &accounts, PollSupervision &polls, LogBook &logs, QObject *parent)
    : QObject(parent)
    , m_accounts(accounts)
    , m_polls(polls)
    , m_logs(logs) {
    m_listener.accepted = [this](qintptr descriptor) { startConnection(descriptor); };
    m_listener.setListenBacklogSize(listenBacklog);
    connect(&m_listener, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(acceptRetryMs, this, [this] { m_listener.resumeAccepting(); });
    });
}

IpServer::~IpServer() {
    deactivate();
}

void IpServer::activate() {
    if (m_listener.isListening())
        return;
    m_registry.reopen();
    if (m_port < 1 || m_port > 65535)
        return;
    if (m_listener.listen(m_address, quint16(m_port)))
        startDatagrams();
}

// A port whose UDP side is taken still serves TCP; the reason goes to the exception log.
void IpServer::startDatagrams() {
    m_datagrams = std::make_unique<DatagramThread>(services(), m_address, serverPort());
    if (m_datagrams->begin())
        return;
    m_logs.appendStamped(LogBook::ConversionLog, "[" + m_datagrams->errorString().toLatin1() +
                                                     "] UDP " + QByteArray::number(serverPort()));
    m_datagrams.reset();
}

ReceiverServices IpServer::services() {
    return {m_accounts, m_polls, m_logs, m_output, m_journal, &m_dc09};
}

void IpServer::deactivate() {
    m_listener.close();
    m_datagrams.reset();
    m_registry.stopAll();
    for (const Connection &connection : m_threads)
        connection.thread->wait();
    m_threads.clear();
}

void IpServer::startConnection(qintptr descriptor) {
    auto thread = std::make_unique<ConnectionThread>(
        descriptor, ConnectionThread::Context{services(), m_registry, m_count,
                                              m_disconnectLogFailures, m_idleTimeoutMs});
    ConnectionThread *started = thread.get();
    const quint64 id = ++m_nextId;
    connect(started, &QThread::finished, this, [this, id] { join(id); });
    m_threads.push_back({id, std::move(thread)});
    started->start(QThread::HighPriority);
}

void IpServer::join(quint64 id) {
    // A stop may have joined and released the thread before this queued notice arrived.
    for (auto it = m_threads.begin(); it != m_threads.end(); ++it) {
        if (it->id == id) {
            it->thread->wait();
            m_threads.erase(it);
            return;
        }
    }
}
