#include "connectionrefusals.h"

#include "common/logbook.h"
#include "common/steadyclock.h"

#include <QDebug>

void ConnectionRefusals::refused(const QByteArray &peer, const QByteArray &reason) {
    ++m_count;
    QByteArray entry;
    {
        QMutexLocker lock(&m_mutex);
        const qint64 second = steadyNowSeconds();
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
