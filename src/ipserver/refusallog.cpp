#include "refusallog.h"

#include "common/datetimetext.h"
#include "common/logbook.h"

#include <utility>

RefusalLog::RefusalLog(LogBook &logs, std::function<qint64()> seconds)
    : m_logs(logs)
    , m_seconds(std::move(seconds)) {}

QByteArray RefusalLog::leftOutText(quint64 lines) {
    return "[" + QByteArray::number(lines) + " refusal lines left out: at most " +
           QByteArray::number(linesPerSecond) + " are logged a second]";
}

// With the logs off nothing is written, and nothing is left out either. The date-time text is
// built for the lines taken only.
void RefusalLog::write(const QList<Line> &lines) {
    if (!m_logs.saveEnabled() || lines.isEmpty())
        return;
    QByteArray said;
    bool taken = false;
    {
        QMutexLocker lock(&m_mutex);
        const qint64 second = m_seconds();
        said = takeLeftOutLocked(second, false);
        if (second != m_second) {
            m_second = second;
            m_written = 0;
        }
        taken = m_written + lines.size() <= linesPerSecond;
        if (taken) {
            m_written += int(lines.size());
        } else {
            m_leftOut += quint64(lines.size());
            m_leftOutTotal += quint64(lines.size());
        }
    }
    if (!said.isEmpty())
        m_logs.appendStamped(LogBook::ConversionLog, said);
    if (!taken)
        return;
    const QByteArray stamp = nowText().toLocal8Bit();
    for (const Line &line : lines)
        m_logs.Append_Message(line.file, stamp + line.separator + line.text);
}

void RefusalLog::sayLeftOut(bool now) {
    QByteArray said;
    {
        QMutexLocker lock(&m_mutex);
        said = takeLeftOutLocked(m_seconds(), now);
    }
    if (!said.isEmpty())
        m_logs.appendStamped(LogBook::ConversionLog, said);
}

// The lines left out in a second are said once that second is over.
QByteArray RefusalLog::takeLeftOutLocked(qint64 second, bool now) {
    if (m_leftOut == 0 || (!now && second == m_second))
        return {};
    return leftOutText(std::exchange(m_leftOut, 0));
}
