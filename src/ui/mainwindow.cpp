#include "mainwindow.h"

#include "accountpage.h"
#include "applicationicon.h"
#include "common/operatordialogs.h"
#include "engine/engine.h"
#include "eventpages.h"
#include "events/eventlistmodel.h"
#include "languagemenu.h"
#include "operatoraccess.h"
#include "passwordprompt.h"
#include "queueclearing.h"
#include "statuspanel.h"
#include "traycontrol.h"
#include "windowlayout.h"

#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QPushButton *createButton(const QString &name, const QString &caption, QWidget *parent) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

MainWindow::MainWindow(Services services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_access(new OperatorAccess(services.settings, this))
    , m_tray(new TrayControl(*this, services.settings, services.engine)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(m_baseTitle);
    setWindowIcon(applicationIcon());
    createMenu();
    connect(m_access, &OperatorAccess::loggedOnChanged, this, &MainWindow::showLoggedOn);
    setCentralWidget(createCentralArea());

    Engine &engine = services.engine;
    connect(&engine, &Engine::statusChanged, m_status,
            [this] { m_status->showStatus(m_services.engine.status()); });
    m_status->showStatus(engine.status());
    connect(&engine, &Engine::rowExported, this, [this](const QString &rowText) {
        setWindowTitle(m_baseTitle + QStringLiteral(" - ") + rowText);
    });
    connect(m_pages->siaList()->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { setWindowTitle(m_baseTitle + QString::number(column)); });
}

void MainWindow::setBaseTitle(const QString &title) {
    m_baseTitle = title;
    setWindowTitle(title);
}

void MainWindow::setComSetupWindow(QWidget *window) {
    m_comSetup = window;
    m_tray->setComSetupWindow(window);
}

void MainWindow::setExitPasswordWindow(QDialog *window) {
    m_exitPassword = window;
}

void MainWindow::setAccountPage(AccountPage *page) {
    m_accountPage = page;
    m_pages->setAccountPage(page);
}

void MainWindow::setPasswordPrompt(PasswordPrompt *prompt) {
    m_access->setPrompt(prompt);
}

void MainWindow::createMenu() {
    m_languageMenu = menuBar()->addMenu(tr("Language"));
    m_languageMenu->setObjectName(QStringLiteral("Lang1"));
    auto *languages = new LanguageMenu(*m_languageMenu, m_services.settings, m_services.dialogs);
    connect(languages, &LanguageMenu::chosen, this, &MainWindow::languageChosen);

    m_setupMenu = menuBar()->addMenu(tr("Setup"));
    m_setupMenu->setObjectName(QStringLiteral("Setup"));
    QAction *coms = m_setupMenu->addAction(tr("Coms"));
    coms->setObjectName(QStringLiteral("Coms1"));
    connect(coms, &QAction::triggered, this, &MainWindow::toggleComSetup);
    QAction *exitPassword = m_setupMenu->addAction(tr("Exit Password"));
    exitPassword->setObjectName(QStringLiteral("ExitPassword1"));
    connect(exitPassword, &QAction::triggered, this, [this] {
        if (m_exitPassword)
            m_exitPassword->open();
    });

    m_logOn = menuBar()->addAction(tr("Log on"));
    m_logOn->setObjectName(QStringLiteral("Logon1"));
    connect(m_logOn, &QAction::triggered, this, &MainWindow::logOnOrOff);
    showLoggedOn(false);
}

bool MainWindow::isLoggedOn() const {
    return m_access->isLoggedOn();
}

void MainWindow::logOnOrOff() {
    m_access->logOnOrOff();
}

// The settings windows are for a logged-on operator only: logging off takes them away too.
// An unfinished password change is dropped, as by its Cancel.
void MainWindow::showLoggedOn(bool loggedOn) {
    m_languageMenu->menuAction()->setVisible(loggedOn);
    m_setupMenu->menuAction()->setVisible(loggedOn);
    m_logOn->setText(loggedOn ? tr("Log off") : tr("Log on"));
    if (!loggedOn) {
        if (m_comSetup && m_services.engine.setupWindowOpen())
            toggleComSetup();
        if (m_exitPassword && m_exitPassword->isVisible())
            m_exitPassword->reject();
    }
    emit loggedOnChanged(loggedOn);
}

QWidget *MainWindow::createCentralArea() {
    auto *area = new QWidget(this);
    m_status = new StatusPanel(area);
    m_pages = new EventPages(m_services.lists, m_services.txQueue, area);
    QPushButton *clearEvents = createButton(QStringLiteral("Button1"), tr("Clear Events"), area);
    QPushButton *clearPage = createButton(QStringLiteral("ClrPageBtn"), tr("Clear Page"), area);
    connect(clearEvents, &QPushButton::clicked, this, &MainWindow::clearEvents);
    connect(clearPage, &QPushButton::clicked, this, &MainWindow::clearPage);

    auto *top = new QHBoxLayout;
    top->addWidget(m_status);
    top->addStretch();
    top->addWidget(clearEvents, 0, Qt::AlignTop);
    top->addWidget(clearPage, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(area);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);
    return area;
}

void MainWindow::restoreLayout() {
    restoreWindowLayout(*this, *m_pages, m_services.settings);
}

void MainWindow::storeLayout() {
    storeWindowLayout(*this, m_everShown, *m_pages, m_services.settings);
}

void MainWindow::clearEvents() {
    QueueClearing clearing = queueClearing();
    if (!clearing.confirmTxPending() || !clearing.clearTxPending())
        return;
    EventLists &lists = m_services.lists;
    for (EventListModel *list : {&lists.contactId, &lists.fast, &lists.sia, &lists.poll})
        list->clear();
    m_services.engine.receivedData().clear();
}

QueueClearing MainWindow::queueClearing() const {
    return QueueClearing(m_services.engine, m_services.txQueue, m_services.logs,
                         m_services.dialogs);
}

void MainWindow::clearPage() {
    EventLists &lists = m_services.lists;
    switch (m_pages->currentIndex()) {
    case EventPages::ContactId:
        lists.contactId.clear();
        break;
    case EventPages::Fast:
        lists.fast.clear();
        break;
    case EventPages::Sia:
        lists.sia.clear();
        break;
    case EventPages::Polling:
        lists.poll.clear();
        break;
    case EventPages::TxPending:
        if (m_services.dialogs.question(tr("Clear Messages"),
                                        tr("Are You Sure You Want to Clear Pending Messages?")))
            queueClearing().clearTxPending();
        break;
    case EventPages::PollingAccounts:
        if (m_accountPage)
            m_accountPage->clearEditor();
        break;
    }
}

void MainWindow::toggleComSetup() {
    if (!m_comSetup)
        return;
    Engine &engine = m_services.engine;
    if (engine.setupWindowOpen()) {
        m_comSetup->close();
        engine.setSetupWindowOpen(false);
        return;
    }
    m_comSetup->show();
    m_comSetup->raise();
    m_comSetup->activateWindow();
    engine.setSetupWindowOpen(true);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // Whoever closes the monitor stops the monitoring: logged on or not, they must know the
    // password. A refusal says nothing and leaves everything running.
    if (!m_access->confirms(tr("Close Application"))) {
        event->ignore();
        return;
    }
    // The program ends with this window even while "Coms Setup" is still showing: that window
    // alone would keep it running with no way back to this one.
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

bool MainWindow::sessionMayEnd(bool mayAsk) {
    // A session that ends without letting anyone answer ends the program like a stop signal
    // does, through the ordinary shutdown.
    if (!mayAsk)
        return true;
    if (!m_access->confirms(tr("Close Application")))
        return false;
    emit closed();
    return true;
}

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    m_everShown = true;
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // Hidden once the minimise has run its course, not in the middle of it.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(m_tray, &TrayControl::minimised, Qt::QueuedConnection);
}
