#pragma once

#include "common/steadyclock.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>

class LogBook;

// The log lines of what the receiver refuses or withdraws (its read in "IP_logFile.TXT", its
// reason in "IP_EXPlog.TXT", its refusing reply in "IP_ACK_log.TXT"), for the whole receiver:
// at most linesPerSecond of them in each second, the lines of one refusal all or none. Anyone
// can send refused bytes as fast as the network carries them, and the logs share the disk with
// the queue journal, which no flood may fill. The lines left out are counted and said in one
// line of "IP_EXPlog.TXT" once their second is over: with the next refusal or the next
// sayLeftOut(), so at most one such line a second. Accepted messages are not logged through it.
// Safe from any thread.
class RefusalLog {
public:
    static constexpr int linesPerSecond = 100;

    struct Line {
        QString file;         // a LogBook file name
        QByteArray separator; // between the date-time and the text: " -- ", " IP -- "
        QByteArray text;
    };

    explicit RefusalLog(LogBook &logs, std::function<qint64()> seconds = steadyNowSeconds);

    // Writes the lines of one refusal, or counts them as left out when this second's are spent.
    void write(const QList<Line> &lines);
    // Says the lines left out once their second is over; `now`: whatever the second (a stop).
    void sayLeftOut(bool now = false);

    // Lines left out since the start, said or not.
    quint64 leftOutTotal() const { return m_leftOutTotal.load(); }

    static QByteArray leftOutText(quint64 lines);

private:
    QByteArray takeLeftOutLocked(qint64 second, bool now);

    LogBook &m_logs;
    std::function<qint64()> m_seconds;
    QMutex m_mutex;
    qint64 m_second = -1; // the second of m_written and m_leftOut
    int m_written = 0;
    quint64 m_leftOut = 0; // not said yet
    std::atomic<quint64> m_leftOutTotal{0};
};
