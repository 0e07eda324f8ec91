#pragma once

#include "accounts/accounttable.h"
#include "common/logbook.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "settings/settings.h"
#include "store/queuejournal.h"
#include "ui/applicationbeeper.h"
#include "ui/messageboxdialogs.h"

#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QWidget>
#include <memory>

class ComSetupWindow;
class Engine;
class EventTexts;
class ExitPasswordWindow;
class IpServer;
class MainWindow;
class MessageDecoder;
class PasswordPrompt;
class PollReportLines;
class PollSupervision;
class QSettings;
class QTimer;
struct SettingsReadResult;

struct MonitorOptions {
    // Where the IP receiver listens: every local IPv4 address; tests keep it on 127.0.0.1.
    QHostAddress listenAddress{QHostAddress::AnyIPv4};
};

// The whole monitor: builds the services and the four windows in their start-up order, restarts
// the lines that were running, and takes everything down again in the shutdown order.
class Monitor : public QObject {
    Q_OBJECT
public:
    static inline const QString productWord = QStringLiteral("Voduro");
    static inline const QString versionText = QStringLiteral("Voduro Version 2.19");

    explicit Monitor(const MonitorOptions &options = {});
    ~Monitor() override;

    // Shows the main window and starts the engine's tick: the running phase.
    void run();
    // The running phase until the main window closes or the program is told to quit, then the
    // shutdown; returns the event loop's exit code.
    int exec();
    // Server stopped, ports closed, settings written. Runs once; the destructor calls it too.
    void shutDown();

    Settings &settings() { return m_settings; }
    Engine &engine() { return *m_engine; }
    MainWindow &mainWindow() { return *m_mainWindow; }
    ComSetupWindow &comSetupWindow() { return *m_comSetup; }
    AccountTable &accounts() { return m_accounts; }
    LogBook &logs() { return m_logs; }
    IpServer &ipServer() { return *m_ipServer; }
    PollSupervision &polls() { return *m_polls; }

private:
    void createMainWindow();
    void createComSetupWindow();
    void createIpReceiver(const QHostAddress &listenAddress);
    void showIpReceiver();
    void showSystemAddress();
    void restartLines();
    void saveSettings();
    void reportSettingsRead(const SettingsReadResult &result);
    void loadAccounts();
    void openQueueJournal();
    void reportStoreFailure(const QString &error, const QString &subject);
    void wireSettingsToLogs();
    void showLogFailures();
    void watchSessionEnd();

    Settings m_settings;
    LogBook m_logs;
    AccountTable m_accounts;
    EventLists m_lists;
    TxQueue m_txQueue;
    QueueJournal m_journal; // outlives the engine and the connection threads
    MessageBoxDialogs m_dialogs;
    ApplicationBeeper m_beeper;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<EventTexts> m_eventTexts;
    std::unique_ptr<MessageDecoder> m_decoder;
    std::unique_ptr<PollReportLines> m_pollReportLines;
    std::unique_ptr<PollSupervision> m_polls;
    std::unique_ptr<IpServer> m_ipServer;
    QTimer *m_minuteTimer = nullptr; // the main window's MinTimer1
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ExitPasswordWindow> m_exitPassword;
    std::unique_ptr<ComSetupWindow> m_comSetup;
    std::unique_ptr<PasswordPrompt> m_prompt;
    bool m_shutDown = false;
    bool m_settingsWritable = true;
    QStringList m_storeFailures;
};
