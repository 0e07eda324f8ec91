#include "eventpages.h"

#include "eventlistview.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "listcolumnwidths.h"
#include "newrowfollower.h"
#include "wholelinedelegate.h"

#include <QFont>
#include <QListView>
#include <QTabBar>
#include <QTableView>

namespace {

// Tabs drawn as buttons: raised when idle, pressed in when showing.
const char *const buttonTabs = R"(
QTabBar::tab {
    border: 2px outset palette(mid);
    background: palette(button);
    padding: 3px 12px;
    margin: 1px;
}
QTabBar::tab:selected {
    border-style: inset;
    background: palette(midlight);
}
)";

} // namespace

EventPages::EventPages(EventLists &lists, TxQueue &txQueue, QWidget *parent)
    : QTabWidget(parent) {
    setObjectName(QStringLiteral("PageControl1"));
    setDocumentMode(true);
    // Styled on the bar alone, so the lists keep the native style.
    tabBar()->setStyleSheet(QString::fromLatin1(buttonTabs));

    addTab(createEventListView(contactIdLayout(), lists.contactId, this), tr("Contact ID"));
    addTab(createEventListView(fastLayout(), lists.fast, this), tr("Fast Format"));
    m_siaList = createEventListView(siaLayout(), lists.sia, this);
    addTab(m_siaList, tr("SIA"));
    addTab(createEventListView(pollLayout(), lists.poll, this), tr("Polling"));
    addTab(createTxMemo(txQueue), tr("Tx Pending"));
    for (int page = ContactId; page <= Polling; ++page)
        m_columnWidths[page] = widget(page)->findChild<ListColumnWidths *>();
    auto *accounts = new QWidget(this);
    accounts->setObjectName(QStringLiteral("PollingAccountsPage"));
    addTab(accounts, tr("Polling Accounts"));
    setCurrentIndex(Sia);
}

void EventPages::setAccountPage(QWidget *page) {
    const int shown = currentIndex();
    QWidget *placeholder = widget(PollingAccounts);
    removeTab(PollingAccounts);
    delete placeholder;
    insertTab(PollingAccounts, page, tr("Polling Accounts"));
    setCurrentIndex(shown);
}

QListView *EventPages::createTxMemo(TxQueue &txQueue) {
    auto *memo = new QListView(this);
    memo->setObjectName(QStringLiteral("TxMemo"));
    memo->setModel(&txQueue);
    memo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    memo->setUniformItemSizes(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    memo->setFont(font);
    new WholeLineDelegate(*memo);
    new NewRowFollower(*memo);
    return memo;
}
