#include "mainwindow.h"

#include "accountpage.h"
#include "common/operatordialogs.h"
#include "engine/engine.h"
#include "eventpages.h"
#include "events/eventlistmodel.h"
#include "statuspanel.h"

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
    , m_services(services) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(m_baseTitle);
    createMenu();
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
}

void MainWindow::setExitPasswordWindow(QDialog *window) {
    m_exitPassword = window;
}

void MainWindow::setAccountPage(AccountPage *page) {
    m_accountPage = page;
    m_pages->setAccountPage(page);
}

void MainWindow::createMenu() {
    QMenu *language = menuBar()->addMenu(QStringLiteral("Language"));
    language->setObjectName(QStringLiteral("Lang1"));
    language->menuAction()->setVisible(false);

    QMenu *setup = menuBar()->addMenu(QStringLiteral("Setup"));
    setup->setObjectName(QStringLiteral("Setup"));
    QAction *coms = setup->addAction(QStringLiteral("Coms"));
    coms->setObjectName(QStringLiteral("Coms1"));
    connect(coms, &QAction::triggered, this, &MainWindow::toggleComSetup);
    QAction *exitPassword = setup->addAction(QStringLiteral("Exit Password"));
    exitPassword->setObjectName(QStringLiteral("ExitPassword1"));
    connect(exitPassword, &QAction::triggered, this, [this] {
        if (m_exitPassword)
            m_exitPassword->open();
    });

    QAction *logOn = menuBar()->addAction(QStringLiteral("Log on"));
    logOn->setObjectName(QStringLiteral("Logon1"));
}

QWidget *MainWindow::createCentralArea() {
    auto *area = new QWidget(this);
    m_status = new StatusPanel(area);
    m_pages = new EventPages(m_services.lists, m_services.txQueue, area);
    QPushButton *clearEvents =
        createButton(QStringLiteral("Button1"), QStringLiteral("Clear Events"), area);
    QPushButton *clearPage =
        createButton(QStringLiteral("ClrPageBtn"), QStringLiteral("Clear Page"), area);
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

void MainWindow::clearEvents() {
    EventLists &lists = m_services.lists;
    for (EventListModel *list : {&lists.contactId, &lists.fast, &lists.sia, &lists.poll})
        list->clear();
    m_services.engine.clearTxQueue();
    m_services.engine.receivedData().clear();
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
        if (m_services.dialogs.question(
                QStringLiteral("Clear Messages"),
                QStringLiteral("Are You Sure You Want to Clear Pending Messages?")))
            m_services.engine.clearTxQueue();
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
    // The program ends with this window even while "Coms Setup" is still showing: that window
    // alone would keep it running with no way back to this one.
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}
