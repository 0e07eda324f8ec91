#pragma once

#include "monitorcore.h"
#include "ui/applicationbeeper.h"
#include "ui/messageboxdialogs.h"

#include <QObject>
#include <QWidget> // MessageBoxDialogs keeps a QPointer<QWidget>
#include <memory>

class ComSetupWindow;
class ExitPasswordWindow;
class MainWindow;
class PasswordPrompt;

// The windowed monitor: the core with the four windows around it, built in their start-up order;
// restarts the lines that were running, and takes everything down again in the shutdown order.
class Monitor : public QObject {
    Q_OBJECT
public:
    static inline const QString productWord = MonitorCore::productWord;

    // `dialogs` answers the operator's questions and notices in place of message boxes (tests).
    explicit Monitor(const MonitorOptions &options = {}, OperatorDialogs *dialogs = nullptr);
    ~Monitor() override;

    // Shows the main window and starts the engine's tick: the running phase.
    void run();
    // The running phase until the main window closes or the program is told to quit, then the
    // shutdown; returns the event loop's exit code.
    int exec();
    // Server stopped, ports closed, settings written. Runs once; the destructor calls it too.
    void shutDown();

    MonitorCore &core() { return *m_core; }
    Settings &settings() { return m_core->settings(); }
    Engine &engine() { return m_core->engine(); }
    MainWindow &mainWindow() { return *m_mainWindow; }
    ComSetupWindow &comSetupWindow() { return *m_comSetup; }
    AccountTable &accounts() { return m_core->accounts(); }
    LogBook &logs() { return m_core->logs(); }
    IpServer &ipServer() { return m_core->ipServer(); }
    PollSupervision &polls() { return m_core->polls(); }

private:
    void createMainWindow();
    void createComSetupWindow();
    void showIpReceiver();
    void showSystemAddress();
    void showLogFailures();
    void watchSessionEnd();

    MessageBoxDialogs m_dialogs;
    OperatorDialogs &m_operatorDialogs;
    ApplicationBeeper m_beeper;
    std::unique_ptr<MonitorCore> m_core;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ExitPasswordWindow> m_exitPassword;
    std::unique_ptr<ComSetupWindow> m_comSetup;
    std::unique_ptr<PasswordPrompt> m_prompt;
};
