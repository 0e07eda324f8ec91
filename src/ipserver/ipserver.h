#pragma once

#include "connectioncount.h"
#include "connectionrefusals.h"
#include "dc09services.h"
#include "notedaccounts.h"
#include "panelconnection.h"
#include "receiverhandover.h"
#include "receiveroutput.h"
#include "receiverservices.h"
#include "refusallog.h"
#include "repeatedmessages.h"

#include "common/openfilelimit.h"
#include "engine/ipservercontrol.h"
#include "settings/settingkeys.h"

#include <QHostAddress>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class AccountTable;
class IoThread;
class LogBook;
class PollSupervision;
class QueueJournal;
class TroubleReports;

// The IP network receiver: a TCP server for the alarm panels, listening on every local IPv4
// address (tests give 127.0.0.1), and DC-09 over UDP on the same port number, started and
// stopped with it. A few I/O threads serve every connection and the datagrams, each with its own
// event loop; the object itself lives on the user-interface thread, and what the connections
// produce reaches it in batches through output().
class IpServer : public QObject, public IpServerControl {
    Q_OBJECT
public:
    static constexpr int defaultIdleTimeoutMs = 10000;
    static constexpr int defaultMessageDeadlineMs = 30000;

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
    // The receiver's other options as they are now, asked from any thread; set before the
    // server starts.
    void setReceiverOptions(std::function<ReceiverOptions()> options) {
        m_options = std::move(options);
    }
    // How long a connection may stay silent (the panels' protocol gives 10 s), and how long a
    // message may take from its first byte to its answer; set before the server starts.
    void setIdleTimeout(int milliseconds) { m_limits.idleMs = milliseconds; }
    void setMessageDeadline(int milliseconds) { m_limits.messageDeadlineMs = milliseconds; }
    // "Max Connections": connections beyond this many open are closed as soon as they come;
    // any moment. The limit applied is lower where the open-file limit would not leave the
    // descriptors the monitor keeps for its own work (connectionLimit()).
    void setConnectionLimit(int setting);
    // What the rest of the program may hold open beside the receiver (the watch endpoints), for
    // the reserve; set before the server starts.
    void setOtherReservedDescriptors(int descriptors) { m_otherReserved = descriptors; }
    ConnectionLimit connectionLimit() const { return m_limitApplied; }
    // Where a port that cannot be opened, and the connection limit reached, are said; set
    // before the server starts.
    void setTroubleReports(TroubleReports *troubles);
    // The I/O threads a start begins.
    static int ioThreadsToStart();
    // The steady clock, in milliseconds, of the time limits; tests step their own.
    void setClock(std::function<qint64()> milliseconds) { m_clockMs = std::move(milliseconds); }

    // IpServerControl. The port is taken when the server is activated; deactivating closes
    // every connection at once and ends the I/O threads.
    bool isActive() const override { return m_listener >= 0; }
    void deactivate() override;
    void setPort(int port) override { m_port = port; }
    void activate() override;
    // The count the user-interface thread has been handed (the live one is m_count), and its
    // text as "Connections" shows it.
    int connectionCount() const override { return m_handOver.shownCount(); }
    QString threadCount() const { return QString::number(connectionCount()); }

    quint16 serverPort() const;
    QString errorString() const { return m_error; }
    // Connections the I/O threads hold.
    int openConnections() const;
    int ioThreads() const { return int(m_threads.size()); }
    // Connections closed as soon as they were taken (limit, resources), since the program began.
    quint64 refusedConnections() const { return m_refusals.count(); }

signals:
    // The limit applied when the server starts or its setting changes while it runs; emitted
    // when it differs from the last one emitted.
    void connectionLimitApplied(const ConnectionLimit &limit);

private:
    void applyConnectionLimit();
    ReceiverServices services();
    void openDatagrams();
    void sayPortOpened(bool opened);

    AccountTable &m_accounts;
    PollSupervision &m_polls;
    LogBook &m_logs;
    ReceiverOutput m_output;
    ReceiverHandOver m_handOver{m_output};
    QueueJournal *m_journal = nullptr;
    RepeatedMessages m_repeated;
    NotedAccounts m_withoutLineNumber;
    NotedAccounts m_binaryCrc;
    Dc09Services m_dc09{nullptr, &m_repeated, {}, &m_withoutLineNumber, &m_binaryCrc};
    std::function<ReceiverOptions()> m_options;
    ConnectionCount m_count{m_handOver};
    ConnectionRefusals m_refusals{m_logs};
    RefusalLog m_refusalLog{m_logs};
    std::atomic<int> m_disconnectLogFailures{0};
    std::atomic<int> m_connectionLimit{settingRow(SettingKey::MaxConnections).fallbackNumber()};
    int m_connectionSetting = m_connectionLimit.load();
    int m_otherReserved = 0;
    ConnectionLimit m_limitApplied;
    ConnectionLimit m_limitSaid;
    PanelConnection::Limits m_limits{defaultIdleTimeoutMs, defaultMessageDeadlineMs};
    std::function<qint64()> m_clockMs;
    QHostAddress m_address{QHostAddress::AnyIPv4};
    int m_port = settingRow(SettingKey::TcpPort).fallbackNumber();
    int m_listener = -1;
    int m_datagrams = -1;
    QString m_error;
    TroubleReports *m_troubles = nullptr;
    std::vector<std::unique_ptr<IoThread>> m_threads;
};
