#include "connectionrefusals.h"

#include "common/logbook.h"

#include <QDebug>
#include <chrono>

namespace {

qint64 steadySecond() {
    using namespace std::chrono;
    return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void ConnectionRefusals::refused(const QByteArray &peer, const QByteArray &reason) {
    ++m_count;
    QByteArray entry;
    {
        QMutexLocker lock(&m_mutex);
        const qint64 second = steadySecond();
        if (second == m_loggedSecond) {
            ++m_notLogged;
            return;
        }
        m_loggedSecond = second;
        entry = "[connection refused: " + reason + "] " + peer;
        if (m_notLogged > 0)
            entry += " (" + QByteArray::number(m_notLogged) + " more refused before, not logged)";
        m_notLogged = 0;
    }
    m_logs.appendStamped(LogBook::ConversionLog, entry);
    qWarning().noquote() << QString::fromLatin1(entry);
}
