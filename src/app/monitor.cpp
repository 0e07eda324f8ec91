#include "monitor.h"

#include "durablequeues.h"
#include "receiverdisplay.h"

#include "accounts/pollsupervision.h"
#include "common/namedlocks.h"
#include "decoder/messagedecoder.h"
#include "engine/engine.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "settings/settingsstore.h"
#include "strings/eventtexts.h"
#include "ui/accountpage.h"
#include "ui/comsetupwindow.h"
#include "ui/exitpasswordwindow.h"
#include "ui/ipconnectiongroup.h"
#include "ui/mainwindow.h"
#include "ui/passwordprompt.h"

#include <QApplication>
#include <QDebug>
#include <QHostInfo>
#include <QLineEdit>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int minuteMs = 60000;

// The first IPv4 address of a resolved host name, as dotted text; empty when there is none.
QString firstIpv4Address(const QHostInfo &info) {
    for (const QHostAddress &address : info.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    return QString();
}

} // namespace

Monitor::Monitor(const MonitorOptions &options) {
    m_engine = std::make_unique<Engine>(
        Engine::Services{m_settings, m_logs, m_accounts, m_lists, m_txQueue, m_dialogs, m_beeper});
    createMainWindow();
    createIpReceiver(options.listenAddress);
    m_exitPassword = std::make_unique<ExitPasswordWindow>(m_settings);
    m_mainWindow->setExitPasswordWindow(m_exitPassword.get());
    createComSetupWindow();
    m_prompt = std::make_unique<PasswordPrompt>(m_mainWindow.get());
    m_mainWindow->setPasswordPrompt(m_prompt.get());
}

// The IP receiver with poll supervision behind it. Its connections hand their work to the engine
// and the windows queued; the minute timer counts the polled accounts down.
void Monitor::createIpReceiver(const QHostAddress &listenAddress) {
    m_pollReportLines = std::make_unique<PollReportLines>(m_settings, m_txQueue, m_logs);
    m_polls = std::make_unique<PollSupervision>(m_accounts, *m_pollReportLines, [this] {
        return m_settings.integer(SettingKey::PollTimeOut);
    });
    m_ipServer = std::make_unique<IpServer>(m_accounts, *m_polls, m_logs);
    m_ipServer->setListenAddress(listenAddress);
    connectReceiverToEngine(m_ipServer->output(), *m_engine);
    m_engine->setIpServer(m_ipServer.get());

    m_minuteTimer = new QTimer(m_mainWindow.get());
    m_minuteTimer->setObjectName(QStringLiteral("MinTimer1"));
    m_minuteTimer->setInterval(minuteMs);
    connect(m_minuteTimer, &QTimer::timeout, this, [this] { m_polls->minuteTick(); });
    m_minuteTimer->start();
}

void Monitor::showIpReceiver() {
    showReceiverOnWindows(m_ipServer->output(), *m_mainWindow, *m_comSetup);
}

// The resolver may take long or hang; the lines are started without waiting for it, and the label
// is filled when the answer comes (left empty when there is none).
void Monitor::showSystemAddress() {
    QHostInfo::lookupHost(QHostInfo::localHostName(), this, [this](const QHostInfo &info) {
        m_comSetup->ipConnection()->setSystemText(firstIpv4Address(info));
    });
}

Monitor::~Monitor() {
    shutDown();
}

void Monitor::createMainWindow() {
    // The event texts are built with the main window, before any message can arrive.
    m_eventTexts = std::make_unique<EventTexts>();
    m_decoder = std::make_unique<MessageDecoder>(
        m_lists, m_txQueue, m_logs, m_accounts, *m_eventTexts,
        MessageDecoder::Hooks{
            [this] {
                DecoderSettings decoderSettings;
                decoderSettings.prefix = {m_settings.text(SettingKey::RxNum).toLatin1(),
                                          m_settings.text(SettingKey::RxLine).toLatin1()};
                decoderSettings.format =
                    static_cast<OutputFormat>(m_settings.integer(SettingKey::OutputFormat));
                return decoderSettings;
            },
            [this] { m_engine->txLink().reloadAttemptsIfIdle(); }});
    m_engine->setDecoder([this](const QByteArray &source, const QByteArray &message) {
        m_decoder->Process_data(source, message);
    });
    m_mainWindow = std::make_unique<MainWindow>(
        MainWindow::Services{*m_engine, m_lists, m_txQueue, m_dialogs, m_settings});
    auto *accountPage = new AccountPage({m_accounts, m_settings, m_dialogs});
    m_mainWindow->setAccountPage(accountPage);
    connect(m_mainWindow.get(), &MainWindow::loggedOnChanged, accountPage,
            &AccountPage::setLoggedOn);
    m_dialogs.setParentWindow(m_mainWindow.get());
    // The main window's close ends the program, whatever other window is still showing.
    connect(
        m_mainWindow.get(), &MainWindow::closed, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    connect(m_mainWindow.get(), &MainWindow::languageChosen, this, &Monitor::saveSettings);
    watchSessionEnd();
    showLogFailures();
    m_engine->setSetupWindowOpen(false);
}

// The end of a desktop session closes the monitor like its window's close, asking for the
// password where the session manager lets the program ask; a refusal cancels the session's end.
void Monitor::watchSessionEnd() {
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        const bool mayAsk = manager.allowsInteraction();
        if (!m_mainWindow->sessionMayEnd(mayAsk))
            manager.cancel();
        if (mayAsk)
            manager.release();
    });
}

void Monitor::createComSetupWindow() {
    m_comSetup = std::make_unique<ComSetupWindow>(
        ComSetupWindow::Services{m_settings, *m_engine, m_logs, m_dialogs});
    m_mainWindow->setComSetupWindow(m_comSetup.get());
    connect(m_comSetup.get(), &ComSetupWindow::closed, this, &Monitor::saveSettings);
    connect(&m_accounts, &AccountTable::lookedUp, m_comSetup->ipConnection()->findAcc(),
            &QLineEdit::setText);
    showIpReceiver();

    m_mainWindow->setBaseTitle(versionText + QStringLiteral(" (") + productWord +
                               QStringLiteral(") "));
    wireSettingsToLogs();
    reportSettingsRead(readSettings(m_settings));
    NamedLocks::createStandardLocks();
    loadAccounts();
    openQueueJournal();
    m_comSetup->show();
    m_engine->resetState();
    showSystemAddress();
    restartLines();
    m_comSetup->close();
}

void Monitor::wireSettingsToLogs() {
    m_logs.setSaveEnabled(m_settings.flag(SettingKey::SaveRx));
    connect(&m_settings, &Settings::changed, this, [this](SettingKey key) {
        if (key == SettingKey::SaveRx)
            m_logs.setSaveEnabled(m_settings.flag(SettingKey::SaveRx));
    });
}

// A log file that cannot be written loses its line, but the operator must know: the main window's
// status bar says which file and why, without a box that would stack on every message.
void Monitor::showLogFailures() {
    connect(&m_logs, &LogBook::failed, m_mainWindow.get(),
            [this](const QString &fileName, const QString &error) {
                m_mainWindow->statusBar()->showMessage(
                    QStringLiteral("Cannot write %1: %2").arg(fileName, error));
            });
}

void Monitor::reportSettingsRead(const SettingsReadResult &result) {
    if (!result.damaged)
        return;
    if (result.keptAs.isEmpty()) {
        // Nowhere to keep it: leave it in place rather than write the defaults over it.
        m_settingsWritable = false;
        reportStoreFailure(QStringLiteral("Settings file cannot be read and cannot be moved "
                                          "aside; defaults in use, settings not saved"),
                           result.fileName);
        return;
    }
    reportStoreFailure(QStringLiteral("Settings file cannot be read; kept as %1, defaults in use")
                           .arg(result.keptAs),
                       result.fileName);
}

void Monitor::loadAccounts() {
    const AccountTable::Result loaded =
        m_accounts.ReadAccRec(m_settings.integer(SettingKey::PollTimeOut));
    if (!loaded.ok)
        reportStoreFailure(
            QStringLiteral("Account file cannot be read (%1); no accounts loaded, the file is "
                           "kept and not saved over")
                .arg(loaded.error),
            m_accounts.filePath());
}

// A stored file the monitor could not use is said everywhere the operator or a service manager
// may look: the status bar, "IP_EXPlog.TXT" and standard error.
// The queues come back before any line or the IP server is started, so a restored "Tx Pending"
// goes out first and nothing new is acknowledged before the journal takes it.
void Monitor::openQueueJournal() {
    connect(&m_journal, &QueueJournal::failed, this,
            [this](const QString &error) { reportStoreFailure(error, QueueJournal::fileName); });
    const QString problem = restoreQueues(m_journal, m_engine->pendingMessages(), m_txQueue);
    m_engine->setJournal(&m_journal);
    m_ipServer->setJournal(&m_journal);
    if (!problem.isEmpty())
        reportStoreFailure(problem, QueueJournal::fileName);
}

void Monitor::reportStoreFailure(const QString &error, const QString &subject) {
    m_storeFailures.append(QStringLiteral("%1: %2").arg(subject, error));
    m_mainWindow->statusBar()->showMessage(m_storeFailures.join(QStringLiteral(" | ")));
    m_logs.logStoreFailure(error, subject);
    qWarning().noquote() << subject + QStringLiteral(": ") + error;
}

void Monitor::restartLines() {
    if (m_settings.flag(SettingKey::Port1Open))
        m_engine->startStop(1);
    if (m_settings.flag(SettingKey::Port2Open))
        m_engine->startStop(2);
    // With no connection open yet, the toggle cannot refuse: it starts the server on its port.
    if (m_settings.flag(SettingKey::TcpOpen))
        m_engine->ipServerToggle().toggle(IpServerToggle::Caller::Operator);
    m_settings.setFlag(SettingKey::SpareOpen, false);
    if (m_settings.flag(SettingKey::TxOpen))
        m_engine->startStop(5);
}

void Monitor::saveSettings() {
    if (!m_settingsWritable)
        return;
    auto store = openSettingsStore();
    Write_Registry(m_settings, *store);
}

void Monitor::run() {
    m_mainWindow->show();
    m_engine->startTimer();
}

int Monitor::exec() {
    run();
    const int result = QApplication::exec();
    shutDown();
    return result;
}

void Monitor::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    // Every connection is ended and its thread joined before anything it uses goes away. The
    // server is stopped directly, not through the toggle: "TCP Open" keeps saying it ran.
    m_minuteTimer->stop();
    m_ipServer->deactivate();
    m_engine->closePorts();
    saveSettings();
}
