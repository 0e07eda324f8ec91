#include "comsetupwindow.h"

#include "bytelistgroup.h"
#include "engine/engine.h"
#include "formatoptionsgroup.h"
#include "heartbeatgroup.h"
#include "ipconnectiongroup.h"
#include "pathgroup.h"
#include "queueclearing.h"
#include "zorerudagroup.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>

ComSetupWindow::ComSetupWindow(Services services, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_engine(services.engine) {
    setObjectName(QStringLiteral("ComSetupForm"));
    setWindowTitle(tr("Coms Setup"));
    m_ipConnection = new IpConnectionGroup(services.settings, services.logs,
                                           services.engine.ipServerToggle(), this);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new ZorerUdaGroup(1, services.settings, services.engine, this), 0, 0);
    layout->addWidget(new ZorerUdaGroup(2, services.settings, services.engine, this), 0, 1);
    layout->addWidget(m_ipConnection, 0, 2);
    layout->addWidget(createTxSetup(services), 1, 0, 1, 3);
    layout->addWidget(new ByteListGroup(tr("Received Data"), QStringLiteral("ListBox1"),
                                        QStringLiteral("BitBtn2"), services.engine.receivedData(),
                                        this),
                      2, 0, 1, 2);
    QueueClearing clearing(services.engine, services.txQueue, services.logs, services.dialogs);
    layout->addWidget(new ByteListGroup(
                          tr("Pending Messages"), QStringLiteral("ListBox2"),
                          QStringLiteral("BitBtn1"), services.engine.pendingMessages(),
                          [clearing]() mutable { clearing.clearPendingMessages(); }, this),
                      2, 2);
}

QWidget *ComSetupWindow::createTxSetup(Services services) {
    auto *txSetup = new QGroupBox(tr("Tx Setup"), this);
    txSetup->setObjectName(QStringLiteral("TxSetupGroup"));
    auto *layout = new QHBoxLayout(txSetup);
    layout->addWidget(new HeartBeatGroup(services.settings, txSetup));
    layout->addWidget(new PathGroup(services.settings, services.engine, services.dialogs, txSetup));
    layout->addWidget(new FormatOptionsGroup(services.settings, services.engine, txSetup));
    return txSetup;
}

void ComSetupWindow::closeEvent(QCloseEvent *event) {
    // Only hidden: the window, its lists and the engine behind it live until the program ends.
    event->accept();
    m_engine.setSetupWindowOpen(false);
    emit closed();
}
