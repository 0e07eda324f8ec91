#pragma once

#include <QTabWidget>
#include <array>

struct EventLists;
class ListColumnWidths;
class QListView;
class QTableView;
class TxQueue;

// "PageControl1": the four event lists, the pending transmit queue and the account page.
class EventPages : public QTabWidget {
    Q_OBJECT
public:
    enum Page { ContactId, Fast, Sia, Polling, TxPending, PollingAccounts };

    EventPages(EventLists &lists, TxQueue &txQueue, QWidget *parent = nullptr);

    QTableView *siaList() const { return m_siaList; }
    // The column widths of the event list on `page` (ContactId .. Polling).
    ListColumnWidths *columnWidths(Page page) const { return m_columnWidths.at(page); }
    // Puts the account page in its place, after the placeholder the pages start with.
    void setAccountPage(QWidget *page);

private:
    QListView *createTxMemo(TxQueue &txQueue);

    QTableView *m_siaList = nullptr;
    std::array<ListColumnWidths *, Polling + 1> m_columnWidths{};
};
