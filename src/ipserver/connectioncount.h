#pragma once

#include <QMutex>
#include <QString>
#include <atomic>

class ReceiverHandOver;
class TroubleReports;

// "Connections": the number of open connections, changed by the I/O threads as connections are
// taken on and end, read by the tick and the toggle at any moment. Taking one on fails at the
// limit, so the count never passes it.
class ConnectionCount {
public:
    explicit ConnectionCount(ReceiverHandOver &output)
        : m_output(output) {}

    // Where reaching the limit, and leaving it, is said; set before the server starts.
    void setTroubleReports(TroubleReports *troubles) { m_troubles = troubles; }
    // Counts a new connection unless `limit` are open already; announce() shows it, once the
    // connection's watchdog feed has been handed over, so the display never runs ahead of it.
    bool tryAdd(int limit);
    void announce();
    void remove();
    int value() const { return m_count.load(); }
    QString text() const { return QString::number(value()); } // "0" when none

private:
    void sayLimit();

    ReceiverHandOver &m_output;
    std::atomic<int> m_count{0};
    std::atomic<int> m_limit{0}; // the limit of the last connection taken on or refused
    TroubleReports *m_troubles = nullptr;
    QMutex m_sayMutex;
    std::atomic<bool> m_saidReached{false};
};
