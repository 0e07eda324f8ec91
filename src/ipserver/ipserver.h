#pragma once

#include "connectioncount.h"
#include "connectionregistry.h"
#include "dc09services.h"
#include "notedaccounts.h"
#include "receiveroutput.h"
#include "receiverservices.h"
#include "repeatedmessages.h"

#include "engine/ipservercontrol.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <atomic>
#include <functional>
#include <list>
#include <memory>

class AccountTable;
class ConnectionThread;
class DatagramThread;
class LogBook;
class PollSupervision;
class QueueJournal;

// The IP network receiver: a TCP server for the alarm panels, listening on every local IPv4
// address (tests give 127.0.0.1), with one thread per accepted connection, and DC-09 over UDP on
// the same port number, started and stopped with it. Lives on the
// user-interface thread; what the connections produce leaves through output().
class IpServer : public QObject, public IpServerControl {
    Q_OBJECT
public:
    static constexpr int defaultPort = 10001;
    static constexpr int defaultIdleTimeoutMs = 10000;

    IpServer(AccountTable &accounts, PollSupervision &polls, LogBook &logs,
             QObject *parent = nullptr);
    ~IpServer() override;

    ReceiverOutput &output() { return m_output; }
    // The DC-09 messages of the last minutes, repeats of which are not queued again.
    RepeatedMessages &repeatedMessages() { return m_repeated; }
    // Accepted messages are stored here before their reply; set before the server starts.
    void setJournal(QueueJournal *journal) { m_journal = journal; }
    void setListenAddress(const QHostAddress &address) { m_address = address; }
    // The panels' DC-09 keys (none: encrypted frames are refused) and the options as they are
    // now, asked for every frame from any thread; set before the server starts.
    void setDc09Keys(const Dc09Keys *keys) { m_dc09.keys = keys; }
    void setDc09Options(std::function<Dc09Options()> options) {
        m_dc09.options = std::move(options);
    }
    // How long a connection may stay silent; the panels' protocol gives 10 s.
    void setIdleTimeout(int milliseconds) { m_idleTimeoutMs = milliseconds; }

    // IpServerControl. The port is taken when the server is activated; deactivating ends every
    // connection at once (blocked waits are woken) and waits for their threads.
    bool isActive() const override { return m_listener.isListening(); }
    void deactivate() override;
    void setPort(int port) override { m_port = port; }
    void activate() override;
    QString threadCount() const override { return m_count.text(); }

    quint16 serverPort() const { return m_listener.serverPort(); }
    QString errorString() const { return m_listener.errorString(); }
    // Connection threads not yet joined.
    int connectionThreads() const { return int(m_threads.size()); }

private:
    class Listener : public QTcpServer {
    public:
        std::function<void(qintptr)> accepted;

    protected:
        void incomingConnection(qintptr descriptor) override { accepted(descriptor); }
    };

    void startConnection(qintptr descriptor);
    ReceiverServices services();
    void startDatagrams();
    void join(quint64 id);

    struct Connection {
        quint64 id;
        std::unique_ptr<ConnectionThread> thread;
    };

    AccountTable &m_accounts;
    PollSupervision &m_polls;
    LogBook &m_logs;
    ReceiverOutput m_output;
    QueueJournal *m_journal = nullptr;
    RepeatedMessages m_repeated;
    NotedAccounts m_withoutLineNumber;
    Dc09Services m_dc09{nullptr, &m_repeated, {}, &m_withoutLineNumber};
    std::unique_ptr<DatagramThread> m_datagrams;
    ConnectionCount m_count{m_output};
    ConnectionRegistry m_registry;
    std::atomic<int> m_disconnectLogFailures{0};
    Listener m_listener;
    QHostAddress m_address{QHostAddress::AnyIPv4};
    int m_port = defaultPort;
    int m_idleTimeoutMs = defaultIdleTimeoutMs;
    std::list<Connection> m_threads;
    quint64 m_nextId = 0;
};
