#include "monitor.h"

#include "receiverdisplay.h"

#include "engine/engine.h"
#include "ipserver/ipserver.h"
#include "ui/accountpage.h"
#include "ui/comsetupwindow.h"
#include "ui/exitpasswordwindow.h"
#include "ui/ipconnectiongroup.h"
#include "ui/mainwindow.h"
#include "ui/passwordprompt.h"

#include <QApplication>
#include <QHostInfo>
#include <QLineEdit>
#include <QSessionManager>
#include <QStatusBar>

namespace {

// The first IPv4 address of a resolved host name, as dotted text; empty when there is none.
QString firstIpv4Address(const QHostInfo &info) {
    for (const QHostAddress &address : info.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    return QString();
}

} // namespace

Monitor::Monitor(const MonitorOptions &options, OperatorDialogs *dialogs)
    : m_operatorDialogs(dialogs ? *dialogs : m_dialogs)
    , m_core(std::make_unique<MonitorCore>(m_operatorDialogs, m_beeper, options)) {
    // Only the main window's close with the password, a stop signal or the session's end may
    // end the monitoring: a small window left showing while the main window sits in the tray
    // must not take the program with it when it closes.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    createMainWindow();
    // Owned by the main window, yet windows of their own.
    m_exitPassword = std::make_unique<ExitPasswordWindow>(settings(), m_mainWindow.get());
    m_mainWindow->setExitPasswordWindow(m_exitPassword.get());
    createComSetupWindow();
    m_mainWindow->restoreLayout(); // the settings are read by now
    m_prompt = std::make_unique<PasswordPrompt>(m_mainWindow.get());
    m_mainWindow->setPasswordPrompt(m_prompt.get());
}

Monitor::~Monitor() {
    shutDown();
}

void Monitor::showIpReceiver() {
    showReceiverOnWindows(ipServer().output(), *m_mainWindow, *m_comSetup);
}

// The resolver may take long or hang; the lines are started without waiting for it, and the label
// is filled when the answer comes (left empty when there is none).
void Monitor::showSystemAddress() {
    QHostInfo::lookupHost(QHostInfo::localHostName(), this, [this](const QHostInfo &info) {
        m_comSetup->ipConnection()->setSystemText(firstIpv4Address(info));
    });
}

void Monitor::createMainWindow() {
    MonitorCore &core = *m_core;
    m_mainWindow = std::make_unique<MainWindow>(
        MainWindow::Services{core.engine(), core.lists(), core.txQueue(), m_operatorDialogs,
                             core.settings(), core.logs()});
    auto *accountPage =
        new AccountPage({core.accounts(), core.settings(), m_operatorDialogs, &core.dc09Keys()});
    m_mainWindow->setAccountPage(accountPage);
    connect(m_mainWindow.get(), &MainWindow::loggedOnChanged, accountPage,
            &AccountPage::setLoggedOn);
    m_dialogs.setParentWindow(m_mainWindow.get());
    // The main window's close ends the program, whatever other window is still showing.
    connect(
        m_mainWindow.get(), &MainWindow::closed, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    connect(m_mainWindow.get(), &MainWindow::languageChosen, &core, &MonitorCore::saveSettings);
    connect(&core, &MonitorCore::storeFailed, m_mainWindow.get(),
            [this](const QString &failures) { m_mainWindow->statusBar()->showMessage(failures); });
    connect(&core, &MonitorCore::storeRecovered, m_mainWindow.get(),
            [this](const QString &status) { m_mainWindow->statusBar()->showMessage(status); });
    watchSessionEnd();
    showLogFailures();
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
    MonitorCore &core = *m_core;
    m_comSetup = std::make_unique<ComSetupWindow>(
        ComSetupWindow::Services{core.settings(), core.engine(), core.logs(), m_operatorDialogs,
                                 core.txQueue()},
        m_mainWindow.get());
    m_mainWindow->setComSetupWindow(m_comSetup.get());
    connect(m_comSetup.get(), &ComSetupWindow::closed, &core, &MonitorCore::saveSettings);
    connect(&core.accounts(), &AccountTable::lookedUp, m_comSetup->ipConnection()->findAcc(),
            &QLineEdit::setText);
    showIpReceiver();

    m_mainWindow->setBaseTitle(versionText + QStringLiteral(" (") + productWord +
                               QStringLiteral(") "));
    core.loadStore();
    m_comSetup->show();
    showSystemAddress();
    core.startLines();
    m_comSetup->close();
}

// A log file that cannot be written loses its line, but the operator must know: the main window's
// status bar says which file and why, without a box that would stack on every message.
void Monitor::showLogFailures() {
    connect(&logs(), &LogBook::failed, m_mainWindow.get(),
            [this](const QString &fileName, const QString &error) {
                m_mainWindow->statusBar()->showMessage(
                    tr("Cannot write %1: %2").arg(fileName, error));
            });
}

void Monitor::run() {
    m_mainWindow->show();
    m_core->startTimer();
}

int Monitor::exec() {
    run();
    const int result = QApplication::exec();
    shutDown();
    return result;
}

void Monitor::shutDown() {
    m_mainWindow->storeLayout();
    m_core->shutDown();
}
