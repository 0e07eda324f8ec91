#pragma once

#include "accounts/accounttable.h"
#include "common/logbook.h"
#include "common/version.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "ipserver/dc09keys.h"
#include "settings/settings.h"
#include "store/queuejournal.h"

#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class Beeper;
class Engine;
class EventTexts;
class IpServer;
class MessageDecoder;
class OperatorDialogs;
class PollReportLines;
class PollSupervision;
class ReceiverTroubles;
class QTimer;
class ServiceWatch;
class WatchServer;
struct ConnectionLimit;
struct SettingsReadResult;

struct MonitorOptions {
    // Where the IP receiver listens: every local IPv4 address; tests keep it on 127.0.0.1.
    QHostAddress listenAddress{QHostAddress::AnyIPv4};
    // Where the metrics page is served; none when the address is null.
    QHostAddress metricsAddress{};
    quint16 metricsPort = 0;
    // For tests: while this file exists, the engine's tick hangs.
    QString stallFile{};
    // The lock file said whether the run before ended cleanly (a lock left behind: it did not).
    bool previousRunEndedCleanly = true;
    // Whether the system clock is synchronised, asked once a minute; none: it cannot be told.
    std::function<std::optional<bool>()> clockSynchronised{};
};

// The monitor without its windows: the services, the engine, the decoder, the IP receiver with
// poll supervision, the settings and the start-up and shutdown order. The windowed program puts
// its windows around it; the headless service runs it alone.
class MonitorCore : public QObject {
    Q_OBJECT
public:
    static inline const QString productWord = QStringLiteral("Voduro");

    // The dialogs and the beeper must outlive the core.
    MonitorCore(OperatorDialogs &dialogs, Beeper &beeper, const MonitorOptions &options = {},
                QObject *parent = nullptr);
    ~MonitorCore() override;

    // Start-up, first half: settings read, locks created, account file loaded, the queues
    // restored from their journal.
    void loadStore();
    // Start-up, second half: engine state reset, the lines that were running started again.
    void startLines();
    // The engine's 100 ms tick, the running phase: the watchers outside are told it is ready.
    void startTimer();
    void saveSettings();
    // Server stopped, ports closed, settings written. Runs once; the destructor calls it too.
    void shutDown();

    Settings &settings() { return m_settings; }
    Engine &engine() { return *m_engine; }
    AccountTable &accounts() { return m_accounts; }
    LogBook &logs() { return m_logs; }
    EventLists &lists() { return m_lists; }
    TxQueue &txQueue() { return m_txQueue; }
    IpServer &ipServer() { return *m_ipServer; }
    PollSupervision &polls() { return *m_polls; }
    Dc09Keys &dc09Keys() { return m_dc09Keys; }
    ReceiverTroubles &troubles() { return *m_troubles; }
    QueueJournal &journal() { return m_journal; }
    // How often the system clock's synchronisation is asked; checkClock() asks at once.
    static constexpr int clockCheckMs = 60000;
    void checkClock();
    // How often the key file is checked for a change made by hand.
    static constexpr int dc09KeysCheckMs = 2000;

signals:
    // A stored file could not be used; `allFailures` lists every such failure of this run.
    void storeFailed(const QString &allFailures);
    // A stored file that could not be used can be again; `status` lists the failures still
    // standing and says so.
    void storeRecovered(const QString &status);

private:
    void createDecoder();
    void createIpReceiver(const QHostAddress &listenAddress);
    void wireSettingsToLogs();
    void reportSettingsRead(const SettingsReadResult &result);
    void loadAccounts();
    void loadDc09Keys();
    void watchDc09Keys();
    void openQueueJournal();
    void openRepeatMemory();
    void reportStoreFailure(const QString &error, const QString &subject);
    void reportStoreRecovery(const QString &note, const QString &subject);
    void noteContactIdLookalikes(const QList<QByteArray> &accountTexts, const QString &subject);
    void reportConnectionLimit(const ConnectionLimit &limit);
    void dropNotices(const QString &subject);
    void restartLines();
    void watchTroubles();

    Settings m_settings;
    LogBook m_logs;
    AccountTable m_accounts;
    Dc09Keys m_dc09Keys;        // beside the account file
    QString m_dc09KeysStamp;    // size and times of the key file when it was last read
    QString m_dc09KeysChanging; // the same when a change was seen, read once it holds
    bool m_dc09KeysExposureSaid = false;
    QSet<QByteArray> m_lookalikesSaid; // accounts like "123A" said once each
    EventLists m_lists;
    TxQueue m_txQueue;
    QueueJournal m_journal;                       // outlives the engine and the connection threads
    std::unique_ptr<ReceiverTroubles> m_troubles; // before the engine and the server that say them
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<EventTexts> m_eventTexts;
    std::unique_ptr<MessageDecoder> m_decoder;
    std::unique_ptr<PollReportLines> m_pollReportLines;
    std::unique_ptr<PollSupervision> m_polls;
    std::unique_ptr<IpServer> m_ipServer;
    MonitorOptions m_options;
    std::unique_ptr<ServiceWatch> m_watch;
    std::unique_ptr<WatchServer> m_watchServer;
    QTimer *m_minuteTimer = nullptr; // MinTimer1
    bool m_shutDown = false;
    bool m_settingsWritable = true;
    bool m_settingsBackupFailed = false;
    bool m_connectionLimitReduced = false;
    QStringList m_storeFailures;
};
