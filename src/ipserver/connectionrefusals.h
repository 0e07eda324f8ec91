#pragma once

#include <QByteArray>
#include <QMutex>
#include <atomic>

class LogBook;

// Connections closed as soon as they were taken: the limit of open connections was reached, or
// the system could not give what serving one needs. Each is counted; the log ("IP_EXPlog.TXT"
// and standard error) gets at most one line a second, which says how many it leaves out, so a
// flood of connections cannot turn into a flood of log lines.
class ConnectionRefusals {
public:
    explicit ConnectionRefusals(LogBook &logs)
        : m_logs(logs) {}

    void refused(const QByteArray &peer, const QByteArray &reason);
    quint64 count() const { return m_count.load(); }

private:
    LogBook &m_logs;
    std::atomic<quint64> m_count{0};
    QMutex m_mutex;
    qint64 m_loggedSecond = -1;
    quint64 m_notLogged = 0;
};
